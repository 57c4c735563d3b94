// Authenticode signatures of the set-up programs: made and checked by osslsigncode, run as a child
// process with an argument vector.
#pragma once

#include "DiscView.h"

#include <filesystem>
#include <memory>
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

// Whether a PE file carries a signature: its certificate table is not empty. False for anything
// that is not a PE file.
bool HasSignature(rar::Source& file);

struct SignatureSummary {
    std::size_t checked = 0;   // signed programs whose contents match their signatures
    std::size_t untrusted = 0; // of those, whose certificate does not chain to a trusted root
    std::string untrustedWhy;  // osslsigncode's reason, for the note
};

// Checks the programs' signatures of one set (disc 1 first) when the set is signed, that is when any
// of them carries a signature or `caFile` is given: then every one must be signed and unaltered, and
// with `caFile` also verify against it. One line per problem.
void VerifySignatures(std::vector<std::unique_ptr<DiscView>>& discs, const std::filesystem::path& caFile,
                      std::vector<std::string>* problems, SignatureSummary* summary);

// Runs argv[0] (looked up in PATH) without a shell and without a terminal, reading nothing; its
// output and errors go to `output`. Its exit code, or -1 with the reason in `output` when it could
// not run.
int RunProgram(const std::vector<std::string>& argv, std::string* output);

} // namespace mkdisc
