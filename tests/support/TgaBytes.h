// TGA files made by hand: the skins and pictures of the tests, and the damaged or unusual ones the
// loader must refuse or read its own way.
#pragma once

#include <string>

namespace tgabytes {

// The 18-byte header, then `pixels` as given: fewer bytes than the size asks for make a truncated
// file. Type 2 is uncompressed true colour; idLength only sets the field, no ID bytes are added.
inline std::string Tga(int w, int h, int depth, const std::string& pixels, int type = 2, int colorMap = 0,
                       int idLength = 0) {
    std::string t(18, '\0');
    t[0] = static_cast<char>(idLength);
    t[1] = static_cast<char>(colorMap);
    t[2] = static_cast<char>(type);
    t[12] = static_cast<char>(w & 0xFF);
    t[13] = static_cast<char>(w >> 8);
    t[14] = static_cast<char>(h & 0xFF);
    t[15] = static_cast<char>(h >> 8);
    t[16] = static_cast<char>(depth);
    return t + pixels;
}

// An image of one colour: `pixel` holds its bytes in file order (blue, green, red[, alpha]), and
// its size gives the depth.
inline std::string Solid(int w, int h, const std::string& pixel) {
    std::string pixels;
    for (int i = 0; i < w * h; ++i)
        pixels += pixel;
    return Tga(w, h, static_cast<int>(pixel.size()) * 8, pixels);
}

} // namespace tgabytes
