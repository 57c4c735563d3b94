// The test double's system services: version, temporary names, time, processes, libraries, the named
// mutex, message boxes and code pages.
#include "platform/double/DoubleInternal.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <random>
#include <thread>

namespace os {
using namespace testdouble;

namespace {
// Sleep's sums are written by whichever thread sleeps; tests on another thread read them through SleptMs.
std::mutex& SleepLock() {
    static std::mutex lock;
    return lock;
}
} // namespace

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

bool RandomBytes(void* out, std::size_t size) {
    if (Double().randomFails) return false;
    static std::random_device device;
    auto* bytes = static_cast<unsigned char*>(out);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(device());
    return true;
}

std::string ModulePath() {
    return Double().modulePath;
}
Rect WorkArea() {
    return Double().workArea;
}
std::string LocalDate() {
    return Double().localDate;
}

std::uint32_t TickCount() {
    return Double().ticks;
}
void Sleep(std::uint32_t ms) {
    // Time does not pass in the double, but other threads get their turn.
    {
        std::lock_guard<std::mutex> hold(SleepLock());
        Double().sleptMs += ms;
        Double().ticks += ms;
    }
    std::this_thread::yield();
}
bool LeftButtonHeld() {
    return Double().leftButtonHeld;
}
bool ShiftHeld() {
    return Double().shiftHeld;
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

void SetWindowTitleWide(Window, const std::u16string& title) {
    Double().windowTitle = title;
    ++Double().titleSets;
}

} // namespace os

namespace os::testdouble {
std::uint32_t SleptMs() {
    std::lock_guard<std::mutex> hold(SleepLock());
    return Double().sleptMs;
}
} // namespace os::testdouble
