// Welcome page and main menu of a fresh installation: Install, README, home page, Exit.
#pragma once

#include "gui/guiDialog.h"

class wndInstall : public guiDialog {};
