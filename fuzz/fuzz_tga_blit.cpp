// libFuzzer target: the blits with their placement, source rectangle, clip, opacity and target size
// all taken from the input, so the placement and clamping arithmetic is driven to its extremes.
// The first 40 bytes are the parameters; the rest is a TGA file.
#include "gui/guiImage.h"

#include <cstdio>
#include <cstring>

namespace {
std::int32_t Take32(const std::uint8_t*& p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    p += 4;
    return v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kParams = 40;
    if (size < kParams) return 0;
    const std::uint8_t* p = data;
    const std::int32_t x = Take32(p), y = Take32(p);
    const guiRect src{Take32(p), Take32(p), Take32(p), Take32(p)};
    const guiRect clip{Take32(p), Take32(p), Take32(p), Take32(p)};
    // Target size and format come from the parameters too, kept small so each run stays quick.
    const int targetW = 1 + (clip.x & 0x7F), targetH = 1 + (clip.y & 0x7F);
    const float opacity = static_cast<float>(static_cast<std::uint8_t>(x >> 24)) / 200.0f;
    const auto format = (y & 0x100) ? PF_BGRA32 : PF_BGR24;

    FILE* f = fmemopen(const_cast<std::uint8_t*>(data + kParams), size - kParams, "rb");
    if (!f) return 0;
    guiImage img;
    const bool ok = img.LoadTGAStream(f);
    std::fclose(f);
    if (!ok) return 0;
    guiImage target;
    if (!target.Allocate(targetW, targetH, format, true)) return 0;
    target.Clear();
    target.Blit(img, x, y, opacity, clip);
    target.BlitRect(img, x, y, src, opacity, clip);
    return 0;
}
