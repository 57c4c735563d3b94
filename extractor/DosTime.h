// The DOS date and time that RAR headers store, from a Unix time (UTC; no time zone is involved).
#pragma once

#include <cstdint>

namespace rar {

inline std::uint32_t DosTimeOf(std::int64_t unixTime) {
    std::int64_t days = unixTime / 86400, secs = unixTime % 86400;
    // The civil date of a day count since 1970-01-01.
    std::int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1, mo = mp < 10 ? mp + 3 : mp - 9;
    if (mo <= 2) ++y;
    if (unixTime < 0 || y < 1980) return (1u << 16) | (1u << 21); // 1980-01-01, the first DOS date
    if (y > 2107) y = 2107;
    return static_cast<std::uint32_t>(((y - 1980) << 25) | (mo << 21) | (d << 16) | ((secs / 3600) << 11) |
                                      (((secs / 60) % 60) << 5) | ((secs % 60) / 2));
}

} // namespace rar
