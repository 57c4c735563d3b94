// A sound played through a device buffer: short files are loaded whole into a static buffer, long ones
// stream through a ring of 1 MiB.
#pragma once

#include "sound/CFileSND.h"
#include "sound/CSound.h"
#include "sound/SoundDevice.h"

constexpr std::uint32_t kStreamBufferBytes = 1048576;

class CSoundDX : public CSound {
  public:
    ~CSoundDX() override;
    void Prepare() override;
    void ReleaseBuffer() override;
    void Play(bool loop) override;
    void Stop() override;
    void Reset() override;
    void SetVolume(float v) override;
    void SetFrequency(float f) override;
    void SetPan(float p) override;
    CSound* Clone() override;
    float GetFrequency() override;
    float GetVolume() override;
    float GetPan() override;
    int IsPlaying() override;
    void Refill() override;

    bool Streams() const { return reader != nullptr; }

    ISoundBuffer* buffer = nullptr;
    CFileSND* reader = nullptr; // kept only while the sound streams
    std::int64_t written = 0;   // bytes written into the buffer since the start of the data

  private:
    void Fill(std::uint32_t offset, std::uint32_t bytes);
};
