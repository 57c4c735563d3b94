// mkdisc --sign: the programs signed through osslsigncode with a certificate made here by openssl, the
// publisher's folder left alone, a failure leaving no disc; --verify telling altered, unsigned and
// untrusted programs apart, on folders and images.
#include "MkdiscWorld.h"
#include "Signing.h"
#include "support/PeBytes.h"

#include <cstring>

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

void FlipByte(const fs::path& file, std::uint64_t at) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    char c = 0;
    f.seekg(static_cast<std::streamoff>(at));
    f.read(&c, 1);
    c = static_cast<char>(c ^ 0x01);
    f.seekp(static_cast<std::streamoff>(at));
    f.write(&c, 1);
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
    int Verify(const std::string& more, std::string* out) {
        return Sh(Program() + " --verify '" + discs.string() + "' " + more, out);
    }
    fs::path programs;
};

TEST_F(MkdiscSigning, SignedProgramsVerifyWithTheToolAndWithMkdisc) {
    auto publishers = Tree(programs);
    std::string out;
    ASSERT_EQ(Sign(PemSigning(), &out), 0) << out;
    EXPECT_NE(out.find("signed: setup.exe, unrar.dll, uninstall.exe"), std::string::npos) << out;
    EXPECT_EQ(TreeDifference(Tree(programs), publishers), "") << "the publisher's programs stay as they were";
    for (const char* file :
         {"disc1/setup.exe", "disc1/unrar.dll", "disc1/uninstall.exe", "disc2/uninstall.exe"}) {
        SCOPED_TRACE(file);
        EXPECT_GT(fs::file_size(discs / file), fs::file_size(programs / fs::path(file).filename()));
        EXPECT_EQ(Sh("osslsigncode verify -CAfile '" + Cert() + "' -in '" + (discs / file).string() + "'"),
                  0);
    }
    ASSERT_EQ(Verify("--ca-file '" + Cert() + "'", &out), 0) << out;
    EXPECT_NE(out.find("verified: 4 disc(s), 8 package(s), 8 signed program(s), all hold"), std::string::npos)
        << out;

    // Without the publisher's certificate: the contents are checked, the trust told apart.
    ASSERT_EQ(Verify("", &out), 0) << out;
    for (const char* set : {"disc1 to disc2: 4 signed", "disc1.iso to disc2.iso: 4 signed"})
        EXPECT_TRUE(HasLine(out, {set, "is not trusted on this machine", "self-signed"})) << out;

    // Another publisher's certificate: each program is named.
    ASSERT_EQ(Certificate("other"), 0);
    EXPECT_NE(Verify("--ca-file '" + Cert("other") + "'", &out), 0) << out;
    for (const char* line : {"disc1: setup.exe: ", "disc2: uninstall.exe: ", "disc1.iso: unrar.dll: "})
        EXPECT_TRUE(HasLine(out, {line, "does not verify against", "other.pem"})) << out;

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
    EXPECT_EQ(Verify("--ca-file '" + Cert() + "'", &out), 0) << out;
}

TEST_F(MkdiscSigning, VerifyNamesAlteredAndUnsignedPrograms) {
    std::string out;
    ASSERT_EQ(Sign(PemSigning(), &out), 0) << out;
    fs::path pristine = root / "pristine";
    fs::copy(discs, pristine, fs::copy_options::recursive);
    auto fresh = [&] {
        fs::remove_all(discs);
        fs::copy(pristine, discs, fs::copy_options::recursive);
    };
    auto expectLine = [&](const std::string& fault, const std::string& more,
                          const std::vector<std::string>& words) {
        SCOPED_TRACE(fault);
        std::string report;
        EXPECT_NE(Verify(more, &report), 0) << report;
        EXPECT_TRUE(HasLine(report, words)) << report;
        return report;
    };
    const char* altered = "the signature does not match the file (altered after signing)";

    FlipByte(discs / "disc1" / "setup.exe", 0x200);
    out = expectLine("a flipped byte in a folder", "", {"disc1: setup.exe: ", altered});
    EXPECT_FALSE(HasLine(out, {"disc1.iso: setup.exe"})) << out;

    fresh();
    fs::copy_file(programs / "uninstall.exe", discs / "disc2" / "uninstall.exe",
                  fs::copy_options::overwrite_existing);
    expectLine("an unsigned program in a signed set", "", {"disc2: uninstall.exe: not signed"});

    fresh();
    {
        std::string image = Slurp(discs / "disc1.iso"), setup = Slurp(discs / "disc1" / "setup.exe");
        std::size_t at = image.find(setup);
        ASSERT_NE(at, std::string::npos);
        FlipByte(discs / "disc1.iso", at + 0x200);
    }
    expectLine("a flipped byte in an image", "", {"disc1.iso: setup.exe: ", altered});
    EXPECT_NE(Sh("PATH=/nonexistent " + Program() + " --verify '" + discs.string() + "'", &out), 0);
    EXPECT_TRUE(HasLine(out, {"the signatures cannot be checked: cannot start osslsigncode"})) << out;

    // An edit that also rewrites the digest the signature holds: only the signature over it tells.
    fresh();
    {
        fs::path setup = discs / "disc1" / "setup.exe";
        FlipByte(setup, 0x200);
        std::string tool;
        Sh("osslsigncode verify -in '" + setup.string() + "'", &tool);
        auto digest = [&](const std::string& label) {
            std::size_t at = tool.find(label);
            std::string hex = at == std::string::npos ? "" : tool.substr(tool.find(':', at) + 2, 64), bytes;
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
                bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            return bytes;
        };
        std::string was = digest("Current message digest"), now = digest("Calculated message digest");
        std::string file = Slurp(setup);
        ASSERT_EQ(was.size(), 32u) << tool;
        ASSERT_NE(file.find(was), std::string::npos);
        file.replace(file.find(was), was.size(), now);
        std::ofstream(setup, std::ios::binary) << file;
    }
    expectLine("a rewritten digest", "--ca-file '" + Cert() + "'",
               {"disc1: setup.exe: the signature does not verify"});

    // The publisher's certificate given for an unsigned set: every program is said.
    ASSERT_EQ(Run(kTwoDiscs, &out, "--programs '" + programs.string() + "'"), 0) << out;
    out = expectLine("an unsigned set", "--ca-file '" + Cert() + "'", {"disc2: uninstall.exe: not signed"});
    EXPECT_TRUE(HasLine(out, {"disc1: setup.exe: not signed"})) << out;
}

TEST_F(MkdiscSigning, FailureToSignLeavesTheEarlierDiscs) {
    std::string out;
    ASSERT_EQ(Run(kTwoDiscs, &out, "--programs '" + programs.string() + "'"), 0) << out;
    auto earlier = Tree(discs);
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
        EXPECT_EQ(TreeDifference(Tree(discs), earlier), "") << out;
    }
    programs = root / "texts";
    EXPECT_NE(Sign(PemSigning(), &out), 0) << out;
    EXPECT_TRUE(HasLine(out, {"cannot sign setup.exe"})) << out;
    EXPECT_EQ(TreeDifference(Tree(discs), earlier), "") << out;
    EXPECT_EQ(Sh(Program() + " --game x --media y --out z --timestamp http://127.0.0.1:9/") >> 8, 2);
}

// Whether a file is signed comes from its certificate table, read without the tool.
TEST(MkdiscSigningParts, CertificateTableTellsASignedFile) {
    struct Bytes : rar::Source {
        std::string data;
        std::uint64_t Size() const override { return data.size(); }
        bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
            if (offset > data.size() || length > data.size() - offset) return false;
            std::memcpy(buffer, data.data() + offset, length);
            return true;
        }
    };
    auto isSigned = [](const std::string& bytes) {
        Bytes b;
        b.data = bytes;
        return mkdisc::HasSignature(b);
    };
    EXPECT_FALSE(isSigned(pebytes::Pe("x")));
    EXPECT_TRUE(isSigned(pebytes::Pe("x", true, 16, 0x400, 0x100)));
    EXPECT_TRUE(isSigned(pebytes::Pe("x", false, 16, 0x400, 0x100))) << "PE32 as well as PE32+";
    EXPECT_FALSE(isSigned(pebytes::Pe("x", true, 4, 0x400, 0x100))) << "no certificate table";
    std::string farHeader = pebytes::Pe("x", true, 16, 0x400, 0x100);
    farHeader[0x3C] = '\xF0', farHeader[0x3F] = '\x7F';
    for (const std::string& bad : {std::string(), std::string("MZ not a program"),
                                   pebytes::Pe("x", true, 16, 0x400, 0x100).substr(0, 0x90), farHeader})
        EXPECT_FALSE(isSigned(bad)) << bad.size();
}
