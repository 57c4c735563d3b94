// mkdisc: turns a finished game folder, its media folders and a description into disc folders.
//
//   mkdisc --game DIR --media DIR --out DIR [--description FILE] [--programs DIR] [--iso]
//          [--sign CERT KEY | --sign PFX] [--sign-pass-file FILE] [--timestamp URL]
//   mkdisc --verify DIR [--ca-file CERTS]
//
// Each disc folder gets its marker (cd1, cd2, ...) and its packages (RAR 4.x, stored members); the
// first one also the media folders, the main executable, setup.exe and unrar.dll. Files read at the
// end of an installation (uninstall.exe, the presets, the additional programs, each strings.txt with
// the package entries) go on every disc, since any disc may be in the drive then. The discs are
// written aside and moved into place only when all of them are complete. With --iso each disc also
// becomes an image (disc1.iso, ...), planned so that the image, file system included, fits the disc.
// With --sign the programs are signed (copies, through osslsigncode) before they are laid out, since
// a signature changes their size. --verify checks a finished set (folders or images) for what the
// installer relies on, and the programs' signatures when the set is signed.
#include "DiscSet.h"
#include "DiscWriter.h"
#include "IsoImage.h"
#include "Progress.h"
#include "Signing.h"
#include "Verify.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace mkdisc;

namespace {

struct Options {
    Inputs in;
    fs::path out, verify, caFile;
    bool iso = false;
    SignOptions sign;
};

int Usage(const char* message) {
    std::fprintf(stderr,
                 "%s%smkdisc --game DIR --media DIR --out DIR [--description FILE] [--programs DIR] [--iso]\n"
                 "              [--sign CERT KEY | --sign PFX] [--sign-pass-file FILE] [--timestamp URL]\n"
                 "       mkdisc --verify DIR [--ca-file CERTS]\n"
                 "  --game         the finished game folder, as it is to be installed\n"
                 "  --media        the folder holding the media folders (Media, MediaRus, ..., MainMedia)\n"
                 "  --out          where disc1, disc2, ... are made\n"
                 "  --description  disc capacity, packages, main executable, presets, additional programs\n"
                 "  --programs     folder with setup.exe, unrar.dll and uninstall.exe for the discs\n"
                 "  --iso          also an ISO 9660 / Joliet image of each disc (disc1.iso, ...)\n"
                 "  --sign         sign setup.exe, unrar.dll and uninstall.exe (Authenticode, through\n"
                 "                 osslsigncode) with a PEM certificate and its key, or a PKCS#12 file\n"
                 "  --sign-pass-file  a file whose first line is the password of the key or PKCS#12 file\n"
                 "  --timestamp    an RFC 3161 time-stamp server for the signatures\n"
                 "  --verify       check the disc folders or images in DIR; exit 0 when all holds\n"
                 "  --ca-file      PEM certificates the programs' signatures must chain to (the\n"
                 "                 publisher's certificate or its root); without it, this machine's roots\n",
                 message, *message ? "\n" : "");
    return 2;
}

bool Make(const Options& o, const fs::path& work, std::vector<std::string>* report, std::string* error) {
    Inputs in = o.in;
    std::vector<std::string> signedNames;
    if (o.sign.wanted()) {
        in.programs = work / "signed";
        if (!SignPrograms(o.in.programs, in.programs, o.sign, &signedNames, error)) return false;
    }
    DiscSet set;
    auto volumeId = [&](std::size_t n) { return set.label + "_" + std::to_string(n + 1); };
    Measure measure = MeasureFolder;
    if (o.iso)
        measure = [&](const DiscLayout& disc, std::size_t n, std::uint64_t* bytes, std::string* why) {
            return MeasureImage(disc, volumeId(n), bytes, why);
        };
    if (!LayOut(in, work, o.iso ? kImageBlock : 1, measure, &set, error)) return false;
    std::uint64_t total = set.payload;
    if (o.iso)
        for (std::uint64_t bytes : set.measured)
            total += bytes;
    Progress progress(total);
    std::vector<std::string> names;
    for (std::size_t n = 0; n < set.discs.size(); ++n) {
        std::string name = "disc" + std::to_string(n + 1);
        std::string of = " of " + std::to_string(set.discs.size());
        progress.Stage("disc " + std::to_string(n + 1) + of);
        if (!WriteDisc(set.discs[n], work / name, &progress, error)) return false;
        names.push_back(name);
        if (o.iso) {
            progress.Stage("image " + std::to_string(n + 1) + of);
            std::uint64_t bytes = 0;
            if (!WriteImage(set.discs[n], work / name, volumeId(n), work / (name + ".iso"), &progress, &bytes,
                            error))
                return false;
            if (bytes > set.description.capacity)
                return (*error = name + ".iso has " + std::to_string(bytes) +
                                 " bytes, more than the capacity of " +
                                 std::to_string(set.description.capacity),
                        false);
            names.push_back(name + ".iso");
            report->push_back(name + ".iso: " + volumeId(n) + ", " + std::to_string(bytes) + " bytes");
        }
        for (const Archive& a : set.discs[n].archives)
            report->push_back(name + "/" + a.name + ": " + std::to_string(a.members.size()) + " members, " +
                              std::to_string(a.unpacked) + " bytes");
        report->push_back(name + ": " + std::to_string(set.measured[n]) + " of " +
                          std::to_string(set.description.capacity) + " bytes" +
                          (o.iso ? " as an image" : ""));
    }
    progress.Finish();
    if (!PutInPlace(work, o.out, names, error)) return false;
    for (auto& note : set.notes)
        report->push_back(note);
    if (!signedNames.empty()) {
        std::string names;
        for (auto& name : signedNames)
            names += (names.empty() ? "" : ", ") + name;
        report->push_back("signed: " + names);
    }
    report->push_back("SPACE_NEED " + std::to_string((set.spaceNeedBytes + (1 << 20) - 1) >> 20) + " MiB, " +
                      std::to_string(set.discs.size()) + " disc(s)");
    return true;
}

int Verify(const fs::path& folder, const fs::path& caFile) {
    std::vector<std::vector<std::unique_ptr<DiscView>>> sets;
    std::string error;
    if (!DiscView::FindSets(folder, &sets, &error)) {
        std::printf("%s\nnot verified: the discs cannot be read\n", error.c_str());
        return 1;
    }
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    std::size_t discs = 0, packages = 0, signatures = 0;
    for (auto& set : sets) {
        std::string span = set[0]->name() + (set.size() > 1 ? " to " + set.back()->name() : "");
        {
            Progress progress(PackageBytes(set));
            progress.Stage("checking " + span);
            VerifySet(set, &progress, &problems, &packages);
        }
        SignatureSummary summary;
        VerifySignatures(set, caFile, &problems, &summary);
        signatures += summary.checked;
        if (summary.untrusted)
            notes.push_back(
                span + ": " + std::to_string(summary.untrusted) +
                " signed program(s) match their signatures, but their certificate is not trusted on "
                "this machine (" +
                summary.untrustedWhy +
                "), so the signatures themselves are not checked: --ca-file with the publisher's "
                "certificate checks them");
        discs += set.size();
    }
    std::set<std::string> said;
    for (auto& line : problems)
        if (said.insert(line).second) std::printf("%s\n", line.c_str());
    for (auto& line : notes)
        std::printf("%s\n", line.c_str());
    std::string counts = std::to_string(discs) + " disc(s), " + std::to_string(packages) + " package(s)";
    if (signatures) counts += ", " + std::to_string(signatures) + " signed program(s)";
    if (said.empty())
        std::printf("verified: %s, all hold\n", counts.c_str());
    else
        std::printf("not verified: %zu problem(s) in %s\n", said.size(), counts.c_str());
    return said.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") return Usage(""), 0;
        if (a == "--iso") {
            o.iso = true;
            continue;
        }
        if (i + 1 >= argc) return Usage(("mkdisc: " + a + " needs a value").c_str());
        fs::path v = argv[++i];
        if (a == "--sign") {
            // One file is PKCS#12; a second that is not an option is the PEM certificate's key.
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                o.sign.certificate = v;
                o.sign.key = argv[++i];
            } else {
                o.sign.pkcs12 = v;
            }
            continue;
        }
        if (a == "--game")
            o.in.game = v;
        else if (a == "--media")
            o.in.media = v;
        else if (a == "--out")
            o.out = v;
        else if (a == "--description")
            o.in.description = v;
        else if (a == "--programs")
            o.in.programs = v;
        else if (a == "--verify")
            o.verify = v;
        else if (a == "--ca-file")
            o.caFile = v;
        else if (a == "--sign-pass-file")
            o.sign.passFile = v;
        else if (a == "--timestamp")
            o.sign.timestamp = v.string();
        else
            return Usage(("mkdisc: unknown option " + a).c_str());
    }
    if (!o.verify.empty()) {
        std::error_code ec;
        if (!o.caFile.empty() && (!fs::is_regular_file(o.caFile, ec) || access(o.caFile.c_str(), R_OK) != 0))
            return Usage(("mkdisc: --ca-file " + o.caFile.string() + " cannot be read").c_str());
        return Verify(o.verify, o.caFile);
    }
    if (!o.caFile.empty()) return Usage("mkdisc: --ca-file goes with --verify");
    if (!o.sign.wanted() && (!o.sign.passFile.empty() || !o.sign.timestamp.empty()))
        return Usage("mkdisc: --sign-pass-file and --timestamp go with --sign");
    if (o.in.game.empty() || o.in.media.empty() || o.out.empty())
        return Usage("mkdisc: --game, --media and --out are needed");

    std::error_code ec;
    std::string error;
    fs::create_directories(o.out, ec);
    fs::path work = o.out / ".mkdisc-incomplete";
    if (!ec) fs::remove_all(work, ec);
    if (!ec) fs::create_directories(work, ec);
    std::vector<std::string> report;
    bool ok = !ec || (error = "cannot make " + work.string() + ": " + ec.message(), false);
    ok = ok && Make(o, work, &report, &error);
    fs::remove_all(work, ec);
    if (!ok) {
        std::fprintf(stderr, "mkdisc: error: %s\n", error.empty() ? "failed" : error.c_str());
        return 1;
    }
    for (auto& line : report)
        std::printf("%s\n", line.c_str());
    return 0;
}
