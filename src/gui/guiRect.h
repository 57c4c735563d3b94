// A rectangle in back-buffer pixels: left, top, width, height, y growing downwards.
#pragma once

#include <cstdint>

struct guiRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t w = 0;
    std::int32_t h = 0;
};
