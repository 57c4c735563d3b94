#include "sound/CFileSND.h"

#include "sound/CFileOGG.h"
#include "sound/CFileWAV.h"

#include <cctype>
#include <cstring>

int CFileSND::Open(const char*) {
    return 1;
}

std::uint32_t CFileSND::Read(void*, std::uint32_t, bool) {
    return 0;
}

bool HasExtension(const char* name, const char* extension) {
    if (!name || !extension) return false;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return false;
    const char* ext = dot + 1;
    if (std::strlen(ext) != std::strlen(extension)) return false;
    for (; *ext; ++ext, ++extension)
        if (std::tolower(static_cast<unsigned char>(*ext)) !=
            std::tolower(static_cast<unsigned char>(*extension)))
            return false;
    return true;
}

CFileSND* CreateReader(const char* fileName) {
    if (HasExtension(fileName, "wav")) return new CFileWAV;
    if (HasExtension(fileName, "ogg")) return new CFileOGG;
    return nullptr;
}
