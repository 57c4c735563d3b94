// Quality page: the graphics preset unpacked before the finishing steps.
#pragma once

#include "gui/guiDialog.h"

class wndQuality : public guiDialog {};
