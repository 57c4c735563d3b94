#include "gui/guiPainter.h"

#include "gui/guiDialog.h"
#include "gui/guiRedraw.h"

#include <cstring>

guiPainterGDI g_painterGDI;
guiIPainter* g_painter = nullptr;

namespace {

void Describe(os::BitmapInfo* info, const guiImage& image) {
    *info = os::BitmapInfo();
    info->width = image.width;
    info->height = image.height;
}

// A logo is shown as a 24-bit DIB, whose rows Windows reads rounded up to 4 bytes: another width or
// depth would be read out of step, so such a logo is converted once when it is loaded.
void MakePresentable(guiImage& logo) {
    if (!logo.pixels || (logo.format == PF_BGR24 && logo.stride % 4 == 0)) return;
    guiImage copy;
    if (!copy.Allocate(logo.width, logo.height, PF_BGR24, true)) {
        logo.Free();
        return;
    }
    for (int row = 0; row < logo.height; ++row)
        for (int x = 0; x < logo.width; ++x)
            std::memcpy(copy.PixelAt(x, row), logo.PixelAt(x, row), 3);
    std::swap(logo.pixels, copy.pixels);
    std::swap(logo.stride, copy.stride);
    logo.format = PF_BGR24;
}

} // namespace

LogoPlace LeftLogoPlace(int, int screenHeight, const guiImage& logo, int scale) {
    return {0, screenHeight - logo.height * scale};
}
LogoPlace RightLogoPlace(int screenWidth, int screenHeight, const guiImage& logo, int scale) {
    return {screenWidth - logo.width * scale, screenHeight - logo.height * scale};
}
LogoPlace MiddleLogoPlace(int screenWidth, int screenHeight, const guiImage& logo, int scale) {
    return {(screenWidth - logo.width * scale) / 2, screenHeight - logo.height * scale};
}

int guiPainterGDI::Init(os::Window w) {
    os::Rect client = os::ClientRect(w);
    viewport = {0, 0, client.right - client.left, client.bottom - client.top};
    logoLeft.Load("MainMedia\\logoL.tga", false);
    logoMiddle.Load("MainMedia\\logoM.tga", false);
    logoRight.Load("MainMedia\\logoR.tga", false);
    MakePresentable(logoLeft);
    MakePresentable(logoMiddle);
    MakePresentable(logoRight);
    SetViewport(&viewport);
    window = w;
    return 0;
}

int guiPainterGDI::SetViewport(const guiRect* rect, int scaleBy) {
    viewport = *rect;
    scale = scaleBy < 1 ? 1 : scaleBy;
    backBuffer.Allocate(rect->w / scale, rect->h / scale, PF_BGR24, true);
    backBuffer.Clear();
    Describe(&backInfo, backBuffer);
    Describe(&logoLeftInfo, logoLeft);
    Describe(&logoRightInfo, logoRight);
    Describe(&logoMiddleInfo, logoMiddle);
    return 0;
}

void guiPainterGDI::SetClipRect(const guiRect* rect) {
    clip = rect ? *rect : guiRect{0, 0, backBuffer.width, backBuffer.height};
}

void guiPainterGDI::DrawImage(guiImage* image, int x, int y, float opacity) {
    if (opacity == 0.0f || !image) return;
    backBuffer.Blit(*image, x, y, opacity, clip);
}

void guiPainterGDI::DrawImageRect(guiImage* image, int x, int y, const guiRect* source, float opacity) {
    if (opacity == 0.0f || !image || !source) return;
    backBuffer.BlitRect(*image, x, y, *source, opacity, clip);
}

int guiPainterGDI::Present() {
    os::Handle dc = os::WindowDC(window);
    os::StretchBits(dc, viewport.x, viewport.y, backBuffer.width * scale, backBuffer.height * scale, 0, 0,
                    backBuffer.width, backBuffer.height, backBuffer.pixels, backInfo);
    int sw = 0, sh = 0;
    os::ScreenSize(dc, &sw, &sh);
    struct {
        guiImage& logo;
        os::BitmapInfo& info;
        LogoPlace place;
    } logos[] = {{logoLeft, logoLeftInfo, LeftLogoPlace(sw, sh, logoLeft, scale)},
                 {logoRight, logoRightInfo, RightLogoPlace(sw, sh, logoRight, scale)},
                 {logoMiddle, logoMiddleInfo, MiddleLogoPlace(sw, sh, logoMiddle, scale)}};
    for (auto& l : logos)
        if (l.logo.pixels)
            os::StretchBits(dc, l.place.x, l.place.y, l.logo.width * scale, l.logo.height * scale, 0, 0,
                            l.logo.width, l.logo.height, l.logo.pixels, l.info);
    os::ReleaseWindowDC(window, dc);
    return 0;
}

bool StartGui(os::Window window) {
    g_painter = &g_painterGDI;
    g_painter->Init(window);
    SetRedrawWindow(window);
    g_painter->SetClipRect(nullptr);
    // The list may grow while dialogs are created: walk it by index.
    for (std::size_t i = 0; i < g_topLevelDialogs.size(); ++i)
        g_topLevelDialogs[i]->Create();
    return false;
}
