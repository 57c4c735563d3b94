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
    virtual int SetViewport(const guiRect* rect) = 0;
};

class guiPainterGDI : public guiIPainter {
  public:
    int Init(os::Window window) override;
    void DrawImageRect(guiImage* image, int x, int y, const guiRect* source, float opacity) override;
    void DrawImage(guiImage* image, int x, int y, float opacity) override;
    void SetClipRect(const guiRect* rect) override;
    int Present() override;
    int SetViewport(const guiRect* rect) override;

    guiImage backBuffer;
    guiImage logoLeft, logoMiddle, logoRight;
    guiRect viewport;
    guiRect clip;
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
LogoPlace LeftLogoPlace(int screenWidth, int screenHeight, const guiImage& logo);
LogoPlace MiddleLogoPlace(int screenWidth, int screenHeight, const guiImage& logo);
LogoPlace RightLogoPlace(int screenWidth, int screenHeight, const guiImage& logo);
