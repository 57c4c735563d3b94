// Licence page: the licence text with Accept and Decline.
#pragma once

#include "gui/guiDialog.h"

class wndLicense : public guiDialog {};
