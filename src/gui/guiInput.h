// Input from the window into the toolkit: the dialog area that mouse coordinates are taken against,
// and the delivery of mouse events and key codes to the open message box or else the current page.
#pragma once

#include "gui/guiRect.h"

#include <cstdint>

// The dialog area in client coordinates: the origin of g_mouseX / g_mouseY and the painter's viewport.
// On a high-DPI display it is the wizard enlarged g_wizardScale times; the pages, the pointer and
// strings.txt keep to wizard pixels.
extern guiRect g_dialogArea;
extern int g_wizardScale;

// The area in client pixels and the whole number of them to a wizard pixel (at least 1).
void SetDialogArea(const guiRect& area, int scale = 1);
// The whole number nearest to dpi / 96 at which a wizard of width by height still fits in the work area
// of areaWidth by areaHeight; at least 1 (a small screen gets the wizard as it is), at most 8.
int WizardScale(int dpi, int width, int height, int areaWidth, int areaHeight);
// Both take the toolkit's lock, as do the callbacks they fire: input never races a pass on the worker.
bool DeliverMouse(int code);
bool DeliverKey(int code);
// The pointer at client (x, y), then DeliverMouse (code), in one hold of the lock.
bool DeliverMouseAt(int clientX, int clientY, int code);
// The wheel turned with the pointer at client (x, y): delta in 120ths of a notch, positive away from the
// user. For the current page only: an open box or a blocked page takes none. The pointer is not moved.
bool DeliverWheelAt(int clientX, int clientY, int delta);

// The toolkit's event code of a mouse message (2 to 11), or 0 for any other message.
int MouseEventCode(std::uint32_t message);
// The virtual keys delivered from WM_KEYDOWN: End, Home, Left, Right, Delete. They share the number
// space of the characters of WM_CHAR.
bool IsDeliveredVirtualKey(std::uintptr_t key);
// The focus keys of WM_KEYDOWN as the toolkit's codes: Tab (kKeyBackTab with Shift), Up, Down, Page Up,
// Page Down; 0 for any other key. Enter, Space and Esc come as WM_CHAR characters instead, once.
int FocusKeyCode(std::uintptr_t virtualKey, bool shift);
// The characters of WM_CHAR delivered: all but Tab, which WM_KEYDOWN has brought already (with Shift).
bool IsDeliveredCharacter(std::uintptr_t character);
