// A slot holding one sound, such as the background music.
#pragma once

#include "sound/CSound.h"

class CSoundSlot {
  public:
    ~CSoundSlot() { Release(); }
    // Prepares the file's sound (it is not played); false, and the slot left empty, without the file.
    bool Start(const char* path, bool loop);
    void Release();

    CSound* sound = nullptr;
    int loop = 0;
};

constexpr int kSoundSlots = 5;
extern CSoundSlot g_soundSlots[kSoundSlots];
// The slot of the background music.
CSoundSlot& BackgroundMusic();
