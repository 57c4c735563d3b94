// ExtractPackage against the vendor's library and our stand-in, on archives made at test time.
#include "support/Tree.h"
#include "support/World.h"

#include "Rar4Writer.h"
#include "RarReader.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "engine/ProgressView.h"
#include "engine/MemberNames.h"

#include <set>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <unistd.h>

namespace {

struct Library {
    const char* name;
    const char* path;
};

const Library kVendor{"vendor", BV_VENDOR_SO};
const Library kStandIn{"standin", BV_STANDIN_SO};

const std::string kOemFolder = "\x84\xAE\xAA\xE3\xAC\xA5\xAD\xE2\xEB"; // "Документы" in code page 866
const std::string kOemFile = "\xAE\xE2\xE7\xF1\xE2.txt";               // "отчёт.txt"
const std::string kAnsiFolder = "\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB"; // the same in code page 1251
const std::string kAnsiFile = "\xEE\xF2\xF7\xB8\xF2.txt";

// Reports progress into a callback of the test.
class TestView : public IProgressView {
  public:
    std::function<void(float)> onProgress;
    int calls = 0;
    void SetProgress(float f) override {
        ++calls;
        if (onProgress) onProgress(f);
    }
};

} // namespace

class Extract : public World, public ::testing::WithParamInterface<Library> {
  protected:
    void SetUp() override {
        World::SetUp();
        fs::create_symlink(GetParam().path, root / "c" / "Temp" / "unrar.dll");
        BindExtractor();
        ASSERT_TRUE(ExtractorBound()) << GetParam().path;
        g_installer.gameDir = "C:\\Games\\Brightvale";
        target = root / "c" / "Games" / "Brightvale";
        fs::create_directories(target);
        fs::create_directories(root / "pkg");
        g_bytesDone = 0;
        g_bytesTotal = 0;
        g_progressView = &view;
    }
    void TearDown() override {
        g_progressView = nullptr;
        UnbindExtractor();
        World::TearDown();
    }

    std::string Pkg(const std::string& name) { return (root / "pkg" / name).string(); }

    // The sample package: folders, files, a Cyrillic name, an empty file.
    std::string MakeRar4() {
        Rar4Writer w;
        std::uint32_t t = Rar4Writer::DosTime(1700000000);
        EXPECT_TRUE(w.Open(Pkg("game4.rar")));
        w.AddFolder("data", t);
        w.AddFolder("data\\maps", t);
        w.AddBytes("data\\maps\\valley.map", std::string(300000, 'v'), t);
        w.AddBytes("readme.txt", "Brightvale\r\n", t);
        w.AddBytes("empty.dat", "", t);
        w.AddFolder(kOemFolder, t);
        w.AddBytes(kOemFolder + "\\" + kOemFile, "privet", t);
        EXPECT_TRUE(w.Close()) << w.error();
        return Pkg("game4.rar");
    }
    std::vector<std::string> Rar4Names() {
        return {"data",      "data/maps", "data/maps/valley.map",       "readme.txt",
                "empty.dat", kAnsiFolder, kAnsiFolder + "/" + kAnsiFile};
    }

    // A RAR 5.0 archive made by the vendor's rar from a folder tree; method 0 stores.
    std::string MakeRar5(const std::string& name, const char* method) {
        fs::path src = root / ("src-" + name);
        fs::create_directories(src / "data" / "maps");
        std::ofstream(src / "data" / "maps" / "valley.map") << std::string(2500000, 'v') << "end";
        std::ofstream(src / "readme.txt") << "Brightvale\r\n";
        std::string cmd =
            "cd '" + src.string() + "' && rar a -idq -r " + method + " '" + Pkg(name) + "' data readme.txt";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return Pkg(name);
    }

    bool Run(const std::string& package) { return ExtractPackage(package.c_str(), target.string().c_str()); }

    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> Recorded() { return g_installer.installedFiles; }

    fs::path target;
    TestView view;
};

TEST_P(Extract, Rar4StoredPackage) {
    ASSERT_TRUE(Run(MakeRar4()));
    std::vector<std::string> expected = {"C:\\Games\\Brightvale\\"};
    for (auto& n : Rar4Names())
        expected.push_back(n);
    EXPECT_EQ(Recorded(), expected) << "the target folder first, then the members in archive order";
    auto tree = Tree(target);
    EXPECT_TRUE(tree["data/maps/valley.map"] == std::string(300000, 'v'));
    EXPECT_EQ(tree["readme.txt"], "Brightvale\r\n");
    EXPECT_EQ(tree["empty.dat"], "");
    EXPECT_EQ(tree[kOemFolder + "/" + kOemFile], "privet") << "written under the name as stored";
    EXPECT_EQ(tree.size(), 7u);
    EXPECT_EQ(g_bytesDone, 300000 + 12 + 6);
    EXPECT_GT(view.calls, 0);
    EXPECT_TRUE(D().boxes.empty());
}

TEST_P(Extract, Rar5StoredPackageFromRar) {
    ASSERT_TRUE(Run(MakeRar5("game5.rar", "-m0")));
    auto names = Recorded();
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], "C:\\Games\\Brightvale\\");
    std::set<std::string> members(names.begin() + 1, names.end());
    EXPECT_EQ(members, (std::set<std::string>{"data", "data/maps", "data/maps/valley.map", "readme.txt"}));
    auto tree = Tree(target);
    EXPECT_TRUE(tree["data/maps/valley.map"] == std::string(2500000, 'v') + "end");
    EXPECT_EQ(g_bytesDone, 2500003 + 12);
}

TEST_P(Extract, EmptyArchiveRecordsOnlyTheTarget) {
    Rar4Writer w;
    ASSERT_TRUE(w.Open(Pkg("empty.rar")));
    ASSERT_TRUE(w.Close());
    ASSERT_TRUE(Run(Pkg("empty.rar")));
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\Games\\Brightvale\\"});
    EXPECT_TRUE(fs::is_empty(target));
}

TEST_P(Extract, CorruptDataIsAnUnpackError) {
    std::string package = MakeRar4();
    std::string bytes = Read(package);
    std::size_t at = bytes.find("Brightvale\r\n");
    ASSERT_NE(at, std::string::npos);
    bytes[at] ^= 0x01;
    std::ofstream(package, std::ios::binary) << bytes;
    EXPECT_FALSE(Run(package)) << "the caller decides what a failed package means";
    EXPECT_FALSE(g_installer.cancelConfirmed);
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Unpack error: 12 (File: readme.txt)\n");
    EXPECT_EQ(Recorded().back(), "readme.txt")
        << "recorded before it was written, so the rollback removes it";
}

TEST_P(Extract, APackageThatCannotBeOpened) {
    EXPECT_FALSE(Run(Pkg("missing.rar")));
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Cannot process package: " + Pkg("missing.rar") + ".\n");
    EXPECT_TRUE(Recorded().empty());
    std::ofstream(Pkg("junk.rar")) << "this is no archive at all";
    EXPECT_FALSE(Run(Pkg("junk.rar")));
}

TEST_P(Extract, CancelStopsTheLibrary) {
    view.onProgress = [](float) { g_installer.cancelConfirmed = true; };
    ASSERT_FALSE(Run(MakeRar4())) << "cut short: never a complete package";
    EXPECT_EQ(Recorded().back(), "data/maps/valley.map") << "nothing after the member being written";
    EXPECT_FALSE(fs::exists(target / "readme.txt"));
    EXPECT_TRUE(D().boxes.empty());
}

TEST_P(Extract, OpenQuestionHoldsTheCallback) {
    std::atomic<bool> released{false};
    std::thread answer;
    view.onProgress = [&](float) {
        if (answer.joinable()) return;
        g_installer.confirmShowing = true;
        answer = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            released = true;
            g_installer.confirmShowing = false;
        });
    };
    ASSERT_TRUE(Run(MakeRar4()));
    answer.join();
    EXPECT_TRUE(released);
    EXPECT_GT(D().sleptMs, 0u) << "the callback waited while the question was open";
    EXPECT_EQ(g_bytesDone, 300000 + 12 + 6) << "then the package went on to its end";
}

TEST_P(Extract, NamesLeavingTheTargetAreRefused) {
    const char* hostile[] = {
        "..\\evil.txt", "data\\..\\..\\evil.txt", "\\evil.txt", "C:\\evil.txt",  "a:stream.txt",
        "NUL",          "data\\con.txt",          "COM1.log",   "...\\evil.txt", "CON .txt",
        "COM\xC2\xB9"};
    int index = 0;
    for (const char* name : hostile) {
        std::string package = Pkg("hostile" + std::to_string(index++) + ".rar");
        Rar4Writer w;
        ASSERT_TRUE(w.Open(package));
        w.AddBytes("good.txt", "fine", 0x21);
        w.AddBytes(name, "evil", 0x21);
        w.AddBytes("after.txt", "later", 0x21);
        ASSERT_TRUE(w.Close());
        g_installer.installedFiles.clear();
        g_installer.cancelConfirmed = false;
        D().boxes.clear();
        EXPECT_FALSE(Run(package)) << name << ": the worker rolls back";
        EXPECT_EQ(Recorded(), (std::vector<std::string>{"C:\\Games\\Brightvale\\", "good.txt"}))
            << name << ": neither written nor recorded, and nothing after it";
        ASSERT_EQ(D().boxes.size(), 1u) << name;
        // The name as the libraries report it here, with the host's separators.
        std::string reported = name;
        for (char& c : reported)
            if (c == '\\') c = '/';
        EXPECT_EQ(D().boxes[0].text, "Unpack error: 16 (File: " + reported + ")\n") << name;
        EXPECT_EQ(Tree(target), (std::map<std::string, std::string>{{"good.txt", "fine"}})) << name;
        for (auto& [path, bytes] : Tree(root))
            EXPECT_NE(bytes, "evil") << name << " wrote " << path;
        fs::remove_all(target);
        fs::create_directories(target);
    }
}

TEST_P(Extract, AHeaderDamagedInTheMiddleEndsThePackage) {
    std::string package = MakeRar4();
    std::string bytes = Read(package);
    // The header of readme.txt, the fourth member, ends before its own fields.
    std::size_t at = bytes.find("readme.txt");
    ASSERT_NE(at, std::string::npos);
    bytes[at - 32 + 5] = 3;
    std::ofstream(package, std::ios::binary) << bytes;
    EXPECT_FALSE(Run(package)) << "a damaged package must not pass for a complete one";
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Unpack error: 12 (File: " + package + ")\n");
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"C:\\Games\\Brightvale\\", "data", "data/maps",
                                                    "data/maps/valley.map"}));
    EXPECT_EQ(Tree(target)["data/maps/valley.map"], std::string(300000, 'v')) << "what came before is kept";
    EXPECT_FALSE(fs::exists(target / "readme.txt"));
}

TEST_P(Extract, WithoutTheLibraryEveryPackageFails) {
    UnbindExtractor();
    fs::remove(root / "c" / "Temp" / "unrar.dll");
    BindExtractor();
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].caption, "Install: Cannot find library");
    EXPECT_EQ(D().boxes[0].text, "C:\\Temp\\unrar.dll");
    EXPECT_EQ(D().loadedLibraries.back(), "C:\\Temp\\unrar.dll") << "by its full path only";
    EXPECT_FALSE(Run(MakeRar4()));
    EXPECT_EQ(D().boxes.back().text, "Cannot process package: " + Pkg("game4.rar") + ".\n");
}

INSTANTIATE_TEST_SUITE_P(Libraries, Extract, ::testing::Values(kVendor, kStandIn),
                         [](const auto& info) { return std::string(info.param.name); });

// The same stored archives through both libraries give the same result.
class BothLibraries : public World {
  protected:
    // Size and CRC of a file's bytes: enough to compare trees, short enough to print.
    static std::string Digest(const std::string& data) {
        return std::to_string(data.size()) + ":" + std::to_string(rar::Crc32(0, data.data(), data.size()));
    }
    struct Result {
        std::vector<std::string> recorded;
        std::map<std::string, std::string> tree;
        std::int64_t bytes;
    };
    Result RunWith(const Library& lib, const std::string& package) {
        fs::path temp = root / "c" / "Temp" / "unrar.dll";
        fs::remove(temp);
        fs::create_symlink(lib.path, temp);
        UnbindExtractor();
        BindExtractor();
        EXPECT_TRUE(ExtractorBound());
        fs::path target = root / "c" / lib.name;
        fs::create_directories(target);
        g_installer.gameDir = "C:\\Games";
        g_installer.installedFiles.clear();
        g_bytesDone = 0;
        EXPECT_TRUE(ExtractPackage(package.c_str(), target.string().c_str()));
        Result r{g_installer.installedFiles, Tree(target), g_bytesDone};
        for (auto& [path, bytes] : r.tree)
            bytes = Digest(bytes);
        UnbindExtractor();
        return r;
    }
};

TEST_F(BothLibraries, SameTreeNamesAndBytes) {
    fs::create_directories(root / "src" / "deep" / "er");
    std::ofstream(root / "src" / "deep" / "er" / "a.bin") << std::string(3 << 20, 'a') << "tail";
    std::ofstream(root / "src" / "b.txt") << "b";
    std::string rar5 = (root / "five.rar").string();
    ASSERT_EQ(
        std::system(
            ("cd '" + (root / "src").string() + "' && rar a -idq -r -m0 '" + rar5 + "' deep b.txt").c_str()),
        0);
    std::string rar4 = (root / "four.rar").string();
    Rar4Writer w;
    ASSERT_TRUE(w.Open(rar4));
    w.AddFolder("deep", 0x21);
    w.AddFile("deep\\a.bin", (root / "src" / "deep" / "er" / "a.bin").string(), 0x21);
    w.AddBytes(kOemFile, "privet", 0x21);
    ASSERT_TRUE(w.Close());
    for (const std::string& package : {rar4, rar5}) {
        Result vendor = RunWith(kVendor, package);
        Result standin = RunWith(kStandIn, package);
        EXPECT_EQ(standin.recorded, vendor.recorded) << package;
        EXPECT_EQ(standin.tree, vendor.tree) << package;
        EXPECT_EQ(standin.bytes, vendor.bytes) << package;
        EXPECT_GT(vendor.bytes, 3 << 20);
    }
}

TEST_F(BothLibraries, CompressedMembersNeedTheVendorsLibrary) {
    fs::create_directories(root / "src");
    std::ofstream(root / "src" / "text.txt") << std::string(100000, 'z');
    std::string packed = (root / "packed.rar").string();
    ASSERT_EQ(
        std::system(
            ("cd '" + (root / "src").string() + "' && rar a -idq -m3 '" + packed + "' text.txt").c_str()),
        0);
    Result vendor = RunWith(kVendor, packed);
    EXPECT_EQ(vendor.tree["text.txt"], Digest(std::string(100000, 'z')));
    // The stand-in reads the header but refuses to unpack what it cannot decode.
    fs::path temp = root / "c" / "Temp" / "unrar.dll";
    fs::remove(temp);
    fs::create_symlink(kStandIn.path, temp);
    BindExtractor();
    g_installer.cancelConfirmed = false;
    D().boxes.clear();
    fs::create_directories(root / "c" / "x");
    EXPECT_FALSE(ExtractPackage(packed.c_str(), (root / "c" / "x").string().c_str()));
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Unpack error: 14 (File: text.txt)\n");
    UnbindExtractor();
}
