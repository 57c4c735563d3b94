// The cancel question of the progress page, and the one-question-at-a-time rule it shares with the
// worker's disc question.
#pragma once

#include <mutex>

// The Cancel action: asks "ARE_YOU_SURE" and sets cancelConfirmed on Yes. Does nothing once the
// finishing step has begun, once the copy is complete, once the installation is being abandoned anyway,
// or while the worker has a question of its own on screen.
void ConfirmCancel();
// Cancels the copy unless it is complete already: the worker decides under the same lock whether the
// copy completed, so a cancel and the copy's end never both win. False when the copy was complete.
bool RequestCancel();

// Held while a question of the installation is on screen: the two threads share one Yes/No box, so
// only one of them may ask at a time.
std::mutex& QuestionLock();
// Held while the copy's outcome (complete or cancelled) is decided.
std::mutex& CopyOutcomeLock();
