// Portable code reaches the OS only through platform/Os.h; the Win32 API stays in platform/win32/.
#error "winbase.h is included outside src/platform/win32"
