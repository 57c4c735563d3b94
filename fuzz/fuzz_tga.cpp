// libFuzzer target: the TGA loader over arbitrary bytes, then a blit of whatever loaded.
#include "gui/guiImage.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FILE* f = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!f) return 0;
    guiImage img;
    bool ok = img.LoadTGAStream(f);
    std::fclose(f);
    if (ok) {
        guiImage target;
        target.Allocate(64, 48, PF_BGR24, true);
        target.Clear();
        target.Blit(img, -3, 5, 0.7f, guiRect{2, 2, 60, 40});
        target.BlitRect(img, 10, -20, guiRect{1, 1, 30, 30}, 1.0f, guiRect{0, 0, 64, 48});
    }
    return 0;
}
