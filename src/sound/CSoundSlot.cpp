#include "sound/CSoundSlot.h"

#include "platform/Os.h"

bool CSoundSlot::Start(const char* path, bool looping) {
    if (!os::FindFirstExists(path)) return false;
    loop = looping ? 1 : 0;
    sound = GetSound(path, 0);
    return true;
}

void CSoundSlot::Release() {
    if (!sound) return;
    g_sounds.Remove(sound);
    delete sound;
    sound = nullptr;
}
