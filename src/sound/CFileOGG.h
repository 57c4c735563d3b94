// Stands for Ogg files and reads nothing: opening succeeds without touching the file, the format stays
// zeroed and the data size 0, so whatever uses it does nothing.
#pragma once

#include "sound/CFileSND.h"

class CFileOGG : public CFileSND {
  public:
    int Open(const char*) override { return 0; }
    std::uint32_t Read(void*, std::uint32_t, bool) override { return 0; }
};
