// Authenticode signatures of the set-up programs: made by osslsigncode, run as a child
// process with an argument vector.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mkdisc {

// What carries a signature: setup.exe and unrar.dll on the first disc, uninstall.exe on every disc.
inline const char* const kSignedPrograms[] = {"setup.exe", "unrar.dll", "uninstall.exe"};

struct SignOptions {
    std::filesystem::path certificate, key; // PEM, or
    std::filesystem::path pkcs12;           // one PKCS#12 file with both
    std::filesystem::path passFile;         // the key's password (optional)
    std::string timestamp;                  // an RFC 3161 time-stamp server (optional)
    bool wanted() const { return !certificate.empty() || !pkcs12.empty(); }
};

// Signs copies of the programs `programs` holds into `to`; `programs` is left as it is. `names`
// gets what was signed. False with a message when any of them cannot be signed.
bool SignPrograms(const std::filesystem::path& programs, const std::filesystem::path& to,
                  const SignOptions& options, std::vector<std::string>* names, std::string* error);

// Runs argv[0] (looked up in PATH) without a shell and without a terminal, reading nothing; its
// output and errors go to `output`. Its exit code, or -1 with the reason in `output` when it could
// not run.
int RunProgram(const std::vector<std::string>& argv, std::string* output);

} // namespace mkdisc
