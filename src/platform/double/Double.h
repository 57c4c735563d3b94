// Control surface of the native test double: tests arrange the world here and read what the core did.
#pragma once

#include "platform/Os.h"

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace os::testdouble {

struct RegValue {
    std::uint32_t type = 0;
    std::string data; // raw bytes as stored
};

struct MessageBoxCall {
    Window owner;
    std::string text;    // narrow boxes: as given; wide boxes: converted to UTF-8
    std::string caption; // same
    std::uint32_t flags;
    bool wide;
};

struct Process {
    std::string commandLine;
    int pollsUntilExit = 0; // exit-code reads that still answer STILL_ACTIVE
    std::uint32_t exitCode = 0;
};

struct ShellLink {
    bool wide;
    std::u16string target, description, workingDir, file;
};

struct State {
    // registry: lower-cased "root\\key" -> lower-cased value name -> value
    std::map<std::string, std::map<std::string, RegValue>> registry;
    std::set<std::string> failingKeys; // lower-cased "root\\key" that cannot be created
    // drives: upper-case letter -> host folder, and the drive type GetDriveType reports
    std::map<char, std::string> drives;
    std::map<char, std::uint32_t> driveTypes;
    std::string currentDir = "C:\\";
    // free space
    bool hasFreeSpaceEx = true;
    std::map<char, std::uint64_t> freeBytes;
    std::vector<std::string> freeSpaceRoots; // "Ex ROOT" / "Legacy ROOT", as the system was asked
    std::uint32_t legacySectorsPerCluster = 8, legacyBytesPerSector = 512, legacyFreeClusters = 1000;
    // system
    std::uint32_t platformId = 2, majorVersion = 6;
    bool versionFails = false;
    std::string tempPath = "C:\\Temp\\";
    std::string modulePath = "C:\\Temp\\setup.exe"; // with unrar.dll beside it, as the relaunched copy
    Rect workArea{0, 0, 1024, 768};
    int displayDpi = 96;
    std::uint32_t ticks = 0;
    std::uint32_t sleptMs = 0;
    std::string lastErrorText;
    // lead bytes of the ANSI code page (none: the double's ANSI code page 1251 has no double bytes)
    std::array<bool, 256> leadBytes{};
    // pointer: the left button's state as GetKeyState reports it, and I-beam cursor requests
    bool leftButtonHeld = false;
    bool shiftHeld = false;
    int ibeamCursorSets = 0;
    int fileOpens = 0;   // every OpenFile, whether it succeeds or not
    int folderChanges = 0; // every SetCurrentDir, whether it succeeds or not
    int diskFlushes = 0; // FlushToDisk calls that reached an open file
    std::vector<std::string> diskOrder; // "flush", and "move FROM" for each file moved, in their order
    bool movesFail = false;
    bool noFinalPath = false;       // a system without GetFinalPathNameByHandle (XP)
    bool fileLinksUnmarked = false; // links to files are no reparse points, as Wine has them
    // files another program holds open (lower-cased Windows paths): they cannot be deleted or moved
    std::set<std::string> lockedFiles;
    // the end of the session held off: the reason given, empty while nothing holds it off
    std::u16string shutdownBlockReason;
    unsigned tempCounter = 0;
    std::vector<std::string> deleteAtReboot;
    std::vector<std::string> privateDirs; // folders made only the user and the administrators may write
    bool randomFails = false;
    int endedWith = -1;        // EndProcess's code, -1 while the process runs
    std::vector<bool> reboots; // RebootSystem calls (nt)
    bool rebootFails = false;
    // processes
    std::vector<Process> processes;
    std::deque<Process>
        nextProcesses; // behaviour of the next started processes (default: exits at once with 0)
    bool processStartFails = false;
    std::string localDate = "20261209";
    int pendingMessages = 0;
    int pumpedMessages = 0;
    // libraries
    std::vector<std::string> loadedLibraries;
    bool dllSearchRestricted = false;
    // mutexes
    std::map<std::string, int> mutexes; // name -> open handles
    std::map<Handle, std::string> mutexHandles;
    Handle nextHandle = 100;
    // message boxes
    std::vector<MessageBoxCall> boxes;
    std::vector<std::string> debugTexts; // what DebugText was given
    std::deque<int> answers; // answers of the next boxes; IDOK for OK boxes and IDNO for questions when empty
    std::function<void(const MessageBoxCall&)> onBox;
    // shell
    std::map<int, std::u16string> specialFolders;
    std::vector<std::string> opened;
    bool browseChooses = false;
    std::u16string browseResult;
    std::vector<std::pair<std::uint32_t, bool>> browseCalls; // flags, wide
    std::u16string browseTitle;
    std::vector<ShellLink> links;
    bool linkCreateFails = false;
    std::int32_t linkSaveResult = 0;
    std::u16string windowTitle;
    int titleSets = 0; // each a trip to the display on Windows
    // presentation: a recording screen, 24-bit, top row first
    int screenWidth = 1024, screenHeight = 768;
    std::vector<std::uint8_t> screen = std::vector<std::uint8_t>(1024 * 768 * 3, 0);
    Rect clientRect{0, 0, 1024, 768};
    int openDCs = 0;
    // fonts: what was asked for, and whether the font can be made
    struct FontRequest {
        std::string face;
        int pointSize;
        bool bold;
        int charset;
    };
    std::vector<FontRequest> fonts;
    bool fontFails = false;
    // the main window: its class, the window, its queue (delivered to the class's procedure by the
    // thread that created the window) and what the default procedure was given
    struct ClassRecord {
        std::string name;
        std::uint32_t style;
        int largeIcon, smallIcon;
    };
    std::vector<ClassRecord> classes;
    bool classFails = false;
    WindowProc windowProc = nullptr;
    struct WindowRecord {
        std::string className, title;
        std::uint32_t exStyle, style;
        Rect place;
        int showCommand;
    };
    std::vector<WindowRecord> windows;
    bool windowFails = false;
    struct WindowMessage {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::deque<WindowMessage> messages;
    std::vector<WindowMessage> defaultProcCalls;
    // Called when the window's thread waits for a message and none is queued; a test queues the next
    // ones here (a wait with nothing queued afterwards ends the wait with WM_QUIT, so no test hangs).
    std::function<void(State&)> onWait;
    int waits = 0;
    // Called on the window's thread after each wait for input (WaitForInput) with its length.
    std::function<void(State&, std::uint32_t)> onInputWait;
    int wakes = 0; // WakeWindow calls, from any thread (counted under the queue's lock)
    std::vector<std::pair<std::string, std::string>> topWindows; // class, title
    int windowSearches = 0;
    struct Fill {
        std::uint8_t red, green, blue;
        Rect rect;
    };
    std::vector<Fill> fills;
    int comInits = 0, comUninits = 0;
    std::string windowsDir = "C:\\Windows";
};

// The test rasterizer: the cell of a character, and what it draws. A space is 3 pixels wide, other
// characters 4 + c % 5; every cell is pointSize + 3 pixels high (one more when bold). Inside the cell
// column 1 is a solid stroke of the text colour and the top-right pixel a faint edge (blue 10).
int DoubleGlyphWidth(unsigned char c);
int DoubleGlyphHeight(int pointSize, bool bold);

State& Double();
// Queues a window message (thread-safe).
void PostWindowMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
// lParam of a mouse message at client (x, y).
inline std::intptr_t MousePoint(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y) & 0xFFFF) << 16 |
                                      (static_cast<std::uint32_t>(x) & 0xFFFF));
}
void Reset();
// State::sleptMs read under the lock Sleep takes: for a test thread watching a thread that sleeps.
std::uint32_t SleptMs();
// The lead bytes of a code page's double-byte characters (932, 936, 949, 950); none for the others.
void UseLeadBytesOf(int codePage);
// Host path of a Windows path under the current drive map; "" when its drive is not mapped.
std::string HostPath(const std::string& windowsPath);
std::string ToUtf8(const std::u16string& s);
std::u16string FromUtf8(const std::string& s);

} // namespace os::testdouble
