// mkdisc --sign: the programs signed through osslsigncode with a certificate made here by openssl, the
// publisher's folder left alone, a failure leaving no disc.
#include "MkdiscWorld.h"
#include "support/PeBytes.h"

using namespace mkdisc_test;

namespace {

int Sh(const std::string& cmd, std::string* out = nullptr) {
    char pattern[] = "/tmp/bvsh.XXXXXX";
    int fd = mkstemp(pattern);
    close(fd);
    int rc = std::system((cmd + " >'" + pattern + "' 2>&1").c_str());
    if (out) *out = Slurp(pattern);
    fs::remove(pattern);
    return rc;
}

// The lines of `report` holding every word.
bool HasLine(const std::string& report, const std::vector<std::string>& words) {
    std::size_t at = 0;
    while (at < report.size()) {
        std::size_t end = report.find('\n', at);
        std::string line = report.substr(at, end == std::string::npos ? std::string::npos : end - at);
        bool all = true;
        for (auto& w : words)
            all = all && line.find(w) != std::string::npos;
        if (all) return true;
        at = end == std::string::npos ? report.size() : end + 1;
    }
    return false;
}

const char* const kTwoDiscs = "capacity 3M\nmain Brightvale.exe\npackage base.rar readme.txt manual.txt\n"
                              "preset low presets/low\npreset high presets/high\n"
                              "additional extras.exe Install the extras?\n";

} // namespace

class MkdiscSigning : public MkdiscWorld {
  protected:
    void SetUp() override {
        MkdiscWorld::SetUp();
        programs = root / "programs";
        fs::create_directories(programs);
        for (const char* p : {"setup.exe", "unrar.dll", "uninstall.exe"})
            std::ofstream(programs / p, std::ios::binary) << pebytes::Pe(std::string("Brightvale ") + p);
        ASSERT_EQ(Certificate("publisher"), 0) << "openssl makes the test certificate";
    }
    int Certificate(const std::string& name) {
        return Sh("openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj '/CN=Brightvale " + name +
                  "' -keyout '" + Key(name) + "' -out '" + Cert(name) + "'");
    }
    std::string Cert(const std::string& name = "publisher") { return (root / (name + ".pem")).string(); }
    std::string Key(const std::string& name = "publisher") { return (root / (name + ".key")).string(); }
    int Sign(const std::string& signing, std::string* out, const std::string& prefix = "") {
        return Run(kTwoDiscs, out, "--iso --programs '" + programs.string() + "' " + signing, prefix);
    }
    std::string PemSigning() { return "--sign '" + Cert() + "' '" + Key() + "'"; }
    fs::path programs;
};

TEST_F(MkdiscSigning, SignedProgramsVerifyWithTheTool) {
    auto publishers = Tree(programs, false);
    std::string out;
    ASSERT_EQ(Sign(PemSigning(), &out), 0) << out;
    EXPECT_NE(out.find("signed: setup.exe, unrar.dll, uninstall.exe"), std::string::npos) << out;
    EXPECT_EQ(TreeDifference(Tree(programs, false), publishers), "")
        << "the publisher's programs stay as they were";
    for (const char* file :
         {"disc1/setup.exe", "disc1/unrar.dll", "disc1/uninstall.exe", "disc2/uninstall.exe"}) {
        SCOPED_TRACE(file);
        EXPECT_GT(fs::file_size(discs / file), fs::file_size(programs / fs::path(file).filename()));
        EXPECT_EQ(Sh("osslsigncode verify -CAfile '" + Cert() + "' -in '" + (discs / file).string() + "'"),
                  0);
    }
    // A PKCS#12 file, its password read from a file.
    std::ofstream(root / "pass.txt") << "brightvale pass\n";
    ASSERT_EQ(Sh("openssl pkcs12 -export -in '" + Cert() + "' -inkey '" + Key() + "' -out '" +
                 (root / "publisher.pfx").string() + "' -passout 'file:" + (root / "pass.txt").string() +
                 "'"),
              0);
    ASSERT_EQ(Sign("--sign '" + (root / "publisher.pfx").string() + "' --sign-pass-file '" +
                       (root / "pass.txt").string() + "'",
                   &out),
              0)
        << out;
    EXPECT_EQ(Sh("osslsigncode verify -CAfile '" + Cert() + "' -in '" +
                 (discs / "disc1" / "setup.exe").string() + "'"),
              0);
}

TEST_F(MkdiscSigning, FailureToSignLeavesTheEarlierDiscs) {
    std::string out;
    ASSERT_EQ(Run(kTwoDiscs, &out, "--programs '" + programs.string() + "'"), 0) << out;
    auto earlier = Tree(discs, false);
    std::ofstream(root / "wrong.txt") << "not the password\n";
    std::ofstream(root / "pass.txt") << "the password\n";
    ASSERT_EQ(Sh("openssl pkcs12 -export -in '" + Cert() + "' -inkey '" + Key() + "' -out '" +
                 (root / "publisher.pfx").string() + "' -passout 'file:" + (root / "pass.txt").string() +
                 "'"),
              0);
    fs::create_directories(root / "texts");
    std::ofstream(root / "texts" / "setup.exe") << "MZ not a program";
    std::string pfx = "--sign '" + (root / "publisher.pfx").string() + "'";
    struct Case {
        const char* what;
        std::string options, prefix;
        std::vector<std::string> words;
    } cases[] = {
        {"a wrong password",
         pfx + " --sign-pass-file '" + (root / "wrong.txt").string() + "'",
         "",
         {"cannot sign setup.exe", "password"}},
        {"no password", pfx, "", {"cannot sign setup.exe", "--sign-pass-file"}},
        {"a time-stamp server that does not answer",
         PemSigning() + " --timestamp http://127.0.0.1:9/",
         "",
         {"cannot sign setup.exe", "127.0.0.1:9"}},
        {"no osslsigncode", PemSigning(), "PATH=/nonexistent", {"cannot start osslsigncode"}},
        {"a PEM certificate alone", "--sign '" + Cert() + "'", "", {"not PKCS#12", "--sign CERT KEY"}},
        {"a missing key",
         "--sign '" + Cert() + "' '" + (root / "missing.key").string() + "'",
         "",
         {"missing.key", "cannot be read"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NE(Sign(c.options, &out, c.prefix), 0) << out;
        EXPECT_TRUE(HasLine(out, c.words)) << out;
        EXPECT_EQ(TreeDifference(Tree(discs, false), earlier), "") << out;
    }
    programs = root / "texts";
    EXPECT_NE(Sign(PemSigning(), &out), 0) << out;
    EXPECT_TRUE(HasLine(out, {"cannot sign setup.exe"})) << out;
    EXPECT_EQ(TreeDifference(Tree(discs, false), earlier), "") << out;
    EXPECT_EQ(Sh(Program() + " --game x --media y --out z --timestamp http://127.0.0.1:9/") >> 8, 2);
}
