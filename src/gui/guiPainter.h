// The painter: one 24-bit back buffer the size of the wizard area, drawn into through blits under a
// clip rectangle and presented to the main window with the three logos on the bottom edge.
#pragma once

#include "gui/guiImage.h"
#include "gui/guiRect.h"
#include "platform/Os.h"

class guiIPainter {
  public:
    virtual ~guiIPainter() = default;
    virtual int Init(os::Window window) = 0;
    virtual void DrawImageRect(guiImage* image, int x, int y, const guiRect* source, float opacity) = 0;
    virtual void DrawImage(guiImage* image, int x, int y, float opacity) = 0;
    virtual void SetClipRect(const guiRect* rect) = 0;
    virtual int Present() = 0;
    // The viewport in client pixels, scale of them to a wizard pixel: the pages draw into a buffer of
    // the viewport's size divided by the scale.
    virtual int SetViewport(const guiRect* rect, int scale = 1) = 0;
};

class guiPainterGDI : public guiIPainter {
  public:
    int Init(os::Window window) override;
    void DrawImageRect(guiImage* image, int x, int y, const guiRect* source, float opacity) override;
    void DrawImage(guiImage* image, int x, int y, float opacity) override;
    void SetClipRect(const guiRect* rect) override;
    int Present() override;
    int SetViewport(const guiRect* rect, int scale = 1) override;

    guiImage backBuffer;
    guiImage logoLeft, logoMiddle, logoRight;
    guiRect viewport;
    guiRect clip;
    int scale = 1;
    os::Window window = nullptr;
    os::BitmapInfo backInfo, logoLeftInfo, logoRightInfo, logoMiddleInfo;
};

// The one painter; null until StartGui.
extern guiIPainter* g_painter;
extern guiPainterGDI g_painterGDI;

// Binds the painter to the window and creates every registered dialog. Always false.
bool StartGui(os::Window window);

// The screen position of a logo's top-left corner on the bottom edge: left, middle or right.
struct LogoPlace {
    int x, y;
};
// The logo is enlarged as the wizard is, scale times.
LogoPlace LeftLogoPlace(int screenWidth, int screenHeight, const guiImage& logo, int scale = 1);
LogoPlace MiddleLogoPlace(int screenWidth, int screenHeight, const guiImage& logo, int scale = 1);
LogoPlace RightLogoPlace(int screenWidth, int screenHeight, const guiImage& logo, int scale = 1);
