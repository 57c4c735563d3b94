#include "DiscWriter.h"

#include "Rar4Writer.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace mkdisc {

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool CopyFile(const DiscFile& f, const fs::path& to, Progress* progress, std::string* error) {
    File in(std::fopen(f.hostPath.c_str(), "rb"));
    if (!in) return (*error = "cannot read " + f.hostPath, false);
    File out(std::fopen(to.c_str(), "wb"));
    if (!out) return (*error = "cannot write " + to.string(), false);
    std::vector<char> buffer(1 << 20);
    std::uint64_t copied = 0;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
        if (std::fwrite(buffer.data(), 1, n, out.get()) != n)
            return (*error = "cannot write " + to.string(), false);
        copied += n;
        progress->Add(n);
    }
    if (std::ferror(in.get())) return (*error = "cannot read " + f.hostPath, false);
    if (std::fclose(out.release()) != 0) return (*error = "cannot write " + to.string(), false);
    if (copied != f.size) return (*error = f.hostPath + " changed while the discs were made", false);
    return true;
}

bool WriteText(const DiscFile& f, const fs::path& to, std::string* error) {
    File out(std::fopen(to.c_str(), "wb"));
    bool ok = out && std::fwrite(f.text.data(), 1, f.text.size(), out.get()) == f.text.size();
    ok = std::fclose(out.release()) == 0 && ok;
    if (!ok) *error = "cannot write " + to.string();
    return ok;
}

bool WritePackage(const Archive& a, const fs::path& to, Progress* progress, std::string* error) {
    Rar4Writer w;
    if (!w.Open(to.string())) return (*error = w.error(), false);
    for (const Member& m : a.members) {
        struct stat st;
        std::uint32_t time = Rar4Writer::DosTime(1700000000);
        if (!m.isDir && stat(m.hostPath.c_str(), &st) == 0) time = Rar4Writer::DosTime(st.st_mtime);
        if (!(m.isDir ? w.AddFolder(m.name, time) : w.AddFile(m.name, m.hostPath, time)))
            return (*error = w.error(), false);
        progress->Add(MemberBytes(m));
    }
    if (!w.Close()) return (*error = w.error().empty() ? "cannot write " + to.string() : w.error(), false);
    std::error_code ec;
    if (fs::file_size(to, ec) != a.bytes || ec)
        return (*error = "the files of " + a.name + " changed while the discs were made", false);
    return true;
}

} // namespace

bool WriteDisc(const DiscLayout& disc, const fs::path& folder, Progress* progress, std::string* error) {
    std::error_code ec;
    for (const DiscFile& f : disc.files) {
        fs::path to = folder / fs::path(f.path);
        fs::create_directories(to.parent_path(), ec);
        if (ec) return (*error = "cannot make " + to.parent_path().string() + ": " + ec.message(), false);
        bool ok = f.archive >= 0       ? WritePackage(disc.archives[f.archive], to, progress, error)
                  : f.hostPath.empty() ? WriteText(f, to, error)
                                       : CopyFile(f, to, progress, error);
        if (!ok) return false;
        if (f.archive < 0 && f.hostPath.empty()) progress->Add(f.size);
    }
    return true;
}

bool PutInPlace(const fs::path& work, const fs::path& out, const std::vector<std::string>& names,
                std::string* error) {
    std::error_code ec;
    fs::path aside = out / ".mkdisc-earlier";
    fs::remove_all(aside, ec);
    fs::create_directories(aside, ec);
    if (ec) return (*error = "cannot make " + aside.string() + ": " + ec.message(), false);
    std::vector<std::string> moved, placed;
    auto undo = [&](const std::string& why) {
        std::error_code ignored;
        for (auto& name : placed)
            fs::rename(out / name, work / name, ignored);
        std::string lost;
        for (auto& name : moved) {
            fs::rename(aside / name, out / name, ignored);
            if (ignored) lost += " " + name;
        }
        *error = why + (lost.empty()
                            ? "; the earlier discs are as they were"
                            : "; the earlier" + lost + " could not be put back and are in " + aside.string());
        if (lost.empty()) fs::remove_all(aside, ignored);
        return false;
    };
    for (int n = 1; n <= 9; ++n)
        for (const std::string& name : {"disc" + std::to_string(n), "disc" + std::to_string(n) + ".iso"}) {
            if (!fs::exists(fs::symlink_status(out / name, ec))) continue;
            fs::rename(out / name, aside / name, ec);
            if (ec) return undo("cannot move the earlier " + name + " aside: " + ec.message());
            moved.push_back(name);
        }
    for (const std::string& name : names) {
        fs::rename(work / name, out / name, ec);
        if (ec) return undo("cannot move " + name + " into place: " + ec.message());
        placed.push_back(name);
    }
    fs::remove_all(aside, ec);
    return true;
}

} // namespace mkdisc
