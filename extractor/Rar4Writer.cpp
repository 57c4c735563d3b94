#include "Rar4Writer.h"

#include "DosTime.h"

#include <cstring>
#include <vector>
#include <zlib.h>

namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// The header CRC is the low half of the CRC32 of everything after the CRC field.
void Seal(std::vector<std::uint8_t>& b) {
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, b.data() + 2, static_cast<uInt>(b.size() - 2)));
    b[0] = static_cast<std::uint8_t>(crc);
    b[1] = static_cast<std::uint8_t>(crc >> 8);
}

} // namespace

Rar4Writer::~Rar4Writer() {
    if (file) std::fclose(file);
}

bool Rar4Writer::Fail(const std::string& message) {
    if (!failed) lastError = message;
    failed = true;
    return false;
}

std::uint32_t Rar4Writer::DosTime(std::int64_t t) {
    return rar::DosTimeOf(t);
}

bool Rar4Writer::Open(const std::string& path) {
    file = std::fopen(path.c_str(), "wb");
    if (!file) return Fail("cannot create " + path);
    static const std::uint8_t marker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    std::vector<std::uint8_t> main = {0, 0, 0x73};
    Put16(main, 0x0000); // flags: a plain, non-solid archive
    Put16(main, 13);
    Put16(main, 0);
    Put32(main, 0);
    Seal(main);
    if (std::fwrite(marker, 1, 7, file) != 7 || std::fwrite(main.data(), 1, main.size(), file) != main.size())
        return Fail("cannot write " + path);
    return true;
}

bool Rar4Writer::WriteHeader(const std::string& name, bool folder, std::uint64_t size, std::uint32_t crc,
                             std::uint32_t dosTime, std::uint32_t attributes) {
    if (name.empty() || name.size() > 0xFFFF) return Fail("bad member name");
    bool large = size > 0xFFFFFFFFull;
    std::uint16_t flags = 0x8000 | (folder ? 0x00E0 : 0) | (large ? 0x0100 : 0);
    std::vector<std::uint8_t> h = {0, 0, 0x74};
    Put16(h, flags);
    std::size_t headSize = 32 + (large ? 8 : 0) + name.size();
    if (headSize > 0xFFFF) return Fail("member name too long: " + name);
    Put16(h, static_cast<std::uint32_t>(headSize));
    Put32(h, static_cast<std::uint32_t>(size)); // packed size: stored, so the same
    Put32(h, static_cast<std::uint32_t>(size));
    h.push_back(2); // host: Win32
    Put32(h, crc);
    Put32(h, dosTime);
    h.push_back(20);   // version needed: 2.0
    h.push_back(0x30); // method: store
    Put16(h, static_cast<std::uint32_t>(name.size()));
    Put32(h, attributes);
    if (large) {
        Put32(h, static_cast<std::uint32_t>(size >> 32));
        Put32(h, static_cast<std::uint32_t>(size >> 32));
    }
    h.insert(h.end(), name.begin(), name.end());
    Seal(h);
    if (std::fwrite(h.data(), 1, h.size(), file) != h.size()) return Fail("write failed");
    return true;
}

bool Rar4Writer::AddFolder(const std::string& name, std::uint32_t dosTime) {
    if (!file || failed) return false;
    return WriteHeader(name, true, 0, 0, dosTime, 0x10);
}

bool Rar4Writer::AddBytes(const std::string& name, const std::string& data, std::uint32_t dosTime) {
    if (!file || failed) return false;
    std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    if (!WriteHeader(name, false, data.size(), crc, dosTime, 0x20)) return false;
    if (std::fwrite(data.data(), 1, data.size(), file) != data.size()) return Fail("write failed");
    return true;
}

bool Rar4Writer::AddFile(const std::string& name, const std::string& hostPath, std::uint32_t dosTime) {
    if (!file || failed) return false;
    FILE* in = std::fopen(hostPath.c_str(), "rb");
    if (!in) return Fail("cannot read " + hostPath);
    std::fseek(in, 0, SEEK_END);
    std::uint64_t size = static_cast<std::uint64_t>(ftello(in));
    std::fseek(in, 0, SEEK_SET);
    // The header goes first with the CRC still unknown; it is written again once the data is in.
    off_t headerAt = ftello(file);
    if (!WriteHeader(name, false, size, 0, dosTime, 0x20)) {
        std::fclose(in);
        return false;
    }
    std::vector<std::uint8_t> buffer(1 << 20);
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t copied = 0;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        crc = crc32(crc, buffer.data(), static_cast<uInt>(n));
        if (std::fwrite(buffer.data(), 1, n, file) != n) {
            std::fclose(in);
            return Fail("write failed");
        }
        copied += n;
    }
    std::fclose(in);
    if (copied != size) return Fail(hostPath + " changed while it was read");
    off_t end = ftello(file);
    if (fseeko(file, headerAt, SEEK_SET) != 0 ||
        !WriteHeader(name, false, size, static_cast<std::uint32_t>(crc), dosTime, 0x20) ||
        fseeko(file, end, SEEK_SET) != 0)
        return Fail("write failed");
    return true;
}

bool Rar4Writer::Close() {
    if (!file) return false;
    std::vector<std::uint8_t> end = {0, 0, 0x7B};
    Put16(end, 0x4000);
    Put16(end, 7);
    Seal(end);
    bool ok = !failed && std::fwrite(end.data(), 1, end.size(), file) == end.size();
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok && !failed;
}
