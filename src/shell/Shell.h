// Special folders of the shell (wide paths; empty after showing the system's error text).
#pragma once

#include <string>

std::u16string GetDesktopFolder();
std::u16string GetProgramsFolder();
