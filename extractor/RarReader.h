// Reader of RAR 4.x and RAR 5.0 archives: block structure, header checks and the data of stored
// members. Every size read from the archive is checked against the file before it is used, and every
// block moves the reader forward, so a hostile archive ends in an error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rar {

// Random-access bytes of the archive.
class Source {
  public:
    virtual ~Source() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) = 0;
    // The whole archive in memory (a mapping of the file), or null: data is then read into buffers.
    // Data written straight from the mapping is copied once, not twice.
    virtual const std::uint8_t* View() const { return nullptr; }
};

enum class Format { Unknown, Rar4, Rar5 };

struct Member {
    std::string name; // as stored: RAR 4 bytes in the OEM code page (or UTF-8), RAR 5 UTF-8
    bool nameIsUtf8 = false;
    char separator = '\\'; // the separator the archive uses in names
    bool isDir = false;
    bool stored = true;
    bool encrypted = false;
    bool splitBefore = false, splitAfter = false;
    bool link = false; // a symbolic or hard link: never created
    bool solid = false;
    std::uint64_t packSize = 0, unpSize = 0;
    bool hasCrc = false;
    std::uint32_t crc = 0;
    std::uint32_t dosTime = 0;
    std::uint32_t attributes = 0;
    std::uint32_t hostOS = 0;
    std::uint32_t unpVer = 0;
    std::uint32_t method = 0x30; // RAR 4 style: 0x30 stored
    std::uint64_t dataOffset = 0;
};

// Names longer than 259 bytes as the header record reports them do not fit its 260 bytes. The stored
// form may be longer (a RAR 4 field carries the encoded unicode form after the OEM form; UTF-8 takes up
// to four bytes a character): the reader refuses only what cannot fit in any form.
constexpr std::size_t kMaxName = 259;
constexpr std::size_t kMaxStoredName = 4 * kMaxName;
constexpr std::size_t kBlock = 1 << 20; // data is written and reported in blocks of at most 1 MiB

class CrcHelper;

class Reader {
  public:
    explicit Reader(Source& source);
    ~Reader();
    // Signature and archive header; 0 or an error code of the library interface.
    int Open();
    // The next member: 0 with *m filled, kEndArchive at the end, or an error code.
    int Next(Member* m);
    // Streams a stored member's data in blocks; sink returns false to stop. Checks the data CRC.
    // Returns 0, kBadData (short or corrupt data), kUnknown (stopped by the sink).
    int ReadData(const Member& m, const std::function<bool(const std::uint8_t*, std::size_t)>& sink,
                 std::uint8_t* buffer, std::size_t bufferSize);
    Format format() const { return fmt; }
    bool headersEncrypted() const { return encryptedHeaders; }

  private:
    int Next4(Member* m);
    int Next5(Member* m);
    Source& src;
    Format fmt = Format::Unknown;
    std::uint64_t pos = 0;
    bool encryptedHeaders = false;
    bool done = false;
    // The data CRC of large mapped members is computed on a second thread while the blocks are
    // written from the mapping.
    std::unique_ptr<CrcHelper> helper;
};

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t length);
// The same CRC by carry-less multiplication where the processor has it, else by zlib's tables: the
// Windows builds' CRC (natively libdeflate's).
std::uint32_t FoldingCrc32(std::uint32_t crc, const void* data, std::size_t length);

} // namespace rar
