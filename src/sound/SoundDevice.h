// The sound device and its buffers, as the sound objects use them (the DirectSound interfaces). The
// installer opens no device: g_soundDevice stays null, so every sound ends at its first test.
#pragma once

#include "sound/CFileSND.h"

#include <cstdint>

constexpr std::uint32_t kBufferStatic = 0x00000002;    // DSBCAPS_STATIC
constexpr std::uint32_t kBufferCtrlFrequency = 0x20;   // DSBCAPS_CTRLFREQUENCY
constexpr std::uint32_t kBufferCtrlPan = 0x40;         // DSBCAPS_CTRLPAN
constexpr std::uint32_t kBufferCtrlVolume = 0x80;      // DSBCAPS_CTRLVOLUME
constexpr std::uint32_t kBufferGetPosition2 = 0x10000; // DSBCAPS_GETCURRENTPOSITION2
constexpr std::uint32_t kStatusPlaying = 1;            // DSBSTATUS_PLAYING
constexpr std::uint32_t kStatusBufferLost = 2;         // DSBSTATUS_BUFFERLOST

struct SoundBufferDesc {
    std::uint32_t size = 36;
    std::uint32_t flags = 0;
    std::uint32_t bufferBytes = 0;
    WaveFormat format;
};

class ISoundBuffer {
  public:
    virtual ~ISoundBuffer() = default;
    // One or two regions of the range; the second when it wraps. False when it cannot be locked.
    virtual bool Lock(std::uint32_t offset, std::uint32_t bytes, void** first, std::uint32_t* firstBytes,
                      void** second, std::uint32_t* secondBytes) = 0;
    virtual void Unlock(void* first, std::uint32_t firstBytes, void* second, std::uint32_t secondBytes) = 0;
    virtual void Play(bool looping) = 0;
    virtual void Stop() = 0;
    virtual void SetCurrentPosition(std::uint32_t position) = 0;
    virtual std::uint32_t GetCurrentPosition() = 0; // the play cursor
    virtual std::uint32_t GetStatus() = 0;
    virtual void Restore() = 0;
    virtual void SetVolume(std::int32_t hundredthsDb) = 0;
    virtual void SetPan(std::int32_t pan) = 0;
    virtual void SetFrequency(std::uint32_t hertz) = 0;
    virtual std::int32_t GetVolume() = 0;
    virtual std::int32_t GetPan() = 0;
    virtual std::uint32_t GetFrequency() = 0;
    virtual void Release() = 0; // the buffer deletes itself
};

class ISoundDevice {
  public:
    virtual ~ISoundDevice() = default;
    virtual ISoundBuffer* CreateSoundBuffer(const SoundBufferDesc& desc) = 0;
    virtual ISoundBuffer* DuplicateSoundBuffer(ISoundBuffer* original) = 0;
};

extern ISoundDevice* g_soundDevice;
// One volume factor per group (0 to 3); the installer sets none.
extern float g_groupVolumes[4];

// Linear volume 0..1 to hundredths of a decibel (-10000..0), and back.
std::int32_t VolumeToDecibels(float volume);
float DecibelsToVolume(std::int32_t hundredthsDb);
