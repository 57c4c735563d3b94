#include "Text.h"

#include <cctype>
#include <iconv.h>

namespace mkdisc {

bool Convert(const std::string& text, const std::string& from, const std::string& to, std::string* out) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string result(text.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(text.data());
    char* dst = result.data();
    std::size_t srcLeft = text.size(), dstLeft = result.size();
    bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) &&
              iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return false;
    result.resize(result.size() - dstLeft);
    *out = std::move(result);
    return true;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string AnsiCodePage(const std::string& lngCharset, const std::string& mediaFolder) {
    static const struct {
        const char* charset;
        const char* codePage;
    } kCharsets[] = {
        {"ANSI_CHARSET", "CP1252"},       {"BALTIC_CHARSET", "CP1257"},     {"CHINESEBIG5_CHARSET", "CP950"},
        {"EASTEUROPE_CHARSET", "CP1250"}, {"GB2312_CHARSET", "CP936"},      {"GREEK_CHARSET", "CP1253"},
        {"HANGUL_CHARSET", "CP949"},      {"RUSSIAN_CHARSET", "CP1251"},    {"SHIFTJIS_CHARSET", "CP932"},
        {"TURKISH_CHARSET", "CP1254"},    {"VIETNAMESE_CHARSET", "CP1258"}, {"JOHAB_CHARSET", "CP1361"},
        {"ARABIC_CHARSET", "CP1256"},     {"HEBREW_CHARSET", "CP1255"},     {"THAI_CHARSET", "CP874"}};
    for (const auto& c : kCharsets)
        if (lngCharset == c.charset) return c.codePage;
    return mediaFolder == "MediaRus" ? "CP1251" : "CP1252";
}

} // namespace mkdisc
