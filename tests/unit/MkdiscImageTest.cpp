// mkdisc --iso: the discs as images another tool reads back byte for byte, labelled, never over the
// capacity; and mkdisc --verify on the sample discs and on sets with one fault each.
#include "MkdiscWorld.h"

#include "Rar4Writer.h"

using namespace mkdisc_test;

namespace {

std::uint64_t FileBytes(const fs::path& p) {
    return fs::exists(p) ? fs::file_size(p) : 0;
}

// The volume label a Joliet descriptor holds (what Windows shows), as ASCII.
std::string JolietLabel(const fs::path& image) {
    std::string bytes = Slurp(image);
    for (std::size_t sector = 16; (sector + 1) * 2048 <= bytes.size(); ++sector) {
        const char* d = bytes.data() + sector * 2048;
        if (static_cast<unsigned char>(d[0]) == 255) break;
        if (d[0] != 2 || std::string(d + 88, 3).substr(0, 2) != "%/") continue;
        std::string label;
        for (int i = 40; i < 72; i += 2)
            if (d[i + 1] != ' ' || d[i] != 0) label += d[i + 1];
        return label;
    }
    return "<no Joliet descriptor>";
}

int Sh(const std::string& cmd) {
    return std::system(cmd.c_str());
}

} // namespace

class MkdiscImages : public MkdiscWorld {
  protected:
    void SetUp() override {
        MkdiscWorld::SetUp();
        programs = root / "programs";
        fs::create_directories(programs);
        for (const char* p : {"setup.exe", "unrar.dll", "uninstall.exe"})
            std::ofstream(programs / p) << "MZ " << p;
    }
    std::string Description(const std::string& capacity, const std::string& more = "label BRIGHTVALE\n") {
        return "capacity " + capacity +
               "\nmain Brightvale.exe\npackage base.rar readme.txt manual.txt\n"
               "preset low presets/low\npreset high presets/high\nadditional extras.exe Install the "
               "extras?\n" +
               more;
    }
    int Make(const std::string& description, std::string* out) {
        return Run(description, out, "--iso --programs '" + programs.string() + "'");
    }
    int Verify(const fs::path& at, std::string* out) {
        int rc =
            Sh(Program() + " --verify '" + at.string() + "' >'" + (root / "verify.txt").string() + "' 2>&1");
        *out = Slurp(root / "verify.txt");
        return rc;
    }
    fs::path programs;
};

TEST_F(MkdiscImages, ImagesGiveTheirDiscFoldersBack) {
    std::string out;
    ASSERT_EQ(Make(Description("3M"), &out), 0) << out;
    ASSERT_TRUE(fs::exists(discs / "disc2.iso")) << out;
    EXPECT_FALSE(fs::exists(discs / "disc3.iso"));
    for (const char* disc : {"disc1", "disc2"}) {
        SCOPED_TRACE(disc);
        fs::path iso = discs / (std::string(disc) + ".iso");
        EXPECT_LE(FileBytes(iso), 3u << 20);
        // Through the Joliet names (what Windows reads) and through Rock Ridge.
        for (const char* tree : {"norock", "any"}) {
            fs::path back = root / "back" / tree / disc;
            ASSERT_EQ(Sh("xorriso -read_fs " + std::string(tree) + " -osirrox on -indev '" + iso.string() +
                         "' -extract / '" + back.string() + "' >/dev/null 2>&1"),
                      0);
            EXPECT_EQ(TreeDifference(Tree(back), Tree(discs / disc)), "") << tree;
        }
    }
    EXPECT_EQ(JolietLabel(discs / "disc1.iso"), "BRIGHTVALE_1");
    EXPECT_EQ(JolietLabel(discs / "disc2.iso"), "BRIGHTVALE_2");
    EXPECT_EQ(Sh("xorriso -indev '" + (discs / "disc2.iso").string() +
                 "' -pvd_info 2>&1 | grep -q \"Volume Id *: BRIGHTVALE_2\""),
              0);

    // Without a label: the last part of GAME_DIR.
    ASSERT_EQ(Make(Description("3M", ""), &out), 0) << out;
    EXPECT_EQ(JolietLabel(discs / "disc1.iso"), "BRIGHTVALE_1");
    EXPECT_NE(Make(Description("3M", "label brightvale\n"), &out), 0);
    EXPECT_NE(out.find("label"), std::string::npos) << out;

    // A set made without --iso takes the earlier images away with the earlier folders.
    ASSERT_EQ(Run(Description("3M"), &out, "--programs '" + programs.string() + "'"), 0) << out;
    EXPECT_FALSE(fs::exists(discs / "disc1.iso"));
}

// The file system's own bytes count: an image of exactly the capacity is one disc; one byte less and
// no image is over it.
TEST_F(MkdiscImages, ExactCapacityAndOneByteOver) {
    std::string out;
    ASSERT_EQ(Make(Description("100M"), &out), 0) << out;
    ASSERT_FALSE(fs::exists(discs / "disc2.iso"));
    std::uint64_t exact = FileBytes(discs / "disc1.iso");
    ASSERT_GT(exact, 0u);

    ASSERT_EQ(Make(Description(std::to_string(exact)), &out), 0) << out;
    EXPECT_FALSE(fs::exists(discs / "disc2.iso")) << out;
    EXPECT_EQ(FileBytes(discs / "disc1.iso"), exact);

    ASSERT_EQ(Make(Description(std::to_string(exact - 1)), &out), 0) << out;
    ASSERT_TRUE(fs::exists(discs / "disc2.iso")) << out;
    for (const char* iso : {"disc1.iso", "disc2.iso", "disc3.iso"})
        EXPECT_LE(FileBytes(discs / iso), exact - 1) << iso;

    // Where the set-up files' image alone is over: refused, nothing written.
    fs::remove_all(discs);
    EXPECT_NE(Make(Description("40K"), &out), 0);
    EXPECT_NE(out.find("fill a disc"), std::string::npos) << out;
    ExpectNoDiscs();
}

TEST_F(MkdiscImages, VerifyPassesOnTheSampleDiscsAndTheirImages) {
    std::string out;
    ASSERT_EQ(Make(Description("3M"), &out), 0) << out;
    ASSERT_EQ(Verify(discs, &out), 0) << out;
    EXPECT_NE(out.find("verified: 4 disc(s)"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "only the verdict: " << out;

    // The images alone.
    fs::remove_all(discs / "disc1");
    fs::remove_all(discs / "disc2");
    ASSERT_EQ(Verify(discs, &out), 0) << out;
    EXPECT_NE(out.find("verified: 2 disc(s)"), std::string::npos) << out;
}

TEST_F(MkdiscImages, VerifyFindsEachFault) {
    std::string out;
    ASSERT_EQ(Make(Description("3M"), &out), 0) << out;
    for (const char* iso : {"disc1.iso", "disc2.iso"})
        fs::remove(discs / iso);
    fs::path pristine = root / "pristine";
    fs::copy(discs, pristine, fs::copy_options::recursive);
    auto fresh = [&] {
        fs::remove_all(discs);
        fs::copy(pristine, discs, fs::copy_options::recursive);
    };
    auto tables = [&](const std::function<std::string(std::string)>& edit) {
        for (const char* disc : {"disc1", "disc2"}) {
            fs::path t = discs / disc / "Media" / "strings.txt";
            std::string text = edit(Slurp(t));
            std::ofstream(t, std::ios::binary) << text;
        }
    };
    auto expectLine = [&](const std::string& fault, const std::vector<std::string>& words) {
        SCOPED_TRACE(fault);
        std::string report;
        EXPECT_NE(Verify(discs, &report), 0) << report;
        bool found = false;
        std::size_t at = 0;
        while (at < report.size() && !found) {
            std::size_t end = report.find('\n', at);
            std::string line = report.substr(at, end - at);
            bool all = true;
            for (auto& w : words)
                all = all && line.find(w) != std::string::npos;
            found = all;
            at = end == std::string::npos ? report.size() : end + 1;
        }
        EXPECT_TRUE(found) << report;
        EXPECT_NE(report.find("not verified:"), std::string::npos) << report;
    };

    fs::remove(discs / "disc1" / "base.rar");
    expectLine("a missing package", {"base.rar", "missing", "disc1"});

    fresh();
    {
        fs::path data = discs / "disc1" / "data.rar";
        std::fstream f(data, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(static_cast<std::streamoff>(fs::file_size(data) / 2));
        char c = 0;
        f.read(&c, 1);
        f.seekp(static_cast<std::streamoff>(fs::file_size(data) / 2));
        c = static_cast<char>(c ^ 0x01);
        f.write(&c, 1);
    }
    expectLine("a flipped byte", {"data.rar", "CRC"});

    fresh();
    tables([](std::string t) {
        std::size_t at = t.find("SOURCE1\t");
        std::size_t blank = t.find(' ', at), end = t.find('\r', at);
        return t.substr(0, blank + 1) + "12345" + t.substr(end);
    });
    expectLine("a wrong size", {"SOURCE1", "12345"});

    fresh();
    fs::copy_file(discs / "disc1" / "cd1", discs / "disc2" / "cd1");
    expectLine("a marker on two discs", {"cd1", "2 discs"});

    fresh();
    fs::remove(discs / "disc2" / "uninstall.exe");
    expectLine("a missing uninstall.exe", {"disc2", "uninstall.exe", "missing"});

    fresh();
    {
        Rar4Writer w;
        ASSERT_TRUE(w.Open((discs / "disc1" / "base.rar").string()));
        ASSERT_TRUE(w.AddBytes("..\\x", "escapes the target", Rar4Writer::DosTime(1700000000)));
        ASSERT_TRUE(w.Close());
    }
    expectLine("a member named ..\\x", {"base.rar", "..\\x", "refused"});
}

// Progress goes to a terminal, never into a log or a pipe.
TEST_F(MkdiscImages, ProgressOnATerminalOnly) {
    std::string out;
    ASSERT_EQ(Make(Description("3M"), &out), 0) << out;
    EXPECT_EQ(out.find('\r'), std::string::npos) << out;
    EXPECT_EQ(out.find("MiB ("), std::string::npos) << out;
    ASSERT_EQ(Verify(discs, &out), 0) << out;
    EXPECT_EQ(out.find("checking"), std::string::npos) << out;

    // Under a pseudo-terminal (script gives the command one).
    std::string args = "--game '" + game.string() + "' --media '" + media.string() + "' --out '" +
                       discs.string() + "' --description '" + (root / "game.disc").string() +
                       "' --iso --programs '" + programs.string() + "'";
    fs::path log = root / "tty.txt";
    ASSERT_EQ(Sh("script -qec \"" + Program() + " " + args + "\" /dev/null >'" + log.string() + "' 2>&1"), 0);
    std::string tty = Slurp(log);
    EXPECT_NE(tty.find("disc 1 of 2: "), std::string::npos) << tty;
    EXPECT_NE(tty.find("image 2 of 2: "), std::string::npos) << tty;
    EXPECT_NE(tty.find(" MiB ("), std::string::npos) << tty;
    ASSERT_EQ(Sh("script -qec \"" + Program() + " --verify '" + discs.string() + "'\" /dev/null >'" +
                 log.string() + "' 2>&1"),
              0);
    EXPECT_NE(Slurp(log).find("checking disc1 to disc2"), std::string::npos) << Slurp(log);
}
