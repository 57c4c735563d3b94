// Progress page: the extraction's progress bar and Cancel.
#pragma once

#include "gui/guiDialog.h"

class wndProgress : public guiDialog {};
