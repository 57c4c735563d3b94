// The sound module's process-wide state. The registry is defined before the slots, so it outlives
// them: a slot releases its sound from the registry at program end.
#include "sound/CSound.h"
#include "sound/CSoundSlot.h"
#include "sound/SoundDevice.h"

#include <cmath>

ISoundDevice* g_soundDevice = nullptr;
float g_groupVolumes[4] = {};
CSoundRegistry g_sounds;
CSoundSlot g_soundSlots[kSoundSlots];

CSoundSlot& BackgroundMusic() {
    return g_soundSlots[0];
}

std::int32_t VolumeToDecibels(float volume) {
    double n = std::lround(static_cast<double>(volume) * 255.0);
    return static_cast<std::int32_t>(
               std::lround(10000.0 * std::log10(1.0 + 9.0 / 8.0 * std::log2(1.0 + n)))) -
           10000;
}

float DecibelsToVolume(std::int32_t d) {
    double x = std::pow(10.0, (d + 10000) / 10000.0) - 1.0;
    return static_cast<float>(std::lround(std::pow(2.0, 8.0 / 9.0 * x) - 1.0) / 255.0);
}
