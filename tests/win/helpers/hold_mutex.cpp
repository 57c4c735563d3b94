// Holds the installer's single-instance mutex for the given milliseconds, as a running installer would.
#include <cstdio>
#include <cstdlib>
#include <windows.h>

int main(int argc, char** argv) {
    HANDLE m = CreateMutexA(nullptr, FALSE, "Brightvale.Setup.SingleInstance.Mx");
    // The test starts the installer once it reads this.
    std::puts(m ? "held" : "not held");
    std::fflush(stdout);
    Sleep(argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 5000);
    CloseHandle(m);
    return 0;
}
