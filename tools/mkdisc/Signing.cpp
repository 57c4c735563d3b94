#include "Signing.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace mkdisc {

namespace {

const char* const kTool = "osslsigncode";

std::uint32_t Le(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// A folder of its own under TMPDIR for the programs read from a set, gone with the object.
class TempFolder {
  public:
    bool Make(std::string* error) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/mkdisc-verify-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return (*error = "cannot make a folder in " + fs::path(pattern).parent_path().string() + ": " +
                             std::strerror(errno),
                    false);
        path = pattern;
        return true;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    fs::path path;
};

bool Extract(DiscView& disc, const std::string& name, const fs::path& to) {
    std::unique_ptr<rar::Source> source = disc.Open(name);
    FILE* out = source ? std::fopen(to.c_str(), "wb") : nullptr;
    if (!out) return false;
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    for (std::uint64_t at = 0; ok && at < source->Size();) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), source->Size() - at));
        ok = source->ReadAt(at, buffer.data(), n) && std::fwrite(buffer.data(), 1, n, out) == n;
        at += n;
    }
    return std::fclose(out) == 0 && ok;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

// OpenSSL's error lines: "40C0...:error:10800065:PKCS7 routines:PKCS7_signatureVerify:digest failure:...".
std::string ErrorReason(const std::string& line) {
    std::size_t at = line.find(":error:");
    if (at == std::string::npos) return "";
    for (int field = 0; field < 4 && at != std::string::npos; ++field)
        at = line.find(':', at + 1);
    if (at == std::string::npos) return "";
    std::size_t end = line.find(':', at + 1);
    return line.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
}

// What osslsigncode says went wrong. Signing says it in a line of its own before OpenSSL's errors;
// verifying prints its findings ("name : value") around them, so there the error comes first.
std::string WhyItFailed(const std::string& output, int rc, bool verifying) {
    std::string own, reason;
    for (const std::string& line : Lines(output)) {
        if (line.empty() || line == "Failed" || line.find("Enter PEM pass phrase") != std::string::npos)
            continue;
        if (line.find(":error:") != std::string::npos) {
            if (reason.empty()) reason = ErrorReason(line);
        } else if (own.empty() && (!verifying || line.find(':') == std::string::npos)) {
            own = line;
        }
    }
    std::string first = verifying ? reason : own, second = verifying ? own : reason;
    return !first.empty()    ? first
           : !second.empty() ? second
                             : std::string(kTool) + " ended with " + std::to_string(rc);
}

bool Readable(const fs::path& p, const std::string& what, std::string* error) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec) || access(p.c_str(), R_OK) != 0)
        return (*error = what + " " + p.string() + " cannot be read", false);
    return true;
}

enum class Verdict { Holds, Unsigned, Altered, Untrusted, Fails };

// osslsigncode checks the contents against the digest in the signature, then the certificate chain,
// and only then the signature over that digest. So a digest that matches under a chain that does not
// verify proves the file unaltered only against edits that leave the signature alone.
Verdict ReadVerify(int rc, const std::string& output, std::string* why) {
    if (rc == 0) return Verdict::Holds;
    std::string current, calculated;
    for (const std::string& line : Lines(output)) {
        if (line.find("No signature found") != std::string::npos) return Verdict::Unsigned;
        auto value = [&](const char* label, std::string* to) {
            if (line.rfind(label, 0) != 0) return;
            std::size_t colon = line.find(':');
            std::size_t start = line.find_first_not_of(' ', colon + 1);
            if (colon != std::string::npos && start != std::string::npos)
                *to = line.substr(start, line.find(' ', start) - start);
        };
        value("Current message digest", &current);
        value("Calculated message digest", &calculated);
        std::size_t chain = line.find("Verify error:");
        if (line.find("certificate verify error") != std::string::npos && chain != std::string::npos)
            *why = line.size() > chain + 14 ? line.substr(chain + 14) : "no reason given";
    }
    if (!current.empty() && !calculated.empty() && current != calculated) return Verdict::Altered;
    if (!current.empty() && current == calculated && !why->empty()) return Verdict::Untrusted;
    *why = WhyItFailed(output, rc, true);
    return Verdict::Fails;
}

} // namespace

int RunProgram(const std::vector<std::string>& argv, std::string* output) {
    output->clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return (*output = std::string("no pipe: ") + std::strerror(errno), -1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    // A session of its own has no terminal: a key without its password fails instead of prompting.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        *output = "cannot start " + argv[0] + ": " + std::strerror(rc);
        return -1;
    }
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            output->append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return (*output = argv[0] + " was lost: " + std::strerror(errno), -1);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    *output = argv[0] + " was ended by signal " + std::to_string(WTERMSIG(status));
    return -1;
}

bool HasSignature(rar::Source& file) {
    unsigned char dos[64];
    if (file.Size() < sizeof dos || !file.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    std::uint64_t pe = Le(dos + 0x3C, 4);
    unsigned char head[26]; // signature, file header, the optional header's magic
    if (!file.ReadAt(pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0) return false;
    std::uint32_t magic = Le(head + 24, 2);
    if (magic != 0x10B && magic != 0x20B) return false;
    // The data directories follow the optional header's fixed part; the certificate table is the fifth.
    std::uint64_t directories = pe + 24 + (magic == 0x20B ? 112 : 96);
    unsigned char count[4], entry[8];
    if (!file.ReadAt(directories - 4, count, sizeof count) || Le(count, 4) < 5) return false;
    if (!file.ReadAt(directories + 4 * 8, entry, sizeof entry)) return false;
    return Le(entry, 4) != 0 && Le(entry + 4, 4) != 0;
}

bool SignPrograms(const fs::path& programs, const fs::path& to, const SignOptions& o,
                  std::vector<std::string>* names, std::string* error) {
    if (programs.empty())
        return (*error = "--sign needs --programs, the folder of the programs to sign", false);
    std::vector<std::string> key;
    if (!o.pkcs12.empty()) {
        if (!Readable(o.pkcs12, "the PKCS#12 file", error)) return false;
        std::string start(10, '\0');
        FILE* f = std::fopen(o.pkcs12.c_str(), "rb");
        start.resize(f ? std::fread(start.data(), 1, start.size(), f) : 0);
        if (f) std::fclose(f);
        if (start == "-----BEGIN")
            return (*error = o.pkcs12.string() + " is PEM, not PKCS#12: a PEM certificate goes with its key, "
                                                 "--sign CERT KEY",
                    false);
        key = {"-pkcs12", o.pkcs12.string()};
    } else {
        if (!Readable(o.certificate, "the certificate", error) || !Readable(o.key, "the key", error))
            return false;
        key = {"-certs", o.certificate.string(), "-key", o.key.string()};
    }
    if (!o.passFile.empty()) {
        if (!Readable(o.passFile, "the password file", error)) return false;
        key.insert(key.end(), {"-readpass", o.passFile.string()});
    }
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) return (*error = "cannot make " + to.string() + ": " + ec.message(), false);
    for (const char* name : kSignedPrograms) {
        if (!fs::is_regular_file(programs / name, ec)) continue;
        std::vector<std::string> argv = {kTool, "sign"};
        argv.insert(argv.end(), key.begin(), key.end());
        argv.insert(argv.end(), {"-h", "sha256"});
        if (!o.timestamp.empty()) argv.insert(argv.end(), {"-ts", o.timestamp});
        argv.insert(argv.end(), {"-in", (programs / name).string(), "-out", (to / name).string()});
        std::string output;
        int rc = RunProgram(argv, &output);
        if (rc < 0)
            return (*error = "cannot sign " + std::string(name) + ": " + output +
                             " (Debian's osslsigncode package)",
                    false);
        if (rc != 0 || !fs::is_regular_file(to / name, ec)) {
            std::string why = WhyItFailed(output, rc, false);
            if (o.passFile.empty() && why.find("password") != std::string::npos)
                why += "; --sign-pass-file gives the password";
            return (*error = "cannot sign " + std::string(name) + ": " + why, false);
        }
        names->push_back(name);
    }
    if (names->empty())
        return (*error = "nothing to sign: " + programs.string() +
                         " holds no setup.exe, unrar.dll or uninstall.exe",
                false);
    return true;
}

void VerifySignatures(std::vector<std::unique_ptr<DiscView>>& discs, const fs::path& caFile,
                      std::vector<std::string>* problems, SignatureSummary* summary) {
    struct Program {
        DiscView* disc;
        std::string name;
        bool isSigned;
    };
    std::vector<Program> present; // a missing one is the set check's to report
    bool setIsSigned = !caFile.empty();
    for (std::size_t n = 0; n < discs.size(); ++n)
        for (const char* name : kSignedPrograms) {
            if (n > 0 && std::string(name) != "uninstall.exe") continue;
            std::unique_ptr<rar::Source> source = discs[n]->Open(name);
            if (!source) continue;
            present.push_back({discs[n].get(), name, HasSignature(*source)});
            setIsSigned = setIsSigned || present.back().isSigned;
        }
    if (!setIsSigned) return;
    TempFolder temp;
    std::string why;
    if (!temp.Make(&why)) {
        problems->push_back("the signatures cannot be checked: " + why);
        return;
    }
    for (const Program& p : present) {
        auto say = [&](const std::string& what) {
            problems->push_back(p.disc->name() + ": " + p.name + ": " + what);
        };
        if (!p.isSigned) {
            say("not signed");
            continue;
        }
        fs::path copy = temp.path / p.name;
        if (!Extract(*p.disc, p.name, copy)) {
            say("cannot be read");
            continue;
        }
        std::vector<std::string> argv = {kTool, "verify", "-in", copy.string()};
        if (!caFile.empty()) argv.insert(argv.end(), {"-CAfile", caFile.string()});
        std::string output;
        int rc = RunProgram(argv, &output);
        if (rc < 0) {
            problems->push_back("the signatures cannot be checked: " + output +
                                " (Debian's osslsigncode package)");
            return;
        }
        why.clear();
        switch (ReadVerify(rc, output, &why)) {
        case Verdict::Holds:
            ++summary->checked;
            break;
        case Verdict::Unsigned:
            say("not signed");
            break;
        case Verdict::Altered:
            say("the signature does not match the file (altered after signing)");
            break;
        case Verdict::Untrusted:
            if (!caFile.empty()) {
                say("its certificate does not verify against " + caFile.string() + " (" + why + ")");
                break;
            }
            ++summary->checked;
            ++summary->untrusted;
            summary->untrustedWhy = why;
            break;
        case Verdict::Fails:
            say("the signature does not verify: " + why);
            break;
        }
        std::error_code ignored;
        fs::remove(copy, ignored);
    }
}

} // namespace mkdisc
