// The stand-in extractor library: the documented entry points over our reader of RAR archives with
// stored members.
#include "Output.h"
#include "RarReader.h"

#include "engine/ExtractorApi.h"
#include "engine/MemberNames.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#if defined(_WIN32)
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace extractor;

namespace {

// The block buffer of the archive closed last, for the next one: a fresh megabyte costs a fault per
// page on first use (3 ms a package in a virtual machine), and packages are extracted one after another.
std::mutex g_spareLock;
std::vector<std::uint8_t> g_spareBuffer;

std::vector<std::uint8_t> TakeBuffer() {
    std::vector<std::uint8_t> b;
    {
        std::lock_guard<std::mutex> hold(g_spareLock);
        b.swap(g_spareBuffer);
    }
    if (b.size() != rar::kBlock) b.assign(rar::kBlock, 0);
    return b;
}

void GiveBackBuffer(std::vector<std::uint8_t>& b) {
    if (b.empty()) return;
    std::lock_guard<std::mutex> hold(g_spareLock);
    if (g_spareBuffer.empty()) g_spareBuffer.swap(b);
}

struct Archive {
    explicit Archive(std::unique_ptr<rar::Source> s) : source(std::move(s)), reader(*source) {}
    ~Archive() { GiveBackBuffer(buffer); }
    std::unique_ptr<rar::Source> source;
    rar::Reader reader;
    rar::Member current;
    bool hasCurrent = false;
    ProcessDataProc dataProc = nullptr;
    std::string name;
    std::vector<std::uint8_t> buffer;
    standin::Output output;
};

void CopyName(char (&to)[260], const std::string& from) {
    std::size_t n = from.size() < sizeof to - 1 ? from.size() : sizeof to - 1;
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

int Extract(Archive& a, const rar::Member& m, int operation, const char* destPath, const char* destName) {
    if (m.splitBefore || m.splitAfter) return kEOpen; // the other volumes are never opened
    if (m.encrypted) return kMissingPassword;
    if (!m.stored) return kUnknownFormat;
    if (a.buffer.empty()) a.buffer = TakeBuffer();

    auto report = [&](const std::uint8_t* data, std::size_t n) {
        return !a.dataProc || a.dataProc(const_cast<std::uint8_t*>(data), static_cast<int>(n)) != 0;
    };
    if (operation == kTest) return a.reader.ReadData(m, report, a.buffer.data(), a.buffer.size());

    // Links could point anywhere; names must stay inside the destination.
    if (m.link || !MemberNameIsSafe(m.name.c_str())) return kECreate;
    std::string destination = destPath ? destPath : "";
    rar::Member target = m;
    if (destName && *destName) {
        // An explicit target name replaces the destination folder and the stored path.
        destination.clear();
        target.name = destName;
        target.nameIsUtf8 = false;
        target.separator = '\\';
    }
    int r = a.output.MakeFolders(destination, target);
    if (r != kSuccess || m.isDir) return r;
    std::unique_ptr<standin::OutputFile> out = a.output.Create(destination, target, &r);
    if (!out) return r;
    bool writeFailed = false;
    r = a.reader.ReadData(
        m,
        [&](const std::uint8_t* data, std::size_t n) {
            if (!out->Write(data, n)) {
                writeFailed = true;
                return false;
            }
            return report(data, n);
        },
        a.buffer.data(), a.buffer.size());
    bool closed = out->Close();
    if (writeFailed) return kEWrite;
    if (r == kSuccess && !closed) return kEClose;
    return r;
}

} // namespace

STANDIN_EXPORT void* BV_EXTRACTOR_CALL RAROpenArchive(OpenArchiveData* data) {
    if (!data) return nullptr;
    data->CmtSize = 0;
    data->CmtState = 0;
    if (!data->ArcName) {
        data->OpenResult = kEOpen;
        return nullptr;
    }
    std::unique_ptr<rar::Source> source = standin::OpenArchiveFile(data->ArcName);
    if (!source) {
        data->OpenResult = kEOpen;
        return nullptr;
    }
    auto* a = new (std::nothrow) Archive(std::move(source));
    if (!a) {
        data->OpenResult = kNoMemory;
        return nullptr;
    }
    a->name = data->ArcName;
    int r = a->reader.Open();
    if (r != kSuccess) {
        delete a;
        data->OpenResult = static_cast<unsigned int>(r);
        return nullptr;
    }
    data->OpenResult = kSuccess;
    return a;
}

STANDIN_EXPORT int BV_EXTRACTOR_CALL RARCloseArchive(void* archive) {
    if (!archive) return kEClose;
    delete static_cast<Archive*>(archive);
    return kSuccess;
}

STANDIN_EXPORT int BV_EXTRACTOR_CALL RARReadHeader(void* archive, HeaderData* header) {
    if (!archive || !header) return kBadData;
    auto& a = *static_cast<Archive*>(archive);
    rar::Member m;
    int r = a.reader.Next(&m);
    a.hasCurrent = r == kSuccess;
    if (r != kSuccess) return r;
    // The limit is the record's: the name as reported, whatever its stored form took.
    std::string reported = standin::RecordName(m);
    if (reported.empty() || reported.size() > rar::kMaxName) {
        a.hasCurrent = false;
        return kBadData;
    }
    a.current = m;
    CopyName(header->ArcName, a.name);
    CopyName(header->FileName, reported);
    header->Flags = (m.splitBefore ? kFlagSplitBefore : 0) | (m.splitAfter ? kFlagSplitAfter : 0) |
                    (m.encrypted ? kFlagEncrypted : 0) | (m.solid ? kFlagSolid : 0) |
                    (m.isDir ? kFlagDirectory : 0);
    header->PackSize = static_cast<unsigned int>(m.packSize);
    header->UnpSize = static_cast<unsigned int>(m.unpSize);
    header->HostOS = m.hostOS;
    header->FileCRC = m.crc;
    header->FileTime = m.dosTime;
    header->UnpVer = m.unpVer;
    header->Method = m.method;
    header->FileAttr = m.attributes;
    header->CmtSize = 0;
    header->CmtState = 0;
    return kSuccess;
}

STANDIN_EXPORT int BV_EXTRACTOR_CALL RARProcessFile(void* archive, int operation, char* destPath,
                                                    char* destName) {
    if (!archive) return kBadData;
    auto& a = *static_cast<Archive*>(archive);
    if (!a.hasCurrent) return kBadData;
    a.hasCurrent = false;
    if (operation == kSkip) return kSuccess;
    return Extract(a, a.current, operation, destPath, destName);
}

STANDIN_EXPORT void BV_EXTRACTOR_CALL RARSetChangeVolProc(void*, ChangeVolProc) {
    // Other volumes are never opened (members that continue in them are refused), so nothing asks.
}

STANDIN_EXPORT void BV_EXTRACTOR_CALL RARSetProcessDataProc(void* archive, ProcessDataProc proc) {
    if (archive) static_cast<Archive*>(archive)->dataProc = proc;
}

STANDIN_EXPORT void BV_EXTRACTOR_CALL RARSetPassword(void*, char*) {
    // Encrypted members are not supported, so a password changes nothing.
}
