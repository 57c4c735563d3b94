// Maintenance page: Play, README, home page, Uninstall, Exit.
#pragma once

#include "gui/guiDialog.h"

class wndPlay : public guiDialog {};
