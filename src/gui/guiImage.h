// Images: skin bitmaps from TGA files, glyph atlases and the back buffer. Rows are stored bottom-up.
#pragma once

#include "gui/guiRect.h"

#include <cstdint>
#include <cstdio>
#include <string>

constexpr std::uint32_t PF_BGRA32 = 4;
constexpr std::uint32_t PF_BGR24 = 5;

int BytesPerPixel(std::uint32_t format);
int BitsPerPixel(std::uint32_t format);

class guiImage {
  public:
    guiImage() = default;
    virtual ~guiImage();
    guiImage(const guiImage&) = delete;
    guiImage& operator=(const guiImage&) = delete;

    // Sets size and format; the buffer is replaced only when its byte size changes (contents are not
    // cleared). False when the size cannot be held (the image is then empty).
    bool Allocate(int width, int height, int format, bool alignRows);
    void Clear();
    std::uint8_t* PixelAt(int x, int memoryRow) const {
        return pixels + memoryRow * stride + x * BytesPerPixel(format);
    }
    // Remembers the name and loads "<media folder>\<name>".
    bool Load(const char* name, bool deferred);
    bool LoadTGA(const char* path);
    // The same from an open stream (the caller closes it).
    bool LoadTGAStream(FILE* f);
    // Tries the remembered file again when nothing is loaded.
    void EnsureLoaded();
    // Blend src into this image with its top-left corner at (x, y), under clip. False when no blend
    // exists for the two formats.
    bool Blit(guiImage& src, int x, int y, float opacity, const guiRect& clip);
    // srcRect in the source's memory coordinates: y is the memory row of its lowest row.
    bool BlitRect(guiImage& src, int x, int y, const guiRect& srcRect, float opacity, const guiRect& clip);
    void Free();

  private:
    // The blit itself, after the one load attempt of Blit or BlitRect.
    bool BlitArea(guiImage& src, int x, int y, const guiRect& srcRect, float opacity, const guiRect& clip);

  public:
    std::uint16_t width = 0;
    std::uint16_t stride = 0;
    std::uint16_t height = 0;
    std::uint32_t format = 0;
    std::uint8_t* pixels = nullptr;
    std::string name;
};

// Largest image the loader accepts: rows must fit the 16-bit stride, and the whole in 64 MiB.
constexpr std::size_t kMaxImageBytes = 64u << 20;
