// The installer's one window: its class, the handling of its messages and the fill around the wizard.
#pragma once

#include "gui/guiRect.h"
#include "platform/Os.h"

#include <array>
#include <cstdint>

class CInstaller;

constexpr const char* kWindowClassName = "__INSTALL_WND__";
constexpr int kLargeIconId = 105;
constexpr int kSmallIconId = 106;
// The game's engine window: once it exists the installer is done.
constexpr const char* kEngineWindowClass = "MKX_KERNEL";
constexpr const char* kEngineWindowTitle = "Orelwick engine";
// The colour of the screen around the wizard.
constexpr std::uint8_t kSurroundRed = 17, kSurroundGreen = 42, kSurroundBlue = 51;

// The messages of the installer's window: input to the toolkit, activation, painting, shutdown.
std::intptr_t HandleWindowMessage(CInstaller& installer, os::Window window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam);
// The procedure registered with the window class: every message goes to HandleWindowMessage.
std::intptr_t InstallerWindowProc(os::Window window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam);

// Takes back the reason that holds off the end of the session once the copy no longer runs.
void FollowShutdownBlock(CInstaller& installer);

// The strips of a screen of width R and height B around the dialog rectangle: top, left, bottom, right.
std::array<os::Rect, 4> SurroundStrips(const guiRect& dialog, int screenWidth, int screenHeight);
