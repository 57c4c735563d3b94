// A colour as four floats, each a byte value divided by 256 (so 255 gives 0.99609375).
#pragma once

struct guiColor {
    float r = 0, g = 0, b = 0, a = 0;
    static guiColor FromBytes(int red, int green, int blue, int alpha) {
        return {red / 256.0f, green / 256.0f, blue / 256.0f, alpha / 256.0f};
    }
};
