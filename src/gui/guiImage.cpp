#include "gui/guiImage.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Both blends fit 16-bit lanes: src * a + dst * (256 - a) is at most 255 * 256, and so is
// src * A + dst * B, since A + B never exceeds 256.

// Opacities outside 0..1 are taken as the nearest end: the factors then stay within 8.8 fixed point.
float Clamped(float opacity) {
    return opacity > 0.0f ? (opacity < 1.0f ? opacity : 1.0f) : 0.0f;
}

void Blend24To24(const guiImage& src, int sx, int srow, guiImage& dst, int dx, int drow, int w, int h,
                 float opacity) {
    opacity = Clamped(opacity);
    int a = static_cast<int>(opacity * 256.0f), b = static_cast<int>((1.0f - opacity) * 256.0f);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), av = _mm_set1_epi16(static_cast<short>(a)),
                  bv = _mm_set1_epi16(static_cast<short>(b));
#endif
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* s = src.PixelAt(sx, srow + row);
        std::uint8_t* d = dst.PixelAt(dx, drow + row);
        int n = w * 3;
        if (a == 256 && b == 0) {
            std::memcpy(d, s, static_cast<std::size_t>(n)); // (s * 256 + d * 0) >> 8 is s
            continue;
        }
        int i = 0;
#if defined(__SSE2__)
        for (; i + 16 <= n; i += 16) {
            __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), av),
                                       _mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), bv));
            __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), av),
                                       _mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), bv));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8)));
        }
#endif
        for (; i < n; ++i)
            d[i] = static_cast<std::uint8_t>((s[i] * a + d[i] * b) >> 8);
    }
}

#if defined(__SSE2__)
// Two pixels of 16-bit lanes (b, g, r, x): (src * a + dst * (256 - a)) >> 8 with a from the source's
// alpha lane; the fourth lane comes out as garbage and is dropped when the pixels are packed.
inline __m128i BlendPair(__m128i s, __m128i d, __m128i k) {
    __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    a = _mm_srli_epi16(_mm_mullo_epi16(a, k), 8);
    __m128i sum =
        _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(256), a)));
    return _mm_srli_epi16(sum, 8);
}

// Four 3-byte pixels, bytes 0-11, spread to one 4-byte lane each, and back.
inline __m128i Spread(__m128i x) {
    const __m128i m0 = _mm_set_epi32(0, 0, 0, 0x00FFFFFF), m1 = _mm_set_epi32(0, 0, 0x00FFFFFF, 0),
                  m2 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0), m3 = _mm_set_epi32(0x00FFFFFF, 0, 0, 0);
    return _mm_or_si128(
        _mm_or_si128(_mm_and_si128(x, m0), _mm_and_si128(_mm_slli_si128(x, 1), m1)),
        _mm_or_si128(_mm_and_si128(_mm_slli_si128(x, 2), m2), _mm_and_si128(_mm_slli_si128(x, 3), m3)));
}
inline __m128i Pack(__m128i x) {
    const __m128i m0 = _mm_set_epi32(0, 0, 0, 0x00FFFFFF), m1 = _mm_set_epi32(0, 0, 0x00FFFFFF, 0),
                  m2 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0), m3 = _mm_set_epi32(0x00FFFFFF, 0, 0, 0);
    return _mm_or_si128(
        _mm_or_si128(_mm_and_si128(x, m0), _mm_srli_si128(_mm_and_si128(x, m1), 1)),
        _mm_or_si128(_mm_srli_si128(_mm_and_si128(x, m2), 2), _mm_srli_si128(_mm_and_si128(x, m3), 3)));
}
#endif

void Blend32To24(const guiImage& src, int sx, int srow, guiImage& dst, int dx, int drow, int w, int h,
                 float opacity) {
    int k = static_cast<int>(Clamped(opacity) * 256.0f);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), kv = _mm_set1_epi16(static_cast<short>(k)),
                  alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
#endif
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* s = src.PixelAt(sx, srow + row);
        std::uint8_t* d = dst.PixelAt(dx, drow + row);
        int i = 0;
#if defined(__SSE2__)
        // Four pixels at a time. The destination is read 16 bytes at once, so the group needs two more
        // pixels after it in the row; the last pixels go through the loop below. It is written as 12
        // bytes that no later read of the row overlaps.
        for (; i + 6 <= w; i += 4, s += 16, d += 12) {
            __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sv, alphaBytes), zero)) == 0xFFFF)
                continue; // all four transparent, as most of a skin's frame is
            __m128i dv = Spread(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d)));
            __m128i lo = BlendPair(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero), kv);
            __m128i hi = BlendPair(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero), kv);
            __m128i out = Pack(_mm_packus_epi16(lo, hi));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), out);
            std::uint32_t last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(out, 8)));
            std::memcpy(d + 8, &last, 4);
        }
#endif
        for (; i < w; ++i, s += 4, d += 3) {
            int alpha = (s[3] * k) >> 8;
            if (alpha == 0) continue; // (d * 256) >> 8 is d
            // At most (255 * a + 255 * (256 - a)) >> 8 = 255: no clamp is needed.
            d[0] = static_cast<std::uint8_t>((s[0] * alpha + d[0] * (256 - alpha)) >> 8);
            d[1] = static_cast<std::uint8_t>((s[1] * alpha + d[1] * (256 - alpha)) >> 8);
            d[2] = static_cast<std::uint8_t>((s[2] * alpha + d[2] * (256 - alpha)) >> 8);
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
