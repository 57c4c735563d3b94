// The stand-in's file system layer on POSIX systems: names are bytes, folders are made with mkdir.
#include "Output.h"

#include "engine/ExtractorApi.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace standin {

namespace {

std::string Native(std::string name, char separator) {
    for (char& c : name)
        if (c == separator || c == '\\') c = '/';
    return name;
}

std::string Join(const std::string& destination, const std::string& name) {
    if (destination.empty()) return name;
    return destination.back() == '/' ? destination + name : destination + "/" + name;
}

bool MakePath(const std::string& path) {
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            struct stat st;
            if (stat(part.c_str(), &st) == 0) {
                if (!S_ISDIR(st.st_mode)) return false;
            } else if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return true;
}

class PosixFile : public OutputFile {
  public:
    explicit PosixFile(FILE* f) : file(f) {}
    ~PosixFile() override { Close(); }
    bool Write(const std::uint8_t* data, std::size_t length) override {
        return std::fwrite(data, 1, length, file) == length;
    }
    bool Close() override {
        if (!file) return true;
        bool ok = std::fclose(file) == 0;
        file = nullptr;
        return ok;
    }

  private:
    FILE* file;
};

class PosixSource : public rar::Source {
  public:
    explicit PosixSource(FILE* f) : file(f) {
        std::fseek(file, 0, SEEK_END);
        size = static_cast<std::uint64_t>(ftello(file));
        at = size;
    }
    ~PosixSource() override { std::fclose(file); }
    std::uint64_t Size() const override { return size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
        if (offset != at && fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
        std::size_t n = std::fread(buffer, 1, length, file);
        at = offset + n;
        return n == length;
    }

  private:
    FILE* file;
    std::uint64_t size = 0;
    std::uint64_t at = 0;
};

} // namespace

std::string RecordName(const rar::Member& m) {
    return Native(m.name, m.separator);
}

int MakeFolders(const std::string& destination, const rar::Member& m) {
    std::string path = Join(destination, Native(m.name, m.separator));
    if (!m.isDir) {
        std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos || slash == 0) return extractor::kSuccess;
        path.resize(slash);
    }
    return MakePath(path) ? extractor::kSuccess : extractor::kECreate;
}

std::unique_ptr<OutputFile> CreateOutput(const std::string& destination, const rar::Member& m, int* error) {
    std::string path = Join(destination, Native(m.name, m.separator));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = extractor::kECreate;
        return nullptr;
    }
    *error = extractor::kSuccess;
    return std::make_unique<PosixFile>(f);
}

std::unique_ptr<rar::Source> OpenArchiveFile(const char* name) {
    FILE* f = std::fopen(name, "rb");
    if (!f) return nullptr;
    return std::make_unique<PosixSource>(f);
}

} // namespace standin
