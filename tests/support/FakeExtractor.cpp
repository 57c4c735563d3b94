// A scripted extractor library for the worker's native tests. It has the entry points of the real one,
// but its packages are text files, one member a line, and it reaches files through a path mapper the
// test gives it (the test double's drive map), so the worker runs with Windows paths:
//   D name            a folder
//   F name content    a file; its content is reported through the data callback in blocks
//   E code name       a member whose extraction fails with that code, after its file was created
//   H code            a damaged header: reading it gives that code
// Given a real library (FakeForward), it passes every call on to it instead, the package's and the
// target's names mapped, so the worker unpacks real packages with Windows paths.
#include "engine/ExtractorApi.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace extractor;

namespace {

struct Member {
    char kind;
    std::string name, content;
    int code = 0;
};

struct Archive {
    std::vector<Member> members;
    std::size_t next = 0;
    ProcessDataProc proc = nullptr;
};

std::string (*g_map)(const std::string&) = nullptr;
std::size_t g_block = 4;
std::function<void(const std::string&)> g_beforeMember;
void* g_real = nullptr;

template <typename Fn> Fn Real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(g_real, name));
}

std::string Map(const std::string& windowsPath) {
    return g_map ? g_map(windowsPath) : windowsPath;
}

void MakeParents(const std::string& host) {
    for (std::size_t i = 1; i < host.size(); ++i)
        if (host[i] == '/') mkdir(host.substr(0, i).c_str(), 0777);
}

} // namespace

extern "C" {

void FakeSetMapper(std::string (*map)(const std::string&)) {
    g_map = map;
}
void FakeSetBlock(std::size_t block) {
    g_block = block;
}
void FakeForward(const char* library) {
    if (g_real) dlclose(g_real);
    g_real = library ? dlopen(library, RTLD_NOW | RTLD_LOCAL) : nullptr;
}
void FakeSetBeforeMember(std::function<void(const std::string&)>* hook) {
    g_beforeMember = hook ? *hook : nullptr;
}

void* RAROpenArchive(OpenArchiveData* data) {
    if (g_real) {
        char* windowsName = data->ArcName;
        std::string host = Map(windowsName);
        data->ArcName = host.data();
        void* archive = Real<OpenArchiveFn>("RAROpenArchive")(data);
        data->ArcName = windowsName;
        return archive;
    }
    std::ifstream in(Map(data->ArcName));
    if (!in) {
        data->OpenResult = kEOpen;
        return nullptr;
    }
    auto* a = new Archive;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 3) continue;
        Member m;
        m.kind = line[0];
        std::istringstream fields(line.substr(2));
        if (m.kind == 'E' || m.kind == 'H') fields >> m.code;
        fields >> m.name;
        std::getline(fields, m.content);
        if (!m.content.empty() && m.content[0] == ' ') m.content.erase(0, 1);
        a->members.push_back(m);
    }
    data->OpenResult = kSuccess;
    return a;
}

int RARCloseArchive(void* archive) {
    if (g_real) return Real<CloseArchiveFn>("RARCloseArchive")(archive);
    delete static_cast<Archive*>(archive);
    return kSuccess;
}

int RARReadHeader(void* archive, HeaderData* header) {
    if (g_real) return Real<ReadHeaderFn>("RARReadHeader")(archive, header);
    auto* a = static_cast<Archive*>(archive);
    if (a->next >= a->members.size()) return kEndArchive;
    const Member& m = a->members[a->next];
    if (m.kind == 'H') return m.code;
    std::memset(header->FileName, 0, sizeof header->FileName);
    std::strncpy(header->FileName, m.name.c_str(), sizeof header->FileName - 1);
    header->Flags = m.kind == 'D' ? kFlagDirectory : 0;
    header->UnpSize = static_cast<unsigned>(m.content.size());
    return kSuccess;
}

int RARProcessFile(void* archive, int operation, char* destPath, char* destName) {
    if (g_real) {
        std::string host = destPath ? Map(destPath) : "";
        return Real<ProcessFileFn>("RARProcessFile")(archive, operation, destPath ? host.data() : nullptr,
                                                     destName);
    }
    auto* a = static_cast<Archive*>(archive);
    if (a->next >= a->members.size()) return kBadArchive;
    const Member m = a->members[a->next++];
    if (operation == kSkip) return kSuccess;
    std::string base = destPath ? destPath : "";
    std::string windowsName = base + "\\" + m.name;
    if (g_beforeMember) g_beforeMember(m.name);
    std::string host = Map(windowsName);
    MakeParents(host);
    if (m.kind == 'D') {
        mkdir(host.c_str(), 0777);
        return kSuccess;
    }
    FILE* f = std::fopen(host.c_str(), "wb");
    if (!f) return kECreate;
    if (m.kind == 'E') {
        std::fclose(f);
        return m.code;
    }
    for (std::size_t at = 0; at < m.content.size(); at += g_block) {
        std::size_t n = std::min(g_block, m.content.size() - at);
        std::fwrite(m.content.data() + at, 1, n, f);
        std::fflush(f);
        if (a->proc && a->proc(reinterpret_cast<unsigned char*>(const_cast<char*>(m.content.data() + at)),
                               static_cast<int>(n)) == 0) {
            std::fclose(f);
            return kUnknown;
        }
    }
    std::fclose(f);
    return kSuccess;
}

void RARSetProcessDataProc(void* archive, ProcessDataProc proc) {
    if (g_real) return Real<SetProcessDataProcFn>("RARSetProcessDataProc")(archive, proc);
    static_cast<Archive*>(archive)->proc = proc;
}
// The installer calls neither.
void RARSetChangeVolProc(void*, ChangeVolProc) {}
void RARSetPassword(void*, char*) {}

} // extern "C"
