// The stand-in's file system layer on POSIX systems: names are bytes, folders are made with mkdir,
// files are read and written with plain system calls (one call a block, no stdio buffer between).
#include "Output.h"

#include "engine/ExtractorApi.h"

#include <cerrno>
#include <fcntl.h>
#include <cstdint>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

class PosixFile : public OutputFile {
  public:
    explicit PosixFile(int f) : fd(f) {}
    ~PosixFile() override { Close(); }
    bool Write(const std::uint8_t* data, std::size_t length) override {
        while (length > 0) {
            ssize_t n = ::write(fd, data, length);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Close() override {
        if (fd < 0) return true;
        bool ok = ::close(fd) == 0;
        fd = -1;
        return ok;
    }

  private:
    int fd;
};

class PosixSource : public rar::Source {
  public:
    explicit PosixSource(int f) : fd(f) {
        struct stat st;
        size = fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        // Without a mapping (a pipe, a file system that cannot map) the data is read into buffers.
        if (size > 0 && size <= SIZE_MAX) {
            void* m = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
            if (m != MAP_FAILED) view = static_cast<const std::uint8_t*>(m);
        }
    }
    ~PosixSource() override {
        if (view) munmap(const_cast<std::uint8_t*>(view), static_cast<std::size_t>(size));
        ::close(fd);
    }
    std::uint64_t Size() const override { return size; }
    const std::uint8_t* View() const override { return view; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
        auto* p = static_cast<std::uint8_t*>(buffer);
        while (length > 0) {
            ssize_t n = ::pread(fd, p, length, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            offset += static_cast<std::uint64_t>(n);
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

  private:
    int fd;
    std::uint64_t size = 0;
    const std::uint8_t* view = nullptr;
};

} // namespace

std::string RecordName(const rar::Member& m) {
    return Native(m.name, m.separator);
}

bool Output::MakePath(const std::string& path) {
    if (path == lastFolder) return true;
    // Below the last folder only the new levels need a look.
    std::size_t from = 1;
    if (!lastFolder.empty() && path.size() > lastFolder.size() && path[lastFolder.size()] == '/' &&
        path.compare(0, lastFolder.size(), lastFolder) == 0)
        from = lastFolder.size() + 1;
    for (std::size_t i = from; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), 0777) == 0) continue;
            struct stat st; // it may be there already (or be a file, which is not a folder)
            if (stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        }
    }
    lastFolder = path;
    return true;
}

int Output::MakeFolders(const std::string& destination, const rar::Member& m) {
    std::string path = Join(destination, Native(m.name, m.separator));
    if (!m.isDir) {
        std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos || slash == 0) return extractor::kSuccess;
        path.resize(slash);
    }
    return MakePath(path) ? extractor::kSuccess : extractor::kECreate;
}

std::unique_ptr<OutputFile> Output::Create(const std::string& destination, const rar::Member& m, int* error) {
    std::string path = Join(destination, Native(m.name, m.separator));
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = extractor::kECreate;
        return nullptr;
    }
    *error = extractor::kSuccess;
    return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<rar::Source> OpenArchiveFile(const char* name) {
    int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixSource>(fd);
}

} // namespace standin
