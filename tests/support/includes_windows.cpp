// Compiled by the build test: the portable core's include path must refuse this.
#include <windows.h>
