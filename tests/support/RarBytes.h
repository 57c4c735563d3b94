// Archive bytes made by hand, for what the disc builder's writer never makes: RAR 5 blocks, RAR 4
// headers with unicode names, damaged headers. Shared by the native tests and the Windows tests.
#pragma once

#include <cstdint>
#include <string>
#include <zlib.h>

namespace rarbytes {

inline std::uint32_t Crc(const std::string& s) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

inline std::string Vint(std::uint64_t v) {
    std::string s;
    do {
        std::uint8_t b = v & 0x7F;
        v >>= 7;
        if (v) b |= 0x80;
        s += static_cast<char>(b);
    } while (v);
    return s;
}

inline std::string Le16(std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
}

inline std::string Le32(std::uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// ---- RAR 5 ----

const std::string kSig5("Rar!\x1A\x07\x01\x00", 8);

// A block: CRC, size and the given header fields.
inline std::string Block5(const std::string& fields) {
    std::string sized = Vint(fields.size()) + fields;
    return Le32(Crc(sized)) + sized;
}

inline std::string Main5() {
    return Block5(Vint(1) + Vint(0) + Vint(0));
}
inline std::string End5() {
    return Block5(Vint(5) + Vint(0) + Vint(0));
}

// A stored file block with its data (name in UTF-8); extra is the extra area.
inline std::string File5(const std::string& name, const std::string& data, std::uint64_t compression = 0,
                         const std::string& extra = "", std::uint64_t blockFlags = 0) {
    std::string fields = Vint(2) + Vint(0x0002 | blockFlags | (extra.empty() ? 0 : 0x0001));
    if (!extra.empty()) fields += Vint(extra.size());
    fields += Vint(data.size());
    fields += Vint(0x0004) + Vint(data.size()) + Vint(0x20) + Le32(Crc(data)) + Vint(compression) + Vint(0) +
              Vint(name.size()) + name + extra;
    return Block5(fields) + data;
}

// ---- RAR 4 ----

const std::string kSig4("Rar!\x1A\x07\x00", 7);

// A header: the low half of the CRC of everything after the CRC field, then the fields.
inline std::string Header4(std::uint8_t type, std::uint16_t flags, const std::string& rest) {
    std::string h = std::string(1, static_cast<char>(type)) + Le16(flags) + Le16(7 + rest.size()) + rest;
    return Le16(Crc(h) & 0xFFFF) + h;
}

inline std::string Main4() {
    return kSig4 + Header4(0x73, 0, std::string(6, '\0'));
}
inline std::string End4() {
    return Header4(0x7B, 0x4000, "");
}

// A stored file header and its data. nameField is the name field as stored: with the unicode flag
// (0x0200) it holds the OEM form, a zero and the encoded unicode form.
inline std::string File4(const std::string& nameField, const std::string& data, std::uint16_t flags = 0) {
    std::string rest = Le32(data.size()) + Le32(data.size()) + std::string(1, '\x02') + Le32(Crc(data)) +
                       Le32(0x21) + std::string(1, '\x14') + std::string(1, '\x30') + Le16(nameField.size()) +
                       Le32(0x20) + nameField;
    return Header4(0x74, 0x8000 | flags, rest) + data;
}

} // namespace rarbytes
