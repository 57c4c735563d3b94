// The widget tree: every control, dialog and page. No capture, no invalidation of parts: the whole
// tree is updated and drawn on every pass, and a pass runs when something changed (guiRedraw.h). A
// page's keyboard focus is kept by its dialog (guiDialog).
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

// Characters of WM_CHAR that the keyboard focus acts on.
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
// Keys of WM_KEYDOWN that move the focus or scroll. They lie above the 8 bits of the characters, so that
// a typed '(' (the number of Down) or '!' (Page Up) is never taken for them.
constexpr int kKeyTab = 0x100 | 9;
constexpr int kKeyBackTab = 0x200 | 9; // Shift+Tab
constexpr int kKeyPageUp = 0x100 | 33;
constexpr int kKeyPageDown = 0x100 | 34;
constexpr int kKeyUp = 0x100 | 38;
constexpr int kKeyDown = 0x100 | 40;

// How the keyboard treats a widget: not at all, as a row that Enter and Space activate as a click does,
// or as a control that takes keys itself (a check box, an edit box, a text view).
enum class guiFocus : std::uint8_t { None, Row, Control };

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
    // The wheel at (x, y), delta in 120ths of a notch (positive away from the user): the first child
    // under the point that scrolls takes it.
    virtual bool OnWheel(int x, int y, int delta);
    virtual guiFocus FocusKind() const { return guiFocus::None; }
    // The child holding the keyboard focus, for dialogs that keep one.
    virtual const guiWidget* FocusedChild() const { return nullptr; }
    // Whether typed keys reach this child: always, unless the widget keeps a focus elsewhere.
    virtual bool KeysReach(const guiWidget*) const { return true; }

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

// Paints the hover highlight (the hovered item's image) over whichever of its items the pointer is on,
// and the same highlight over the item of the row that has the parent's keyboard focus.
class guiMouseTracker : public guiWidget {
  public:
    bool Draw() override;
    // The item the focused row's centre falls on (so a page's second tracker of hover captions follows
    // its rows too); null when the focus is on no row of this tracker.
    guiWidget* FocusedItem() const;
    bool OnMouse(int event) override;
    bool Create() override;
    void AddItem(guiWidget* item) { items.push_back(item); }

    std::vector<guiWidget*> items;
    guiWidget* hovered = nullptr;
};
