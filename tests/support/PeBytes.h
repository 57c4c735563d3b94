// The smallest PE file a signing tool accepts: headers and one section holding `payload`. It is never
// run; it stands for the set-up programs where the tests sign and check them without a Windows build.
#pragma once

#include <cstdint>
#include <string>

namespace pebytes {

inline void Put(std::string* s, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        (*s)[at + i] = static_cast<char>(v >> (8 * i));
}

// PE32+ (x86-64) or PE32 (i386). `certificates` is the certificate table's entry (offset, size): a
// file made with it non-zero reads as signed without being so.
inline std::string Pe(const std::string& payload, bool pe32plus = true, std::uint32_t directories = 16,
                      std::uint32_t certificatesAt = 0, std::uint32_t certificatesSize = 0) {
    const std::size_t header = 0x200, raw = (payload.size() + 0x1FF) / 0x200 * 0x200;
    std::string s(header + raw, '\0');
    s[0] = 'M', s[1] = 'Z';
    Put(&s, 0x3C, 0x40, 4);
    s.replace(0x40, 4, std::string("PE\0\0", 4));
    std::size_t coff = 0x44, opt = coff + 20;
    std::size_t fixed = pe32plus ? 112 : 96, optSize = fixed + 8 * directories;
    Put(&s, coff, pe32plus ? 0x8664 : 0x14C, 2);
    Put(&s, coff + 2, 1, 2); // one section
    Put(&s, coff + 16, optSize, 2);
    Put(&s, coff + 18, pe32plus ? 0x22 : 0x102, 2);
    Put(&s, opt, pe32plus ? 0x20B : 0x10B, 2);
    Put(&s, opt + 4, raw, 4);     // size of code
    Put(&s, opt + 16, 0x1000, 4); // entry point
    Put(&s, opt + 20, 0x1000, 4); // base of code
    std::size_t at = opt + (pe32plus ? 24 : 28);
    Put(&s, at, pe32plus ? 0x140000000ull : 0x400000, pe32plus ? 8 : 4);
    Put(&s, opt + 32, 0x1000, 4);                                   // section alignment
    Put(&s, opt + 36, 0x200, 4);                                    // file alignment
    Put(&s, opt + 40, 6, 2);                                        // operating system 6.0
    Put(&s, opt + 48, 6, 2);                                        // subsystem 6.0
    Put(&s, opt + 56, 0x1000 + (raw + 0xFFF) / 0x1000 * 0x1000, 4); // size of image
    Put(&s, opt + 60, header, 4);                                   // size of headers
    Put(&s, opt + 68, 3, 2);                                        // console
    std::size_t stack = opt + 72, word = pe32plus ? 8 : 4;
    Put(&s, stack, 0x100000, static_cast<int>(word));
    Put(&s, stack + word, 0x1000, static_cast<int>(word));
    Put(&s, stack + 2 * word, 0x100000, static_cast<int>(word));
    Put(&s, stack + 3 * word, 0x1000, static_cast<int>(word));
    Put(&s, opt + fixed - 4, directories, 4);
    if (directories > 4) {
        Put(&s, opt + fixed + 32, certificatesAt, 4);
        Put(&s, opt + fixed + 36, certificatesSize, 4);
    }
    std::size_t section = opt + optSize;
    s.replace(section, 5, ".text");
    Put(&s, section + 8, payload.size(), 4);
    Put(&s, section + 12, 0x1000, 4);
    Put(&s, section + 16, raw, 4);
    Put(&s, section + 20, header, 4);
    Put(&s, section + 36, 0x60000020, 4); // code, readable, executable
    s.replace(header, payload.size(), payload);
    return s;
}

} // namespace pebytes
