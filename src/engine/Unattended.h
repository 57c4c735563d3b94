// The installation without questions (/S, /SILENT, /VERYSILENT): the wizard's steps with the answers
// a script would give, and the exit code the caller reads.
#pragma once

#include <string>

namespace unattended {

// Looks for found() once a second for up to seconds (at least once); true as soon as it holds.
bool WaitUpTo(int seconds, bool (*found)());
// The installation cannot be completed: the reason goes to the log and the debug output, and the
// result becomes 1603 (unless it was cancelled first).
void Fail(const std::string& reason);
bool Failed();
const std::string& Reason();
// Tells the result (the log, the debug output) and gives it back as the exit code.
int Result(int code);
// The code of a completed installation: 3010 when Windows must still be restarted.
int CompletedCode(bool restartDue);
// The relaunched copy's whole run without questions; its exit code.
int Install(void* instance);

} // namespace unattended
