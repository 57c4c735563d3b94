// The install worker: unpacks every package of the install description, asking for discs, and
// either hands over to the quality page or undoes the installation.
#pragma once

#include <string>

namespace install {
struct PackageEntry;
}

// The thread entry.
unsigned InstallWorkerEntry(void* unused);
// The worker's body; returns 0.
unsigned InstallWorker();

// The root ("E:\\") of a CD-ROM drive holding the disc whose marker is given, "" when none does.
std::string DriveHoldingDisc(const std::string& marker);
// Waits until the entry's disc is in the drive (or its package is found without the marker), asking
// for the disc every three seconds unless another CD-ROM drive holds it (the copy then goes on from that
// drive). False when the user refused; cancelConfirmed is then set.
bool WaitForDisc(const install::PackageEntry& entry);
// Undoes the installation and runs the finishing step in its abandoned form.
void AbandonInstall();
