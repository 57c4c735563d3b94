// Language page: picks the media folder of a language, then the welcome page.
#pragma once

#include "gui/guiDialog.h"

class wndSelLang : public guiDialog {};
