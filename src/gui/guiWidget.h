// The widget tree: every control, dialog and page. No focus, no capture, no invalidation of parts: the
// whole tree is updated and drawn on every pass, and a pass runs when something changed (guiRedraw.h).
#pragma once

#include "gui/guiImage.h"
#include "gui/guiRect.h"

#include <cstdint>
#include <vector>

class guiWidget;
using guiCallback = int (*)(guiWidget* sender);

// Mouse event codes given to OnMouse.
constexpr int kMouseMove = 2;
constexpr int kLeftDown = 3;
constexpr int kLeftUp = 4;
constexpr int kRightDown = 5;
constexpr int kRightUp = 6;
constexpr int kMiddleDown = 7;
constexpr int kMiddleUp = 8;
constexpr int kLeftDouble = 9;
constexpr int kRightDouble = 10;
constexpr int kMiddleDouble = 11;

constexpr std::uint16_t kNoCallback = 0xFFFF;

// The pointer in back-buffer coordinates; set before any mouse event is delivered.
extern int g_mouseX;
extern int g_mouseY;

// The pixels a rectangle covers: its right and bottom edges are the next rectangle's, so two rows that
// meet never share a pixel.
bool HitTest(const guiRect& r, int px, int py);


class guiWidget {
  public:
    guiWidget() = default;
    virtual ~guiWidget();
    virtual bool Draw();
    virtual bool OnMouse(int event);
    virtual bool Create();
    virtual bool Update();
    virtual bool OnKey(int code);

    guiWidget(const guiWidget&) = delete;
    guiWidget& operator=(const guiWidget&) = delete;

    // Takes ownership; a child already in the list moves to its end.
    void AddChild(guiWidget* child);
    // Appends fn to this widget's callbacks and makes it child's callback.
    void RegisterCallback(guiWidget* child, guiCallback fn);

    guiWidget* parent = nullptr;
    std::vector<guiWidget*> children;
    std::uint16_t callbackIndex = kNoCallback;
    std::uint8_t visible = 1;
    guiRect rect;
    std::uint8_t created = 0;
    std::vector<guiCallback> callbacks;
    guiImage image;
};

// Paints the hover highlight (the hovered item's image) over whichever of its items the pointer is on.
class guiMouseTracker : public guiWidget {
  public:
    bool Draw() override;
    bool OnMouse(int event) override;
    bool Create() override;
    void AddItem(guiWidget* item) { items.push_back(item); }

    std::vector<guiWidget*> items;
    guiWidget* hovered = nullptr;
};
