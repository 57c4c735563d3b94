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

// What osslsigncode says went wrong: its own line, else the first reason among OpenSSL's errors.
std::string WhyItFailed(const std::string& output, int rc) {
    std::string own, reason;
    for (const std::string& line : Lines(output)) {
        if (line.empty() || line == "Failed" || line.find("Enter PEM pass phrase") != std::string::npos)
            continue;
        if (line.find(":error:") != std::string::npos) {
            if (reason.empty()) reason = ErrorReason(line);
        } else if (own.empty()) {
            own = line;
        }
    }
    return !own.empty()      ? own
           : !reason.empty() ? reason
                             : std::string(kTool) + " ended with " + std::to_string(rc);
}

bool Readable(const fs::path& p, const std::string& what, std::string* error) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec) || access(p.c_str(), R_OK) != 0)
        return (*error = what + " " + p.string() + " cannot be read", false);
    return true;
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
            std::string why = WhyItFailed(output, rc);
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

} // namespace mkdisc
