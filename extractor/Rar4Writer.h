// Writer of RAR 4.x archives with stored members: what the disc builder makes packages with.
// Names are given in the OEM code page with backslash separators, as the format stores them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class Rar4Writer {
  public:
    ~Rar4Writer();
    bool Open(const std::string& path); // marker and archive header
    bool AddFolder(const std::string& name, std::uint32_t dosTime);
    bool AddFile(const std::string& name, const std::string& hostPath, std::uint32_t dosTime);
    bool AddBytes(const std::string& name, const std::string& data, std::uint32_t dosTime);
    bool Close(); // end block; false when anything failed on the way
    const std::string& error() const { return lastError; }

    // DOS date and time of a Unix time (local time is not involved: the archive stores what it is given).
    static std::uint32_t DosTime(std::int64_t unixTime);

  private:
    bool WriteHeader(const std::string& name, bool folder, std::uint64_t size, std::uint32_t crc,
                     std::uint32_t dosTime, std::uint32_t attributes);
    bool Fail(const std::string& message);

    FILE* file = nullptr;
    bool failed = false;
    std::string lastError;
};
