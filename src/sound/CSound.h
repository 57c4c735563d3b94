// Sound objects and the registry of live sounds, where a second request for a loaded file is answered
// with a copy of the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSound {
  public:
    CSound() = default;
    virtual ~CSound(); // leaves the registry
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    virtual void Prepare() {}
    virtual void ReleaseBuffer() {}
    virtual void Play(bool) {}
    virtual void Stop() {}
    virtual void Reset() {}
    virtual void SetVolume(float) {}
    virtual void SetFrequency(float) {}
    virtual void SetPan(float) {}
    virtual CSound* Clone() { return this; }
    virtual float GetFrequency() { return 0.0f; }
    virtual float GetVolume() { return volume; }
    virtual float GetPan() { return pan; }
    virtual int IsPlaying() { return 0; }
    virtual void Refill() {}

    int Group() const { return (flags >> 3) & 3; }
    void SetGroup(int group) { flags = (flags & ~kGroupMask) | static_cast<std::uint32_t>(group & 3) << 3; }

    static constexpr std::uint32_t kPlaying = 1u << 0;
    static constexpr std::uint32_t kLoop = 1u << 1;
    static constexpr std::uint32_t kGroupMask = 3u << 3;
    static constexpr std::uint32_t kStreaming = 1u << 5;
    static constexpr std::size_t kMaxName = 255;

    std::string name;
    std::string alias; // the key the registry finds the sound by
    float volume = 1.0f;
    float pan = 0.0f;
    std::uint32_t flags = 0;
};

// The live sounds: removing one leaves an empty entry, which the next add reuses.
class CSoundRegistry {
  public:
    CSoundRegistry() : entries(100, nullptr) {}
    std::size_t Add(CSound* sound);
    void Remove(CSound* sound);
    CSound* Find(const std::string& alias) const; // in any letter case
    std::size_t Count() const { return count; }
    std::size_t Capacity() const { return entries.size(); }
    CSound* At(std::size_t i) const { return entries[i]; }

  private:
    std::vector<CSound*> entries;
    std::size_t count = 0;
};

extern CSoundRegistry g_sounds;

// The registered sound of that name (a clone when it is already loaded), or null for no name.
CSound* GetSound(const char* name, int group);
