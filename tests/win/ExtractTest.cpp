// The extractor library as the installer binds it under Windows: our unrar.dll copied into the
// temporary folder, a stored package unpacked into a folder under C:\.
#include "Rar4Writer.h"
#include "support/RarBytes.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {
std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

TEST(Extractor, BindsFromTheTemporaryFolderAndUnpacks) {
    std::string self = os::ModulePath();
    std::string dll = self.substr(0, self.find_last_of('\\')) + "\\unrar.dll";
    std::string temp = os::TempPath() + "unrar.dll";
    ASSERT_TRUE(CopyFileA(dll.c_str(), temp.c_str(), FALSE)) << dll;

    CreateDirectoryA("C:\\bvpkg", nullptr);
    Rar4Writer w;
    ASSERT_TRUE(w.Open("C:\\bvpkg\\game.rar"));
    w.AddFolder("data", 0x21);
    w.AddBytes("data\\map.txt", "valley", 0x21);
    w.AddBytes("\x8E\xE2\xE7\xA5\xE2.txt", "report", 0x21); // a Cyrillic name in code page 866
    ASSERT_TRUE(w.Close()) << w.error();

    UnbindExtractor();
    BindExtractor();
    ASSERT_TRUE(ExtractorBound());
    g_installer.gameDir = "C:\\bvgame";
    g_installer.installedFiles.clear();
    g_installer.cancelConfirmed = false;
    g_bytesDone = 0;
    CreateDirectoryA("C:\\bvgame", nullptr);
    SetCurrentDirectoryA("C:\\bvpkg");
    ASSERT_TRUE(ExtractPackage("game.rar", "C:\\bvgame"));
    EXPECT_EQ(Read("C:\\bvgame\\data\\map.txt"), "valley");
    EXPECT_EQ(g_bytesDone, 12);
    ASSERT_EQ(g_installer.installedFiles.size(), 4u);
    EXPECT_EQ(g_installer.installedFiles[0], "C:\\bvgame\\");
    EXPECT_EQ(g_installer.installedFiles[1], "data");
    EXPECT_EQ(g_installer.installedFiles[2], "data\\map.txt") << "the library reports Windows separators";
    // The name is written as the OEM code page reads it, and recorded in the ANSI code page.
    wchar_t name[64] = L"C:\\bvgame\\";
    MultiByteToWideChar(CP_OEMCP, 0, "\x8E\xE2\xE7\xA5\xE2.txt", -1, name + 10, 50);
    EXPECT_NE(GetFileAttributesW(name), INVALID_FILE_ATTRIBUTES);
    char ansi[64] = {};
    OemToCharA("\x8E\xE2\xE7\xA5\xE2.txt", ansi);
    EXPECT_EQ(g_installer.installedFiles[3], ansi);
    UnbindExtractor();
}

namespace {

// Our unrar.dll beside the test program, called directly (no message boxes on the way).
struct Library {
    Library() {
        std::string self = os::ModulePath();
        module = LoadLibraryA((self.substr(0, self.find_last_of('\\')) + "\\unrar.dll").c_str());
        open = reinterpret_cast<extractor::OpenArchiveFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "RAROpenArchive")));
        close = reinterpret_cast<extractor::CloseArchiveFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "RARCloseArchive")));
        readHeader = reinterpret_cast<extractor::ReadHeaderFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "RARReadHeader")));
        processFile = reinterpret_cast<extractor::ProcessFileFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "RARProcessFile")));
    }
    ~Library() { FreeLibrary(module); }
    // The first member's header code and name, and the code of extracting it into destination.
    std::pair<int, int> ExtractFirst(const char* archive, const char* destination, std::string* name) {
        extractor::OpenArchiveData data{};
        data.ArcName = const_cast<char*>(archive);
        data.OpenMode = extractor::kOpenExtract;
        void* h = open(&data);
        if (!h) return {1000 + static_cast<int>(data.OpenResult), -1};
        extractor::HeaderData header{};
        int r = readHeader(h, &header);
        int p = -1;
        if (r == extractor::kSuccess) {
            *name = header.FileName;
            p = processFile(h, extractor::kExtract, const_cast<char*>(destination), nullptr);
        }
        close(h);
        return {r, p};
    }
    HMODULE module;
    extractor::OpenArchiveFn open;
    extractor::CloseArchiveFn close;
    extractor::ReadHeaderFn readHeader;
    extractor::ProcessFileFn processFile;
};

void Save(const char* path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

TEST(Extractor, ReadOnlyFilesAreReplacedButKeepTheirAttributesWhenTheCreateFails) {
    Library lib;
    ASSERT_NE(lib.module, nullptr);
    CreateDirectoryA("C:\\bvattr", nullptr);
    CreateDirectoryA("C:\\bvattr\\out", nullptr);
    using namespace rarbytes;
    Save("C:\\bvattr\\a.rar", Main4() + File4("kept.txt", "new") + End4());
    const DWORD guarded = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    const char* file = "C:\\bvattr\\out\\kept.txt";
    SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
    Save(file, "old");
    ASSERT_TRUE(SetFileAttributesA(file, guarded));
    std::string name;
    EXPECT_EQ(lib.ExtractFirst("C:\\bvattr\\a.rar", "C:\\bvattr\\out", &name),
              std::make_pair(extractor::kSuccess, extractor::kSuccess))
        << "a read-only, hidden file is replaced";
    EXPECT_EQ(Read(file), "new");
    EXPECT_EQ(GetFileAttributesA(file) & guarded, 0u);

    // Held open by another program: the create fails, and the file keeps its attributes.
    Save(file, "held");
    ASSERT_TRUE(SetFileAttributesA(file, guarded));
    HANDLE held = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(lib.ExtractFirst("C:\\bvattr\\a.rar", "C:\\bvattr\\out", &name),
              std::make_pair(extractor::kSuccess, extractor::kECreate));
    CloseHandle(held);
    EXPECT_EQ(GetFileAttributesA(file) & guarded, guarded) << "read-only and hidden as before";
    EXPECT_EQ(Read(file), "held");
    SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
}

TEST(Extractor, NamesAreLimitedAsTheRecordReportsThem) {
    Library lib;
    CreateDirectoryA("C:\\bvlong", nullptr);
    using namespace rarbytes;
    // A folder and a file of 65 Cyrillic letters each: 261 bytes of UTF-8, 131 in the OEM code page
    // the record reports.
    std::string utf8;
    for (int i = 0; i < 65; ++i)
        utf8 += "\xD0\x96"; // U+0416
    Save("C:\\bvlong\\five.rar", kSig5 + Main5() + File5(utf8 + "/" + utf8, "long") + End5());
    std::string name;
    EXPECT_EQ(lib.ExtractFirst("C:\\bvlong\\five.rar", "C:\\bvlong", &name),
              std::make_pair(extractor::kSuccess, extractor::kSuccess));
    EXPECT_EQ(name.size(), 131u);
    std::wstring wide(65, L'\u0416');
    EXPECT_NE(GetFileAttributesW((L"C:\\bvlong\\" + wide + L"\\" + wide).c_str()), INVALID_FILE_ATTRIBUTES);
    // 260 characters do not fit the record however they are stored.
    Save("C:\\bvlong\\over.rar", kSig5 + Main5() + File5(utf8 + utf8 + utf8 + utf8, "long") + End5());
    EXPECT_EQ(lib.ExtractFirst("C:\\bvlong\\over.rar", "C:\\bvlong", &name).first, extractor::kBadData);
}

TEST(Extractor, MissingFoldersAreMadeAtAnyDepthButNeverThroughAFileAndFilesAreReplacedWhole) {
    Library lib;
    CreateDirectoryA("C:\\bvdeep", nullptr);
    using namespace rarbytes;
    Save("C:\\bvdeep\\a.rar", Main4() + File4("x\\y\\z.txt", "deep") + End4());
    std::string name;
    // Three levels of the destination and two of the member are missing.
    EXPECT_EQ(lib.ExtractFirst("C:\\bvdeep\\a.rar", "C:\\bvdeep\\new\\er\\target", &name),
              std::make_pair(extractor::kSuccess, extractor::kSuccess));
    EXPECT_EQ(Read("C:\\bvdeep\\new\\er\\target\\x\\y\\z.txt"), "deep");
    // All of it there already, in an archive opened afresh; the file longer than the member.
    Save("C:\\bvdeep\\new\\er\\target\\x\\y\\z.txt", "an older and longer text");
    EXPECT_EQ(lib.ExtractFirst("C:\\bvdeep\\a.rar", "C:\\bvdeep\\new\\er\\target", &name),
              std::make_pair(extractor::kSuccess, extractor::kSuccess));
    EXPECT_EQ(Read("C:\\bvdeep\\new\\er\\target\\x\\y\\z.txt"), "deep");
    // A file where a folder of the destination must be: refused, and nothing made beyond it.
    Save("C:\\bvdeep\\file", "mine");
    EXPECT_EQ(lib.ExtractFirst("C:\\bvdeep\\a.rar", "C:\\bvdeep\\file\\target", &name).second,
              extractor::kECreate);
    EXPECT_EQ(Read("C:\\bvdeep\\file"), "mine");
    EXPECT_EQ(GetFileAttributesA("C:\\bvdeep\\file\\target"), INVALID_FILE_ATTRIBUTES);
}
