// Native test double of the OS seam: an in-memory registry, drive letters mapped to host folders,
// scripted message boxes and processes. The ANSI code page is 1251 and the OEM code page 866, so the
// Cyrillic conversions of the installer are exercised for real (through iconv).
#include "platform/double/Double.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fnmatch.h>
#include <iconv.h>
#include <sys/stat.h>
#include <dirent.h>
#include <climits>
#include <dlfcn.h>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace os::testdouble {

State& Double() {
    static State state;
    return state;
}

void Reset() {
    Double() = State();
}

void UseLeadBytesOf(int codePage) {
    auto& lead = Double().leadBytes;
    lead.fill(false);
    auto range = [&](int from, int to) {
        for (int c = from; c <= to; ++c)
            lead[static_cast<std::size_t>(c)] = true;
    };
    if (codePage == 932) {
        range(0x81, 0x9F);
        range(0xE0, 0xFC);
    } else if (codePage == 936 || codePage == 949 || codePage == 950) {
        range(0x81, 0xFE);
    }
}

static std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

static bool IsSep(char c) {
    return c == '\\' || c == '/';
}

// Absolute, normalised Windows form ("D:\a\b") of a path relative to the current folder.
static std::string Absolute(const std::string& path) {
    const std::string& cur = Double().currentDir;
    std::string full;
    if (path.size() >= 2 && path[1] == ':') {
        if (path.size() >= 3 && IsSep(path[2]))
            full = path;
        else
            full = path.substr(0, 2) + "\\" + path.substr(2); // drive-relative: taken from the root
    } else if (!path.empty() && IsSep(path[0])) {
        full = cur.substr(0, 2) + path;
    } else {
        full = cur + "\\" + path;
    }
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 3; i <= full.size(); ++i) {
        if (i == full.size() || IsSep(full[i])) {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += full[i];
        }
    }
    std::string out;
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
    out += ":\\";
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? "\\" : "") + parts[i];
    return out;
}

std::string HostPath(const std::string& windowsPath) {
    std::string abs = Absolute(windowsPath);
    auto it = Double().drives.find(abs[0]);
    if (it == Double().drives.end()) return std::string();
    std::string host = it->second;
    for (size_t i = 3; i < abs.size(); ++i)
        host += abs[i] == '\\' ? '/' : abs[i];
    if (abs.size() > 3) host.insert(it->second.size(), "/");
    return host;
}

static std::string Convert(const char* from, const char* to, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // Like the system conversions, an unmappable character becomes a question mark.
        ++src;
        --srcLeft;
        if (dstLeft) {
            *dst++ = '?';
            --dstLeft;
            if (std::strncmp(to, "UTF-16", 6) == 0 && dstLeft) {
                *dst++ = '\0';
                --dstLeft;
            }
        }
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

std::string ToUtf8(const std::u16string& s) {
    return Convert("UTF-16LE", "UTF-8", std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2));
}

std::u16string FromUtf8(const std::string& s) {
    std::string bytes = Convert("UTF-8", "UTF-16LE", s);
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

static std::string KeyName(std::uint32_t root, const char* subKey) {
    return Lower((root == kHkeyLocalMachine ? std::string("HKLM\\") : std::string("HKCU\\")) + subKey);
}

static std::vector<std::string>& OpenKeys() {
    static std::vector<std::string> keys;
    return keys;
}

static bool IsDir(const std::string& host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static bool Exists(const std::string& host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0;
}

} // namespace os::testdouble

namespace os {
using namespace testdouble;

Handle RegOpen(std::uint32_t root, const char* subKey, std::uint32_t) {
    std::string name = KeyName(root, subKey);
    if (!Double().registry.count(name)) return 0;
    OpenKeys().push_back(name);
    return OpenKeys().size();
}

Handle RegCreate(std::uint32_t root, const char* subKey, std::uint32_t) {
    std::string name = KeyName(root, subKey);
    if (Double().failingKeys.count(name)) return 0;
    Double().registry[name];
    OpenKeys().push_back(name);
    return OpenKeys().size();
}

bool RegQuery(Handle key, const char* name, void* data, std::uint32_t* size, std::uint32_t* type) {
    if (key == 0 || key > OpenKeys().size()) return false;
    auto& values = Double().registry[OpenKeys()[key - 1]];
    auto it = values.find(Lower(name ? name : ""));
    if (it == values.end()) return false;
    if (type) *type = it->second.type;
    if (it->second.data.size() > *size) {
        *size = static_cast<std::uint32_t>(it->second.data.size());
        return false;
    }
    std::memcpy(data, it->second.data.data(), it->second.data.size());
    *size = static_cast<std::uint32_t>(it->second.data.size());
    return true;
}

bool RegSet(Handle key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    if (key == 0 || key > OpenKeys().size()) return false;
    Double().registry[OpenKeys()[key - 1]][Lower(name ? name : "")] =
        RegValue{type, std::string(static_cast<const char*>(data), size)};
    return true;
}

void RegClose(Handle) {}

bool RegRemoveValue(Handle key, const char* name) {
    if (key == 0 || key > OpenKeys().size()) return false;
    auto it = Double().registry.find(OpenKeys()[key - 1]);
    return it != Double().registry.end() && it->second.erase(Lower(name ? name : "")) == 1;
}

static bool HasSubKeys(const std::string& name) {
    std::string prefix = name + "\\";
    auto it = Double().registry.lower_bound(prefix);
    return it != Double().registry.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

bool RegRemoveKey(std::uint32_t root, const char* subKey) {
    std::string name = KeyName(root, subKey);
    if (!Double().registry.count(name) || HasSubKeys(name)) return false;
    Double().registry.erase(name);
    return true;
}

bool RegCounts(Handle key, std::uint32_t* subKeys, std::uint32_t* values) {
    if (key == 0 || key > OpenKeys().size()) return false;
    const std::string& name = OpenKeys()[key - 1];
    auto it = Double().registry.find(name);
    if (it == Double().registry.end()) return false;
    std::set<std::string> children;
    std::string prefix = name + "\\";
    for (auto k = Double().registry.lower_bound(prefix);
         k != Double().registry.end() && k->first.compare(0, prefix.size(), prefix) == 0; ++k)
        children.insert(k->first.substr(prefix.size(), k->first.find('\\', prefix.size()) - prefix.size()));
    *subKeys = static_cast<std::uint32_t>(children.size());
    *values = static_cast<std::uint32_t>(it->second.size());
    return true;
}

bool SetCurrentDir(const char* path) {
    std::string host = HostPath(path);
    if (!IsDir(host)) return false;
    Double().currentDir = Absolute(path);
    return true;
}

std::string GetCurrentDir() {
    return Double().currentDir;
}

FILE* OpenFile(const char* path, const char* mode) {
    ++Double().fileOpens;
    std::string host = HostPath(path);
    if (host.empty()) return nullptr;
    std::string m;
    for (const char* p = mode; *p; ++p)
        if (*p != 't') m += *p; // text mode is the host's default
    return std::fopen(host.c_str(), m.c_str());
}

static std::vector<DirEntry> Match(const char* pattern) {
    std::vector<DirEntry> out;
    std::string p(pattern);
    size_t cut = p.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? std::string(".") : p.substr(0, cut + 1);
    std::string mask = cut == std::string::npos ? p : p.substr(cut + 1);
    std::string hostFolder = HostPath(folder);
    if (mask.find_first_of("*?") == std::string::npos) {
        std::string host = HostPath(p);
        if (Exists(host)) out.push_back({mask, IsDir(host)});
        return out;
    }
    if (mask == "*.*") mask = "*";
    DIR* dir = opendir(hostFolder.c_str());
    if (!dir) return out;
    std::vector<DirEntry> found;
    while (dirent* e = readdir(dir)) {
        if (fnmatch(mask.c_str(), e->d_name, FNM_CASEFOLD) != 0) continue;
        found.push_back({e->d_name, IsDir(hostFolder + "/" + e->d_name)});
    }
    closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return found;
}

bool FindFirstExists(const char* nameOrPattern) {
    return !Match(nameOrPattern).empty();
}
std::vector<DirEntry> ListDir(const char* pattern) {
    return Match(pattern);
}

bool CreateDir(const char* path) {
    std::string host = HostPath(path);
    return !host.empty() && mkdir(host.c_str(), 0777) == 0;
}

bool CreateDirWide(const std::u16string& path) {
    return CreateDir(WideToAnsi(path).c_str());
}

bool FileCopy(const char* from, const char* to, bool failIfExists) {
    std::string src = HostPath(from), dst = HostPath(to);
    if (src.empty() || dst.empty() || IsDir(src) || (failIfExists && Exists(dst))) return false;
    FILE* in = std::fopen(src.c_str(), "rb");
    if (!in) return false;
    struct stat st;
    if (stat(dst.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
        std::fclose(in);
        return false; // a read-only target cannot be overwritten
    }
    FILE* out = std::fopen(dst.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        std::fwrite(buffer, 1, n, out);
    std::fclose(in);
    return std::fclose(out) == 0;
}

bool SetFileAttrs(const char* path, std::uint32_t attrs) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || stat(host.c_str(), &st) != 0) return false;
    mode_t mode = (attrs & kAttrReadOnly) ? (st.st_mode & ~0222) : (st.st_mode | S_IWUSR);
    return chmod(host.c_str(), mode) == 0;
}

bool FileDelete(const char* path) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (!(st.st_mode & S_IWUSR)) return false; // Windows refuses to delete a read-only file
    return unlink(host.c_str()) == 0;
}

bool RemoveDir(const char* path) {
    std::string host = HostPath(path);
    return !host.empty() && rmdir(host.c_str()) == 0;
}

bool DeleteAtReboot(const char* path) {
    Double().deleteAtReboot.push_back(path);
    return true;
}

bool ShortPathWide(const std::u16string& path, std::u16string* shortPath) {
    if (!Exists(HostPath(WideToAnsi(path)))) return false;
    *shortPath = path; // the double has no 8.3 names: the short form is the long one
    return true;
}

bool ShortPath(const char* path, std::string* shortPath) {
    if (!Exists(HostPath(path))) return false;
    *shortPath = path;
    return true;
}

std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t size) {
    std::string all;
    for (auto& [letter, folder] : Double().drives) {
        all += letter;
        all += ":\\";
        all += '\0';
    }
    if (all.size() + 1 > size) return static_cast<std::uint32_t>(all.size() + 1);
    std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    return static_cast<std::uint32_t>(all.size());
}

std::uint32_t DriveType(const char* root) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    auto it = Double().driveTypes.find(letter);
    if (it != Double().driveTypes.end()) return it->second;
    return Double().drives.count(letter) ? kDriveFixed : 1;
}

int FreeSpaceEx(const char* root, std::uint64_t* availableToCaller) {
    if (!Double().hasFreeSpaceEx) return -1;
    Double().freeSpaceRoots.push_back(std::string("Ex ") + root);
    if (std::strlen(root) < 3 || root[1] != ':' || !IsSep(root[2])) return 0;
    auto it = Double().freeBytes.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
    if (it == Double().freeBytes.end()) return 0;
    *availableToCaller = it->second;
    return 1;
}

bool FreeSpaceLegacy(const char* root, std::uint32_t* spc, std::uint32_t* bps, std::uint32_t* freeClusters) {
    Double().freeSpaceRoots.push_back(std::string("Legacy ") + root);
    if (std::strlen(root) < 2 || root[1] != ':') return false;
    *spc = Double().legacySectorsPerCluster;
    *bps = Double().legacyBytesPerSector;
    *freeClusters = Double().legacyFreeClusters;
    return true;
}

bool VersionInfo(std::uint32_t, std::uint32_t* platformId, std::uint32_t* major) {
    if (Double().versionFails) return false;
    *platformId = Double().platformId;
    *major = Double().majorVersion;
    return true;
}

std::string TempPath() {
    return Double().tempPath;
}

std::string TempFileName(const char* folder, const char* prefix) {
    char name[32];
    std::snprintf(name, sizeof name, "%.3s%X.tmp", prefix, ++Double().tempCounter);
    std::string path = std::string(folder);
    if (!path.empty() && !IsSep(path.back())) path += '\\';
    path += name;
    FILE* f = OpenFile(path.c_str(), "wb");
    if (!f) return std::string();
    std::fclose(f);
    return path;
}

std::string ModulePath() {
    return Double().modulePath;
}
Rect WorkArea() {
    return Double().workArea;
}
std::uint32_t TickCount() {
    return Double().ticks;
}
void Sleep(std::uint32_t ms) {
    // Time does not pass in the double, but other threads get their turn.
    static std::mutex lock;
    {
        std::lock_guard<std::mutex> hold(lock);
        Double().sleptMs += ms;
        Double().ticks += ms;
    }
    std::this_thread::yield();
}
bool LeftButtonHeld() {
    return Double().leftButtonHeld;
}
void SetIBeamCursor() {
    ++Double().ibeamCursorSets;
}
bool IsLeadByte(unsigned char c) {
    return Double().leadBytes[c];
}
std::string LastErrorText() {
    return Double().lastErrorText;
}

Handle StartProgram(const char* commandLine, int) {
    if (Double().processStartFails) return 0;
    Process p;
    if (!Double().nextProcesses.empty()) {
        p = Double().nextProcesses.front();
        Double().nextProcesses.pop_front();
    }
    p.commandLine = commandLine;
    Double().processes.push_back(p);
    return Double().processes.size();
}

bool ExitCode(Handle process, std::uint32_t* code) {
    if (process == 0 || process > Double().processes.size()) return false;
    Process& p = Double().processes[process - 1];
    if (p.pollsUntilExit > 0) {
        --p.pollsUntilExit;
        *code = kStillActive;
    } else {
        *code = p.exitCode;
    }
    return true;
}

namespace {
std::mutex g_queueLock;
std::thread::id g_windowThread;

// The next window message for the calling thread: only the thread that made the window has a queue.
bool TakeMessage(State::WindowMessage* out) {
    std::lock_guard<std::mutex> hold(g_queueLock);
    State& d = Double();
    if (d.windows.empty() || std::this_thread::get_id() != g_windowThread || d.messages.empty()) return false;
    *out = d.messages.front();
    d.messages.pop_front();
    return true;
}
} // namespace

void testdouble::PostWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> hold(g_queueLock);
    Double().messages.push_back({message, wParam, lParam});
}

bool PumpOneMessage() {
    State::WindowMessage m;
    if (TakeMessage(&m)) {
        // As DispatchMessage does with it, a WM_QUIT taken here is lost.
        if (m.message != kWmQuit && Double().windowProc)
            Double().windowProc(reinterpret_cast<Window>(1), m.message, m.wParam, m.lParam);
        return true;
    }
    if (Double().pendingMessages <= 0) return false;
    --Double().pendingMessages;
    ++Double().pumpedMessages;
    return true;
}

Pump PumpMessage() {
    State::WindowMessage m;
    if (!TakeMessage(&m)) return Pump::None;
    if (m.message == kWmQuit) return Pump::Quit;
    if (Double().windowProc) Double().windowProc(reinterpret_cast<Window>(1), m.message, m.wParam, m.lParam);
    return Pump::Dispatched;
}

void WaitForInput(std::uint32_t ms) {
    // The double's input is scripted: waiting for it is a plain sleep.
    Sleep(ms);
}

void WaitForMessage() {
    State& d = Double();
    ++d.waits;
    {
        std::lock_guard<std::mutex> hold(g_queueLock);
        if (!d.messages.empty()) return;
    }
    if (d.onWait) d.onWait(d);
    std::lock_guard<std::mutex> hold(g_queueLock);
    if (d.messages.empty()) d.messages.push_back({kWmQuit, 0, 0});
}

bool RegisterWindowClass(void*, const WindowClass& c) {
    State& d = Double();
    if (d.classFails) return false;
    d.classes.push_back({c.name, c.style, c.largeIcon, c.smallIcon});
    d.windowProc = c.proc;
    return true;
}

Window CreateMainWindow(void*, const char* className, const char* title, std::uint32_t exStyle,
                        std::uint32_t style, const Rect& place) {
    State& d = Double();
    if (d.windowFails) return nullptr;
    d.windows.push_back({className, title, exStyle, style, place, -1});
    g_windowThread = std::this_thread::get_id();
    return reinterpret_cast<Window>(1);
}

void SetWindowTitle(Window, const char* title) {
    if (!Double().windows.empty()) Double().windows.back().title = title;
}

void ShowAndUpdate(Window, int showCommand) {
    if (!Double().windows.empty()) Double().windows.back().showCommand = showCommand;
}

std::intptr_t DefaultWindowProc(Window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Double().defaultProcCalls.push_back({message, wParam, lParam});
    return message == kWmQueryEndSession ? 1 : 0;
}

void PostQuit(int exitCode) {
    testdouble::PostWindowMessage(kWmQuit, static_cast<std::uintptr_t>(exitCode), 0);
}

bool TopWindowExists(const char* className, const char* title) {
    State& d = Double();
    ++d.windowSearches;
    for (const auto& w : d.topWindows)
        if (w.first == className && w.second == title) return true;
    return false;
}

Handle ClientDC(Window) {
    ++Double().openDCs;
    return 2;
}

void FillSolid(Handle, std::uint8_t red, std::uint8_t green, std::uint8_t blue, const Rect* rects,
               int count) {
    State& d = Double();
    for (int i = 0; i < count; ++i) {
        const Rect& r = rects[i];
        d.fills.push_back({red, green, blue, r});
        for (int y = std::max(0, r.top); y < std::min(d.screenHeight, r.bottom); ++y)
            for (int x = std::max(0, r.left); x < std::min(d.screenWidth, r.right); ++x) {
                std::uint8_t* p = &d.screen[(static_cast<std::size_t>(y) * d.screenWidth + x) * 3];
                p[0] = blue;
                p[1] = green;
                p[2] = red;
            }
    }
}

bool ComInitialize() {
    ++Double().comInits;
    return true;
}

void ComUninitialize() {
    ++Double().comUninits;
}

std::string WindowsDir() {
    return Double().windowsDir;
}

void RestrictDllSearch() {
    Double().dllSearchRestricted = true;
}

// A library is the real shared object at the host path of the Windows path, so native tests load
// the extractor libraries for real.
static std::vector<void*>& Loaded() {
    static std::vector<void*> loaded;
    return loaded;
}

Handle LoadLibraryPath(const char* fullPath) {
    Double().loadedLibraries.push_back(fullPath);
    std::string host = HostPath(fullPath);
    if (!Exists(host)) return 0;
    // By its real path: the loader knows a library by name, and tests point one name at several.
    char real[PATH_MAX];
    if (!realpath(host.c_str(), real)) return 0;
    void* dl = dlopen(real, RTLD_NOW | RTLD_LOCAL);
    if (!dl) return 0;
    Loaded().push_back(dl);
    return Loaded().size();
}

void* LibrarySymbol(Handle library, const char* name) {
    if (library == 0 || library > Loaded().size()) return nullptr;
    return dlsym(Loaded()[library - 1], name);
}

void EndProcess(std::uint32_t code) {
    Double().endedWith = static_cast<int>(code);
}

bool RebootSystem(bool nt) {
    Double().reboots.push_back(nt);
    return !Double().rebootFails;
}

static Handle MutexHandle(const char* name) {
    ++Double().mutexes[name];
    Handle h = ++Double().nextHandle;
    Double().mutexHandles[h] = name;
    return h;
}
Handle MutexOpen(const char* name) {
    return Double().mutexes.count(name) ? MutexHandle(name) : 0;
}
Handle MutexCreate(const char* name) {
    return MutexHandle(name);
}
void MutexRelease(Handle) {}
void HandleClose(Handle handle) {
    auto it = Double().mutexHandles.find(handle);
    if (it == Double().mutexHandles.end()) return;
    if (--Double().mutexes[it->second] == 0) Double().mutexes.erase(it->second);
    Double().mutexHandles.erase(it);
}

static int Answer(const MessageBoxCall& call) {
    Double().boxes.push_back(call);
    if (Double().onBox) Double().onBox(call);
    if (!Double().answers.empty()) {
        int a = Double().answers.front();
        Double().answers.pop_front();
        return a;
    }
    return (call.flags & 0xF) == kMbYesNo ? kIdNo : kIdOk;
}

int MsgBoxA(Window owner, const char* text, const char* caption, std::uint32_t flags) {
    return Answer({owner, text ? text : "", caption ? caption : "", flags, false});
}

int MsgBoxW(Window owner, const std::u16string& text, const std::u16string& caption, std::uint32_t flags) {
    return Answer({owner, ToUtf8(text), ToUtf8(caption), flags, true});
}

void DebugText(const char* text) {
    Double().debugTexts.push_back(text);
}

std::u16string AnsiToWide(const char* text) {
    std::string bytes = Convert("CP1251", "UTF-16LE", text);
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

std::string WideToAnsi(const std::u16string& text) {
    return Convert("UTF-16LE", "CP1251",
                   std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}

std::string OemToAnsiText(const char* text) {
    return Convert("CP866", "CP1251", text);
}
std::string AnsiToOemText(const char* text) {
    return Convert("CP1251", "CP866", text);
}

bool SpecialFolderWide(int csidl, std::u16string* path) {
    auto it = Double().specialFolders.find(csidl);
    if (it == Double().specialFolders.end()) return false;
    *path = it->second;
    return true;
}

void ShellOpen(Window, const char* file) {
    Double().opened.push_back(file);
}

bool BrowseForFolder(Window, const std::u16string& title, std::uint32_t flags, bool wide,
                     std::u16string* chosen) {
    Double().browseCalls.push_back({flags, wide});
    Double().browseTitle = title;
    if (!Double().browseChooses) return false;
    *chosen = Double().browseResult;
    return true;
}

ShellLinkResult SaveShellLink(bool wide, const std::u16string& target, const std::u16string& description,
                              const std::u16string& workingDir, const std::u16string& linkFile) {
    if (Double().linkCreateFails) return {false, static_cast<std::int32_t>(0x80040154u)};
    Double().links.push_back({wide, target, description, workingDir, linkFile});
    if (Double().linkSaveResult == 0) {
        if (FILE* f = OpenFile(WideToAnsi(linkFile).c_str(), "wb")) std::fclose(f);
    }
    return {true, Double().linkSaveResult};
}

void SetWindowTitleWide(Window, const std::u16string& title) {
    Double().windowTitle = title;
}

Rect ClientRect(Window) {
    return Double().clientRect;
}

Handle WindowDC(Window) {
    ++Double().openDCs;
    return 1;
}

void ReleaseWindowDC(Window, Handle) {
    --Double().openDCs;
}

void ScreenSize(Handle, int* width, int* height) {
    *width = Double().screenWidth;
    *height = Double().screenHeight;
}

void StretchBits(Handle, int dx, int dy, int dw, int dh, int, int, int sw, int sh, const void* bits,
                 const BitmapInfo& info) {
    // As Windows reads a DIB: rows rounded up to 4 bytes, bottom-up for a positive height.
    State& d = Double();
    if (!bits || info.bitCount != 24 || info.width <= 0 || info.height <= 0) return;
    int rowBytes = ((info.width * 24 + 31) / 32) * 4;
    const auto* src = static_cast<const std::uint8_t*>(bits);
    if (dw == sw && dh == sh && dx >= 0 && dx + dw <= d.screenWidth) {
        // 1:1, as the painter presents: a row at a time.
        for (int row = 0; row < dh; ++row) {
            int y = dy + row;
            if (y < 0 || y >= d.screenHeight || row >= info.height) continue;
            std::memcpy(&d.screen[(static_cast<std::size_t>(y) * d.screenWidth + dx) * 3],
                        src + static_cast<std::size_t>(info.height - 1 - row) * rowBytes,
                        static_cast<std::size_t>(dw) * 3);
        }
        return;
    }
    for (int row = 0; row < dh; ++row) {
        int y = dy + row;
        if (y < 0 || y >= d.screenHeight) continue;
        int srcRow = info.height - 1 - (row * sh / dh);
        for (int col = 0; col < dw; ++col) {
            int x = dx + col;
            if (x < 0 || x >= d.screenWidth) continue;
            const std::uint8_t* p = src + srcRow * rowBytes + (col * sw / dw) * 3;
            std::memcpy(&d.screen[(static_cast<std::size_t>(y) * d.screenWidth + x) * 3], p, 3);
        }
    }
}

} // namespace os

namespace os::testdouble {
int DoubleGlyphWidth(unsigned char c) {
    return c == ' ' ? 3 : 4 + c % 5;
}
int DoubleGlyphHeight(int pointSize, bool bold) {
    return pointSize + 3 + (bold ? 1 : 0);
}
} // namespace os::testdouble

namespace os {

namespace {
struct DoubleCanvas {
    int pointSize;
    bool bold;
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(256 * 256 * 4, 0);
};
} // namespace

Handle FontCanvasCreate(const char* face, int pointSize, bool bold, int charset) {
    Double().fonts.push_back({face, pointSize, bold, charset});
    if (Double().fontFails) return 0;
    return reinterpret_cast<Handle>(new DoubleCanvas{pointSize, bold});
}

bool FontCanvasMeasure(Handle canvas, unsigned char c, int* cx, int* cy) {
    auto* dc = reinterpret_cast<DoubleCanvas*>(canvas);
    *cx = DoubleGlyphWidth(c);
    *cy = DoubleGlyphHeight(dc->pointSize, dc->bold);
    return true;
}

void FontCanvasDraw(Handle canvas, unsigned char c, int x, int y) {
    auto* dc = reinterpret_cast<DoubleCanvas*>(canvas);
    int w = DoubleGlyphWidth(c), h = DoubleGlyphHeight(dc->pointSize, dc->bold);
    auto put = [&](int px, int py, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        if (px < 0 || py < 0 || px >= 256 || py >= 256) return;
        std::uint8_t* p = &dc->pixels[(static_cast<std::size_t>(py) * 256 + px) * 4];
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = 0;
    };
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            put(x + col, y + row, 0, 0, 0); // the opaque cell
    if (c == ' ') return;
    for (int row = 0; row < h; ++row)
        put(x + 1, y + row, 49, 40, 18);
    put(x + w - 1, y, 10, 8, 4);
}

const std::uint8_t* FontCanvasPixels(Handle canvas) {
    return reinterpret_cast<DoubleCanvas*>(canvas)->pixels.data();
}

void FontCanvasDestroy(Handle canvas) {
    delete reinterpret_cast<DoubleCanvas*>(canvas);
}

} // namespace os
