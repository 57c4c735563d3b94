// The OS seam: everything the installer needs from the operating system, as thin calls without rules.
// Two back ends implement it: platform/win32 (the real one) and platform/double (the native test double).
// Constants the core uses are plain numbers here, so the core never needs windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace os {

using Handle = std::uintptr_t; // 0 = none (mutex, process, library, registry key)
using Window = void*;          // null = none

// Registry roots and access rights (values of the Win32 API).
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kKeyQueryValue = 0x0001u;
constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

// Drive types, attributes and other numbers of the API.
constexpr std::uint32_t kDriveCdrom = 5;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kStillActive = 259;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowDefault = 10;

// Message box flags and answers.
constexpr std::uint32_t kMbOk = 0x0;
constexpr std::uint32_t kMbYesNo = 0x4;
constexpr std::uint32_t kMbIconError = 0x10;
constexpr std::uint32_t kMbIconQuestion = 0x20;
constexpr std::uint32_t kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Special folders and folder-browser flags.
constexpr int kCsidlPrograms = 2;
constexpr int kCsidlDesktopDirectory = 16;
constexpr int kCsidlStartMenu = 11;
constexpr int kCsidlWindows = 36;
constexpr int kCsidlSystem = 37;
constexpr int kCsidlProgramFiles = 38;
constexpr int kCsidlProfile = 40;
constexpr int kCsidlProgramFilesX86 = 42;
constexpr int kCsidlCommonPrograms = 23;
constexpr int kCsidlCommonDesktopDirectory = 25;
constexpr std::uint32_t kBifReturnOnlyFsDirs = 0x0001;
constexpr std::uint32_t kBifReturnFsAncestors = 0x0008;
constexpr std::uint32_t kBifNewDialogStyle = 0x0040;

// ---- registry ----
Handle RegOpen(std::uint32_t root, const char* subKey, std::uint32_t access);
Handle RegCreate(std::uint32_t root, const char* subKey, std::uint32_t access); // non-volatile
// Reads a value into data (size in: capacity, out: bytes stored). False when missing or too large.
bool RegQuery(Handle key, const char* name, void* data, std::uint32_t* size, std::uint32_t* type);
bool RegSet(Handle key, const char* name, std::uint32_t type, const void* data, std::uint32_t size);
void RegClose(Handle key);
bool RegRemoveValue(Handle key, const char* name);
// Deletes a key that has no subkeys (its values go with it).
bool RegRemoveKey(std::uint32_t root, const char* subKey);
// Counts of a key's subkeys and values; false when the key cannot be asked.
bool RegCounts(Handle key, std::uint32_t* subKeys, std::uint32_t* values);

// ---- files and folders (ANSI paths with Windows semantics, relative to the current folder) ----
bool SetCurrentDir(const char* path);
std::string GetCurrentDir();
FILE* OpenFile(const char* path, const char* mode);
bool FindFirstExists(const char* nameOrPattern); // FindFirstFileA, handle closed at once
struct DirEntry {
    std::string name;
    bool isDir;
};
std::vector<DirEntry> ListDir(const char* pattern); // FindFirstFileA / FindNextFileA, "." and ".." included
bool CreateDir(const char* path);
bool CreateDirWide(const std::u16string& path);
// CreateDirectory with a protected DACL of its own: full control for the calling user, the
// Administrators and SYSTEM, nobody else. False when it exists already or cannot be made.
bool CreatePrivateDir(const char* path);
bool FileCopy(const char* from, const char* to, bool failIfExists);
bool SetFileAttrs(const char* path, std::uint32_t attrs);
bool FileDelete(const char* path);
bool RemoveDir(const char* path);
// MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT: the file goes at the next start of Windows.
bool DeleteAtReboot(const char* path);
// FILE_ATTRIBUTE_REPARSE_POINT of the path itself (a junction, a symbolic link).
bool IsReparsePoint(const char* path);
// GetFinalPathNameByHandle of the file or folder opened at path: where it really is, every link
// resolved, in the "\\?\" form; "" when it cannot be opened or the system lacks the call.
std::string FinalPath(const char* path);
// Removes a reparse point itself (RemoveDirectory for a folder link, DeleteFile for a file link),
// never what it leads to.
bool RemoveLink(const char* path);
// MoveFileEx with MOVEFILE_WRITE_THROUGH (and MOVEFILE_REPLACE_EXISTING when replace): the move is on
// the disk when it returns. Within one volume only.
bool MoveOnDisk(const char* from, const char* to, bool replace);
// fflush, then FlushFileBuffers: what was written to the file is on the disk when it returns.
bool FlushToDisk(FILE* file);
bool ShortPathWide(const std::u16string& path, std::u16string* shortPath);
bool ShortPath(const char* path, std::string* shortPath);

// ---- drives and free space ----
std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t size);
std::uint32_t DriveType(const char* root);
// GetDiskFreeSpaceExA looked up in kernel32 by name: -1 when the entry point is absent,
// 0 when the call fails, 1 with the bytes available to the caller.
int FreeSpaceEx(const char* root, std::uint64_t* availableToCaller);
bool FreeSpaceLegacy(const char* root, std::uint32_t* sectorsPerCluster, std::uint32_t* bytesPerSector,
                     std::uint32_t* freeClusters);

// ---- system information ----
// GetVersionExA with a zeroed record of recordSize bytes (148 or 156).
bool VersionInfo(std::uint32_t recordSize, std::uint32_t* platformId, std::uint32_t* major);
std::string TempPath();                                           // GetTempPathA, with its final separator
std::string TempFileName(const char* folder, const char* prefix); // GetTempFileNameA, unique 0; "" on failure
std::string ModulePath();                                         // the running executable
// The system's cryptographic random generator (RtlGenRandom); false when it gives nothing.
bool RandomBytes(void* out, std::size_t size);
struct Rect {
    std::int32_t left, top, right, bottom;
};
Rect WorkArea();
std::uint32_t TickCount();
std::string LocalDate(); // today as yyyymmdd (GetLocalTime)
void Sleep(std::uint32_t ms);
bool IsLeadByte(unsigned char c); // DBCS lead byte of the ANSI code page
std::string LastErrorText();      // FormatMessage from the system table; "" when there is none

// ---- pointer ----
bool LeftButtonHeld(); // GetKeyState(VK_LBUTTON) has its high bit set
void SetIBeamCursor(); // SetCursor(LoadCursor(nullptr, IDC_IBEAM))
bool ShiftHeld();      // GetKeyState(VK_SHIFT) has its high bit set

// ---- processes ----
Handle StartProgram(const char* commandLine, int showCommand); // process handle, 0 on failure
bool ExitCode(Handle process, std::uint32_t* code);
bool PumpOneMessage();    // takes one waiting message of this thread, translates and dispatches it
void RestrictDllSearch(); // only the system folder is searched for implicitly loaded libraries
Handle LoadLibraryPath(const char* fullPath);
void* LibrarySymbol(Handle library, const char* name);

// ---- end of the session ----
// Ends the process with the code (the double records it and returns).
void EndProcess(std::uint32_t code);
// ExitWindowsEx(EWX_REBOOT); on NT with the shutdown privilege enabled for the call, on 9x after
// FreeConsole. False when the privilege cannot be had or (9x) the call fails.
bool RebootSystem(bool nt);
// ShutdownBlockReasonCreate / Destroy where the system has them (Vista and later): the reason Windows
// shows for a window that holds off the end of the session. Called on the window's thread.
void BlockShutdown(Window window, const std::u16string& reason);
void UnblockShutdown(Window window);

// ---- named mutex ----
Handle MutexOpen(const char* name);
Handle MutexCreate(const char* name);
void MutexRelease(Handle mutex);
void HandleClose(Handle handle);

// ---- message boxes ----
int MsgBoxA(Window owner, const char* text, const char* caption, std::uint32_t flags);
int MsgBoxW(Window owner, const std::u16string& text, const std::u16string& caption, std::uint32_t flags);
// A line for a debugger (or Wine's debug channel): what the player was told, for support and tests.
void DebugText(const char* text);

// ---- code pages ----
std::u16string AnsiToWide(const char* text);
std::string WideToAnsi(const std::u16string& text);
std::string OemToAnsiText(const char* text);
std::string AnsiToOemText(const char* text);

// ---- shell ----
bool SpecialFolderWide(int csidl, std::u16string* path); // SHGetSpecialFolderPathW, no creation
void ShellOpen(Window owner, const char* file);          // ShellExecute "open", SW_SHOWNORMAL
// The folder browser; wide selects the W interface. True with the chosen folder's path.
bool BrowseForFolder(Window owner, const std::u16string& title, std::uint32_t flags, bool wide,
                     std::u16string* chosen);
struct ShellLinkResult {
    bool created;        // the shell link object could be made
    std::int32_t result; // COM result of Save (or of the creation when it failed)
};
// CoInitialize on the calling thread, then IShellLinkW (wide) or IShellLinkA with ANSI texts.
ShellLinkResult SaveShellLink(bool wide, const std::u16string& target, const std::u16string& description,
                              const std::u16string& workingDir, const std::u16string& linkFile);
void SetWindowTitleWide(Window window, const std::u16string& title);

// ---- the main window and its message queue ----
// Window messages the core handles, and the numbers that go with them.
constexpr std::uint32_t kWmDestroy = 0x0002;
constexpr std::uint32_t kWmSize = 0x0005;
constexpr std::uint32_t kWmActivate = 0x0006;
constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmQueryEndSession = 0x0011;
constexpr std::uint32_t kWmQuit = 0x0012;
constexpr std::uint32_t kWmEraseBkgnd = 0x0014;
constexpr std::uint32_t kWmDpiChanged = 0x02E0;
constexpr std::uint32_t kWmEndSession = 0x0016;
constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kWmKeyUp = 0x0101;
constexpr std::uint32_t kWmChar = 0x0102;
constexpr std::uint32_t kWmMouseMove = 0x0200;
constexpr std::uint32_t kWmLButtonDown = 0x0201;
constexpr std::uint32_t kWmLButtonUp = 0x0202;
constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
constexpr std::uint32_t kWmRButtonDown = 0x0204;
constexpr std::uint32_t kWmRButtonUp = 0x0205;
constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
constexpr std::uint32_t kWmMButtonDown = 0x0207;
constexpr std::uint32_t kWmMButtonUp = 0x0208;
constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
constexpr std::uint32_t kWmMouseWheel = 0x020A;
constexpr int kWheelDelta = 120; // one notch
constexpr std::uintptr_t kSizeMinimized = 1;
constexpr std::uintptr_t kSizeMaxHide = 4;
constexpr std::uintptr_t kWaActive = 1;
constexpr std::uintptr_t kWaClickActive = 2;
constexpr std::uint32_t kCsVRedraw = 0x0001;
constexpr std::uint32_t kCsHRedraw = 0x0002;
constexpr std::uint32_t kWsPopup = 0x80000000u;
constexpr std::uint32_t kWsMaximize = 0x01000000u;
constexpr std::uint32_t kWsExAppWindow = 0x00040000u;
constexpr int kSwShow = 5;

using WindowProc = std::intptr_t (*)(Window window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);
struct WindowClass {
    const char* name;
    std::uint32_t style;
    int largeIcon; // icon resources of the module, by number; a missing one leaves the class without it
    int smallIcon;
    WindowProc proc; // every message of the class's windows; the arrow cursor, no brush, no menu
};
bool RegisterWindowClass(void* instance, const WindowClass& windowClass);
Window CreateMainWindow(void* instance, const char* className, const char* title, std::uint32_t exStyle,
                        std::uint32_t style, const Rect& place);
void SetWindowTitle(Window window, const char* title);
void ShowAndUpdate(Window window, int showCommand); // ShowWindow, then UpdateWindow
std::intptr_t DefaultWindowProc(Window window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);
void PostQuit(int exitCode);
enum class Pump { None, Dispatched, Quit };
// Takes one waiting message of this thread: WM_QUIT is reported, anything else translated and dispatched.
Pump PumpMessage();
void WaitForMessage(); // returns when a message is waiting
// Sleeps up to ms, waking early when input for this thread's windows arrives.
void WaitForInput(std::uint32_t ms);
// Posts WM_NULL to the window from any thread: its thread's wait for input ends.
void WakeWindow(Window window);
bool TopWindowExists(const char* className, const char* title);
Handle ClientDC(Window window); // GetDC; released with ReleaseWindowDC
// Fills the rectangles (right and bottom exclusive) with one solid brush of the colour.
void FillSolid(Handle dc, std::uint8_t red, std::uint8_t green, std::uint8_t blue, const Rect* rects,
               int count);
bool ComInitialize(); // apartment-threaded, for the calling thread
void ComUninitialize();
std::string WindowsDir(); // GetWindowsDirectoryA, without a final separator

// ---- presentation ----
// The layout of a Windows BITMAPINFO with one colour entry.
struct BitmapInfo {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0; // positive: rows bottom-up
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0; // BI_RGB
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    std::uint8_t colors[4] = {};
};
Rect ClientRect(Window window);
// A point in screen coordinates into the window's client coordinates (ScreenToClient).
void ScreenToClientPoint(Window window, int* x, int* y);
Handle WindowDC(Window window); // GetWindowDC
void ReleaseWindowDC(Window window, Handle dc);
void ScreenSize(Handle dc, int* width, int* height); // HORZRES, VERTRES
// The dots per inch of the display the window is on (GetDpiForWindow where the system has it), else of
// the screen (LOGPIXELSY); 96 when neither tells.
int DisplayDpi(Window window);
// Tells the system that the program scales its own drawing to each display's DPI (per-monitor, else
// system-wide on older systems), before any window exists: it then gets real pixels, not a stretched
// and blurred bitmap of a 96-dpi window.
void DeclareDpiAware();
// StretchDIBits with DIB_RGB_COLORS and SRCCOPY; an enlargement repeats pixels (COLORONCOLOR).
void StretchBits(Handle dc, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const void* bits,
                 const BitmapInfo& info);

// ---- font rendering: one GDI font drawn into a 256 x 256 top-down 32-bit bitmap ----
// A memory DC, the DIB section and CreateFontA(-MulDiv(pointSize, 96, 72), ..., charset,
// ANTIALIASED_QUALITY, VARIABLE_PITCH, face), text colour RGB(18, 40, 49) on black. 0 when the font
// cannot be made.
Handle FontCanvasCreate(const char* face, int pointSize, bool bold, int charset);
bool FontCanvasMeasure(Handle canvas, unsigned char c, int* cx, int* cy); // GetTextExtentPoint32A
void FontCanvasDraw(Handle canvas, unsigned char c, int x, int y);        // ExtTextOutA with ETO_OPAQUE
const std::uint8_t* FontCanvasPixels(Handle canvas); // 256 rows of 1024 bytes, top row first
void FontCanvasDestroy(Handle canvas);

} // namespace os
