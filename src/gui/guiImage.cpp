#include "gui/guiImage.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

int BytesPerPixel(std::uint32_t format) {
    switch (format) {
    case 1:
        return 4;
    case 2:
        return 2;
    case PF_BGRA32:
        return 4;
    case PF_BGR24:
        return 3;
    default:
        return 0;
    }
}

int BitsPerPixel(std::uint32_t format) {
    return BytesPerPixel(format) * 8;
}

guiImage::~guiImage() {
    Free();
}

void guiImage::Free() {
    std::free(pixels);
    pixels = nullptr;
    width = stride = height = 0;
}

bool guiImage::Allocate(int w, int h, int fmt, bool alignRows) {
    int bpp = BytesPerPixel(static_cast<std::uint32_t>(fmt));
    long long rowBytes = alignRows ? ((static_cast<long long>(w) * bpp * 8 + 31) >> 3) & ~3LL
                                   : static_cast<long long>(bpp) * w;
    long long total = rowBytes * h;
    if (w < 0 || h < 0 || w > 0xFFFF || h > 0xFFFF || rowBytes > 0xFFFF ||
        total > static_cast<long long>(kMaxImageBytes)) {
        Free();
        return false;
    }
    std::size_t oldBytes = static_cast<std::size_t>(stride) * height;
    if (static_cast<std::size_t>(total) != oldBytes || !pixels) {
        std::free(pixels);
        pixels =
            total > 0 ? static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(total))) : nullptr;
        if (total > 0 && !pixels) {
            width = stride = height = 0;
            return false;
        }
    }
    width = static_cast<std::uint16_t>(w);
    height = static_cast<std::uint16_t>(h);
    stride = static_cast<std::uint16_t>(rowBytes);
    format = static_cast<std::uint32_t>(fmt);
    return true;
}

void guiImage::Clear() {
    if (pixels) std::memset(pixels, 0, static_cast<std::size_t>(stride) * height);
}

bool guiImage::Load(const char* fileName, bool deferred) {
    name = fileName ? fileName : "";
    if (deferred) return true;
    std::string path = text::Format(text::kMaxPath, "%s\\%s", g_installer.mediaDir.c_str(), name.c_str());
    return LoadTGA(path.c_str());
}

void guiImage::EnsureLoaded() {
    if (pixels || name.empty()) return;
    std::string path = text::Format(text::kMaxPath, "%s\\%s", g_installer.mediaDir.c_str(), name.c_str());
    LoadTGA(path.c_str());
}

bool guiImage::LoadTGA(const char* path) {
    FILE* f = os::OpenFile(path, "rb");
    if (!f) return false;
    bool ok = LoadTGAStream(f);
    std::fclose(f);
    return ok;
}

bool guiImage::LoadTGAStream(FILE* f) {
    std::uint8_t head[18] = {};
    bool ok = std::fread(head, 1, 3, f) == 3 && std::fseek(f, 12, SEEK_SET) == 0 &&
              std::fread(head + 12, 1, 6, f) == 6;
    int w = head[12] | (head[13] << 8), h = head[14] | (head[15] << 8), depth = head[16];
    ok = ok && head[1] == 0 && (head[2] == 2 || head[2] == 3) && (depth == 24 || depth == 32);
    // Pixel data always starts at offset 18 (an image ID is not skipped). A file that ends early
    // leaves the rest of the pixels black.
    if (ok) {
        guiImage loaded;
        ok = loaded.Allocate(w, h, depth == 32 ? PF_BGRA32 : PF_BGR24, false);
        if (ok) {
            std::size_t bytes = static_cast<std::size_t>(loaded.stride) * loaded.height;
            std::size_t got = bytes ? std::fread(loaded.pixels, 1, bytes, f) : 0;
            if (got < bytes) std::memset(loaded.pixels + got, 0, bytes - got);
            // The new pixels replace the old ones; the remembered name stays.
            std::swap(pixels, loaded.pixels);
            std::swap(width, loaded.width);
            std::swap(stride, loaded.stride);
            std::swap(height, loaded.height);
            format = loaded.format;
        }
    }
    return ok;
}

namespace {

using BlendFn = void (*)(const guiImage& src, int sx, int srow, guiImage& dst, int dx, int drow, int w, int h,
                         float opacity);

void Blend24To24(const guiImage& src, int sx, int srow, guiImage& dst, int dx, int drow, int w, int h,
                 float opacity) {
    int a = static_cast<int>(opacity * 256.0f), b = static_cast<int>((1.0f - opacity) * 256.0f);
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* s = src.PixelAt(sx, srow + row);
        std::uint8_t* d = dst.PixelAt(dx, drow + row);
        int n = w * 3;
        if (a == 256 && b == 0) {
            std::memcpy(d, s, static_cast<std::size_t>(n)); // (s * 256 + d * 0) >> 8 is s
            continue;
        }
        for (int i = 0; i < n; ++i)
            d[i] = static_cast<std::uint8_t>((s[i] * a + d[i] * b) >> 8);
    }
}

void Blend32To24(const guiImage& src, int sx, int srow, guiImage& dst, int dx, int drow, int w, int h,
                 float opacity) {
    int k = static_cast<int>(opacity * 256.0f);
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* s = src.PixelAt(sx, srow + row);
        std::uint8_t* d = dst.PixelAt(dx, drow + row);
        for (int i = 0; i < w; ++i, s += 4, d += 3) {
            int alpha = (s[3] * k) >> 8;
            if (alpha == 0) continue; // (d * 256) >> 8 is d
            for (int c = 0; c < 3; ++c) {
                int v = (s[c] * alpha + d[c] * (256 - alpha)) >> 8;
                d[c] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
            }
        }
    }
}

BlendFn FindBlend(std::uint32_t srcFormat, std::uint32_t dstFormat) {
    if (dstFormat != PF_BGR24) return nullptr;
    if (srcFormat == PF_BGR24) return Blend24To24;
    if (srcFormat == PF_BGRA32) return Blend32To24;
    return nullptr;
}

} // namespace

bool guiImage::Blit(guiImage& src, int x, int y, float opacity, const guiRect& clip) {
    src.EnsureLoaded();
    guiRect whole{0, 0, src.width, src.height};
    return BlitArea(src, x, y, whole, opacity, clip);
}

bool guiImage::BlitRect(guiImage& src, int x, int y, const guiRect& srcRect, float opacity,
                        const guiRect& clip) {
    src.EnsureLoaded();
    return BlitArea(src, x, y, srcRect, opacity, clip);
}

bool guiImage::BlitArea(guiImage& src, int x, int y, const guiRect& srcRect, float opacity,
                        const guiRect& clip) {
    BlendFn blend = FindBlend(src.format, format);
    if (!blend) return false;
    if (!src.pixels || !pixels) return true;
    // The source area is kept inside the source image, whatever the caller passed.
    long long sx0 = std::max(0, srcRect.x), srow0 = std::max(0, srcRect.y);
    long long sx1 = std::min<long long>(src.width, static_cast<long long>(srcRect.x) + srcRect.w);
    long long srow1 = std::min<long long>(src.height, static_cast<long long>(srcRect.y) + srcRect.h);
    if (sx1 <= sx0 || srow1 <= srow0) return true;
    long long w = sx1 - sx0, h = srow1 - srow0;
    // In 64 bits: a far placement plus the part cut off the source must not overflow.
    const long long px = x + (sx0 - srcRect.x);
    const long long py =
        y + ((static_cast<long long>(srcRect.y) + srcRect.h) - srow1); // rows cut off at the top

    long long clipRight = static_cast<long long>(clip.x) + clip.w,
              clipBottom = static_cast<long long>(clip.y) + clip.h;
    if (px >= clipRight || py >= clipBottom) return true;
    long long vx0 = std::max<long long>({px, clip.x, 0}), vy0 = std::max<long long>({py, clip.y, 0});
    long long vx1 = std::min<long long>({px + w, clipRight, width}),
              vy1 = std::min<long long>({py + h, clipBottom, height});
    long long vw = vx1 - vx0, vh = vy1 - vy0;
    if (vw <= 0 || vh <= 0) return true;
    long long cutLeft = vx0 - px, cutBottom = (py + h) - vy1;
    blend(src, static_cast<int>(sx0 + cutLeft), static_cast<int>(srow0 + cutBottom), *this,
          static_cast<int>(vx0), static_cast<int>(height - vy0 - vh), static_cast<int>(vw),
          static_cast<int>(vh), opacity);
    return true;
}
