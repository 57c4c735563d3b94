// Input from the window into the toolkit: the dialog area that mouse coordinates are taken against,
// and the delivery of mouse events and key codes to the open message box or else the current page.
#pragma once

#include "gui/guiRect.h"

#include <cstdint>

// The dialog area in client coordinates: the origin of g_mouseX / g_mouseY and the painter's viewport.
extern guiRect g_dialogArea;

void SetDialogArea(const guiRect& area);
// Both take the toolkit's lock, as do the callbacks they fire: input never races a pass on the worker.
bool DeliverMouse(int code);
bool DeliverKey(int code);
// The pointer at client (x, y), then DeliverMouse (code), in one hold of the lock.
bool DeliverMouseAt(int clientX, int clientY, int code);

// The toolkit's event code of a mouse message (2 to 11), or 0 for any other message.
int MouseEventCode(std::uint32_t message);
// The virtual keys delivered from WM_KEYDOWN: End, Home, Left, Right, Delete. They share the number
// space of the characters of WM_CHAR.
bool IsDeliveredVirtualKey(std::uintptr_t key);
