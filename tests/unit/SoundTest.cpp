// Sound files, the registry of sounds, the background-music slot and the device-side arithmetic.
#include "support/World.h"

#include "sound/CFileOGG.h"
#include "sound/CFileWAV.h"
#include "sound/CSoundDX.h"
#include "sound/CSoundSlot.h"
#include "sound/SoundDevice.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace {

std::string Le32(std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}
std::string Chunk(const std::string& id, const std::string& body, std::uint32_t declared) {
    std::string c = id + Le32(declared) + body;
    if (body.size() % 2) c += '\0';
    return c;
}
std::string Chunk(const std::string& id, const std::string& body) {
    return Chunk(id, body, static_cast<std::uint32_t>(body.size()));
}
// 22050 Hz, 2 channels, 16 bits.
std::string Fmt() {
    std::string f =
        std::string("\x01\x00\x02\x00", 4) + Le32(22050) + Le32(88200) + std::string("\x04\x00\x10\x00", 4);
    return Chunk("fmt ", f);
}
std::string Riff(const std::string& chunks, std::int64_t declared = -1) {
    return "RIFF" +
           Le32(declared < 0 ? static_cast<std::uint32_t>(chunks.size() + 4)
                             : static_cast<std::uint32_t>(declared)) +
           "WAVE" + chunks;
}
std::string Samples(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 7 + 1);
    return s;
}

// A device that records what the sounds ask of it; its buffers hold real bytes.
struct FakeBuffer : ISoundBuffer {
    explicit FakeBuffer(const SoundBufferDesc& d) : desc(d), bytes(d.bufferBytes, '\0') {}
    bool Lock(std::uint32_t offset, std::uint32_t n, void** a, std::uint32_t* an, void** b,
              std::uint32_t* bn) override {
        std::uint32_t first = std::min<std::uint32_t>(n, static_cast<std::uint32_t>(bytes.size()) - offset);
        *a = &bytes[offset];
        *an = first;
        *b = n > first ? &bytes[0] : nullptr;
        *bn = n - first;
        return true;
    }
    void Unlock(void*, std::uint32_t, void*, std::uint32_t) override { ++unlocks; }
    void Play(bool l) override {
        playing = true;
        looping = l;
    }
    void Stop() override { playing = false; }
    void SetCurrentPosition(std::uint32_t p) override { cursor = p; }
    std::uint32_t GetCurrentPosition() override { return cursor; }
    std::uint32_t GetStatus() override {
        return (playing ? kStatusPlaying : 0) | (lost ? kStatusBufferLost : 0);
    }
    void Restore() override { lost = false; }
    void SetVolume(std::int32_t v) override { volume = v; }
    void SetPan(std::int32_t p) override { pan = p; }
    void SetFrequency(std::uint32_t f) override { frequency = f; }
    std::int32_t GetVolume() override { return volume; }
    std::int32_t GetPan() override { return pan; }
    std::uint32_t GetFrequency() override { return frequency; }
    void Release() override { delete this; }

    SoundBufferDesc desc;
    std::string bytes;
    int unlocks = 0;
    bool playing = false, looping = false, lost = false;
    std::uint32_t cursor = 0, frequency = 0;
    std::int32_t volume = 1, pan = 1;
};
struct FakeDevice : ISoundDevice {
    ISoundBuffer* CreateSoundBuffer(const SoundBufferDesc& d) override {
        auto* b = new FakeBuffer(d);
        made.push_back(b);
        return b;
    }
    ISoundBuffer* DuplicateSoundBuffer(ISoundBuffer* original) override {
        ++duplicates;
        return CreateSoundBuffer(static_cast<FakeBuffer*>(original)->desc);
    }
    std::vector<FakeBuffer*> made;
    int duplicates = 0;
};

} // namespace

class Sound : public World {
  protected:
    void TearDown() override {
        for (std::size_t i = 0; i < g_sounds.Count(); ++i)
            delete g_sounds.At(i);
        for (CSoundSlot& slot : g_soundSlots)
            slot.sound = nullptr;
        g_soundDevice = nullptr;
        for (float& v : g_groupVolumes)
            v = 0;
        World::TearDown();
    }
    std::unique_ptr<CFileWAV> OpenWav(const std::string& bytes) {
        Write("C:\\s.wav", bytes);
        auto wav = std::make_unique<CFileWAV>();
        EXPECT_EQ(wav->Open("C:\\s.wav"), 0);
        return wav;
    }
    std::string ReadAll(CFileSND& r, std::uint32_t piece) {
        std::string out;
        char buf[4096];
        while (std::uint32_t n = r.Read(buf, piece, false))
            out.append(buf, n);
        return out;
    }
};

TEST_F(Sound, ReaderChosenByExtension) {
    std::unique_ptr<CFileSND> r(CreateReader("C:\\music\\Back.WAV"));
    EXPECT_NE(dynamic_cast<CFileWAV*>(r.get()), nullptr);
    r.reset(CreateReader("a.b.wav"));
    EXPECT_NE(dynamic_cast<CFileWAV*>(r.get()), nullptr);
    r.reset(CreateReader("C:\\Temp\\Back.ogg"));
    EXPECT_NE(dynamic_cast<CFileOGG*>(r.get()), nullptr);
    EXPECT_EQ(CreateReader("song.mp3"), nullptr);
    EXPECT_EQ(CreateReader("wav"), nullptr);
    EXPECT_EQ(CreateReader("C:\\wav.dir\\song"), nullptr) << "only the text after the last dot counts";
    EXPECT_EQ(CreateReader("x.wave"), nullptr);
    EXPECT_EQ(CreateReader("x.av"), nullptr);
    EXPECT_EQ(CreateReader(""), nullptr);
    CFileOGG ogg;
    EXPECT_EQ(ogg.Open("C:\\does-not-exist.ogg"), 0) << "the Ogg stand-in opens anything";
    char b[4];
    EXPECT_EQ(ogg.Read(b, 4, true), 0u);
    EXPECT_EQ(ogg.dataSize, 0u);
    EXPECT_EQ(ogg.format.samplesPerSec, 0u);
}

TEST_F(Sound, WavFormatAndDataAcrossOtherChunks) {
    std::string data = Samples(10001);
    auto wav = OpenWav(Riff(Chunk("LIST", "odd") + Fmt() + Chunk("fact", "1234") + Chunk("data", data)));
    EXPECT_EQ(wav->format.formatTag, 1);
    EXPECT_EQ(wav->format.channels, 2);
    EXPECT_EQ(wav->format.samplesPerSec, 22050u);
    EXPECT_EQ(wav->format.avgBytesPerSec, 88200u);
    EXPECT_EQ(wav->format.blockAlign, 4);
    EXPECT_EQ(wav->format.bitsPerSample, 16);
    EXPECT_EQ(wav->format.extraSize, 0);
    EXPECT_EQ(wav->dataSize, 10001u);
    EXPECT_EQ(ReadAll(*wav, 3000), data) << "across the window's refills; the odd chunk's pad byte skipped";
    EXPECT_EQ(wav->position, 10001u);
    char b[8];
    EXPECT_EQ(wav->Read(b, 8, true), 0u) << "the end stays the end, loop or not";
    wav->Rewind();
    EXPECT_EQ(wav->position, 0u);
    EXPECT_EQ(wav->Read(b, 8, false), 8u);
    EXPECT_EQ(std::string(b, 8), data.substr(0, 8)) << "rewound to the first byte";
}

TEST_F(Sound, ReadingIsClampedToTheData) {
    auto wav = OpenWav(Riff(Fmt() + Chunk("data", Samples(10)) + Chunk("junk", "trailing bytes")));
    char b[64];
    EXPECT_EQ(wav->Read(b, 64, false), 10u);
    EXPECT_EQ(std::string(b, 10), Samples(10));
    EXPECT_EQ(wav->Read(b, 64, false), 0u);
    auto empty = OpenWav(Riff(Fmt() + Chunk("data", "")));
    EXPECT_EQ(empty->dataSize, 0u);
    EXPECT_EQ(empty->Read(b, 64, false), 0u);
}

TEST_F(Sound, HostileSizesNeverReadOutsideTheFile) {
    // A data chunk that claims more than the file holds.
    auto wav = OpenWav(Riff(Fmt() + Chunk("data", Samples(100), 0x7FFFFFFF)));
    EXPECT_EQ(wav->dataSize, 100u);
    EXPECT_EQ(ReadAll(*wav, 64), Samples(100));
    // A RIFF chunk that claims 4 GiB, and a chunk of 4 GiB to skip.
    wav = OpenWav(Riff(Fmt() + Chunk("huge", "xx", 0xFFFFFFFF) + Chunk("data", Samples(50)), 0xFFFFFFFF));
    EXPECT_EQ(wav->format.samplesPerSec, 22050u);
    EXPECT_EQ(wav->dataSize, 0u) << "the data chunk lies beyond the file as declared";
    // A RIFF chunk smaller than its children: the data outside it is not read.
    wav = OpenWav(Riff(Fmt() + Chunk("data", Samples(50)), 4 + 24));
    EXPECT_EQ(wav->dataSize, 0u);
    // No "fmt " chunk, and a short one.
    wav = OpenWav(Riff(Chunk("data", Samples(6))));
    EXPECT_EQ(wav->format.samplesPerSec, 0u);
    EXPECT_EQ(wav->dataSize, 6u);
    wav = OpenWav(Riff(Chunk("fmt ", std::string("\x01\x00\x01\x00\x44\xAC", 6)) + Chunk("data", "ab")));
    EXPECT_EQ(wav->format.channels, 1);
    EXPECT_EQ(wav->format.samplesPerSec, 0xAC44u);
    EXPECT_EQ(wav->format.bitsPerSample, 0) << "what the chunk does not hold stays 0";
    // A file cut in the middle of a chunk header, and no data chunk at all.
    wav = OpenWav(Riff(Fmt() + "da"));
    EXPECT_EQ(wav->dataSize, 0u);
    char b[4];
    EXPECT_EQ(wav->Read(b, 4, false), 0u);
}

TEST_F(Sound, WavFilesThatCannotBeOpened) {
    CFileWAV wav;
    EXPECT_EQ(wav.Open("C:\\missing.wav"), 1);
    Write("C:\\tiny.wav", "RIFF");
    EXPECT_EQ(wav.Open("C:\\tiny.wav"), 1) << "too short for a chunk header";
    char b[4];
    EXPECT_EQ(wav.Read(b, 4, false), 0u);
}

TEST_F(Sound, RegistryReusesEmptyEntriesAndGrowsByHalf) {
    CSoundRegistry r;
    EXPECT_EQ(r.Capacity(), 100u);
    std::vector<std::unique_ptr<CSound>> sounds;
    for (int i = 0; i < 100; ++i) {
        sounds.push_back(std::make_unique<CSound>());
        sounds.back()->alias = "s" + std::to_string(i);
        EXPECT_EQ(r.Add(sounds.back().get()), static_cast<std::size_t>(i));
    }
    r.Remove(sounds[7].get());
    EXPECT_EQ(r.Count(), 100u) << "the count does not shrink";
    EXPECT_EQ(r.Find("s7"), nullptr);
    CSound extra;
    EXPECT_EQ(r.Add(&extra), 7u) << "the empty entry is reused";
    CSound more;
    EXPECT_EQ(r.Add(&more), 100u);
    EXPECT_EQ(r.Capacity(), 150u);
    EXPECT_EQ(r.Find("S42"), sounds[42].get()) << "aliases in any letter case";
    for (auto& s : sounds)
        r.Remove(s.get());
    r.Remove(&extra);
    r.Remove(&more);
}

TEST_F(Sound, WithoutADeviceSoundsAreRegisteredAndSilent) {
    Write("C:\\Temp\\Back.wav", Riff(Fmt() + Chunk("data", Samples(10))));
    EXPECT_EQ(GetSound("", 0), nullptr);
    EXPECT_EQ(GetSound(nullptr, 0), nullptr);
    CSound* first = GetSound("C:\\Temp\\Back.wav", 6);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->alias, "C:\\Temp\\Back.wav");
    EXPECT_EQ(first->Group(), 2) << "the group is taken modulo 4";
    EXPECT_EQ(g_sounds.Find("c:\\temp\\back.wav"), first);
    CSound* second = GetSound("C:\\TEMP\\BACK.WAV", 0);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first) << "a second request gets a clone";
    EXPECT_EQ(second->Group(), 2);
    EXPECT_EQ(second->alias, first->alias);
    auto* dx = static_cast<CSoundDX*>(second);
    EXPECT_EQ(dx->buffer, nullptr);
    dx->Play(true);
    EXPECT_EQ(dx->flags & CSound::kPlaying, 0u) << "nothing plays";
    EXPECT_EQ(dx->IsPlaying(), 0);
    EXPECT_EQ(dx->GetFrequency(), 100.0f);
    EXPECT_TRUE(D().boxes.empty()) << "and nothing is reported";
    CSound* missing = GetSound("C:\\nothing.mp3", 0);
    ASSERT_NE(missing, nullptr) << "without a device the file is never looked at";
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(Sound, BackgroundMusicSlot) {
    CSoundSlot& slot = BackgroundMusic();
    EXPECT_FALSE(slot.Start("C:\\Temp\\Back.ogg", true));
    EXPECT_EQ(slot.sound, nullptr);
    Write("C:\\Temp\\Back.ogg", "OggS");
    EXPECT_TRUE(slot.Start("C:\\Temp\\Back.ogg", true));
    ASSERT_NE(slot.sound, nullptr);
    EXPECT_EQ(slot.loop, 1);
    EXPECT_EQ(slot.sound->flags & CSound::kPlaying, 0u) << "prepared, never started";
    EXPECT_EQ(g_sounds.Find("C:\\Temp\\Back.ogg"), slot.sound);
    slot.Release();
    EXPECT_EQ(slot.sound, nullptr);
    EXPECT_EQ(g_sounds.Find("C:\\Temp\\Back.ogg"), nullptr);
}

TEST_F(Sound, VolumePanAndFrequencyConversions) {
    EXPECT_EQ(VolumeToDecibels(1.0f), 0);
    EXPECT_EQ(VolumeToDecibels(0.0f), -10000);
    EXPECT_EQ(VolumeToDecibels(0.5f), -512); // n = 128: 10000 log10(1 + 9/8 log2 129) = 9488
    for (int n : {0, 1, 17, 128, 200, 255})
        EXPECT_EQ(std::lround(DecibelsToVolume(VolumeToDecibels(n / 255.0f)) * 255), n)
            << "the inverse, " << n;

    FakeDevice device;
    g_soundDevice = &device;
    g_groupVolumes[0] = 1.0f;
    Write("C:\\a.wav", Riff(Fmt() + Chunk("data", Samples(64))));
    auto* s = static_cast<CSoundDX*>(GetSound("C:\\a.wav", 0));
    ASSERT_NE(s->buffer, nullptr);
    auto* b = static_cast<FakeBuffer*>(s->buffer);
    EXPECT_EQ(b->volume, 0) << "prepared at full volume";
    s->SetFrequency(1.0f);
    EXPECT_EQ(b->frequency, 44100u);
    s->SetFrequency(0.001f);
    EXPECT_EQ(b->frequency, 100u);
    s->SetFrequency(10.0f);
    EXPECT_EQ(b->frequency, 200000u);
    s->SetPan(1.0f);
    EXPECT_EQ(b->pan, 10000) << "fully right";
    s->SetPan(-1.0f);
    EXPECT_EQ(b->pan, -10000);
    s->SetPan(0.0f);
    EXPECT_EQ(b->pan, 0);
    s->SetPan(-0.5f);
    EXPECT_NEAR(s->GetPan(), -0.5f, 0.01f);
    g_groupVolumes[0] = 0.5f;
    s->SetVolume(1.0f);
    EXPECT_EQ(b->volume, -512) << "scaled by the group's factor";
}

TEST_F(Sound, WithADeviceShortFilesAreStaticAndLongOnesStream) {
    FakeDevice device;
    g_soundDevice = &device;
    std::string shortData = Samples(1000);
    Write("C:\\short.wav", Riff(Fmt() + Chunk("data", shortData)));
    auto* s = static_cast<CSoundDX*>(GetSound("C:\\short.wav", 0));
    ASSERT_EQ(device.made.size(), 1u);
    EXPECT_EQ(device.made[0]->desc.flags,
              kBufferStatic | kBufferCtrlVolume | kBufferCtrlPan | kBufferCtrlFrequency);
    EXPECT_EQ(device.made[0]->bytes, shortData);
    EXPECT_FALSE(s->Streams()) << "the reader goes once the data is in";
    s->Play(false);
    EXPECT_FALSE(device.made[0]->looping);
    EXPECT_EQ(s->IsPlaying(), -1);
    device.made[0]->playing = false;
    EXPECT_EQ(s->IsPlaying(), 0);
    EXPECT_EQ(s->flags & CSound::kPlaying, 0u);
    CSound* copy = GetSound("C:\\short.wav", 0);
    EXPECT_EQ(device.duplicates, 1) << "a static sound is copied by duplicating its buffer";
    EXPECT_NE(static_cast<CSoundDX*>(copy)->buffer, nullptr);

    std::string longData = Samples(kStreamBufferBytes + 4096);
    Write("C:\\long.wav", Riff(Fmt() + Chunk("data", longData)));
    auto* m = static_cast<CSoundDX*>(GetSound("C:\\long.wav", 0));
    FakeBuffer* ring = device.made.back();
    EXPECT_EQ(ring->desc.bufferBytes, kStreamBufferBytes);
    EXPECT_EQ(ring->desc.flags,
              kBufferGetPosition2 | kBufferCtrlVolume | kBufferCtrlPan | kBufferCtrlFrequency);
    EXPECT_TRUE(m->Streams());
    EXPECT_EQ(ring->bytes, longData.substr(0, kStreamBufferBytes));
    m->Play(false);
    EXPECT_TRUE(ring->looping) << "a streaming buffer always loops";
    EXPECT_NE(m->flags & CSound::kStreaming, 0u);
    // The play cursor has moved 4096 bytes on: the rest of the data goes where it was.
    ring->cursor = 4096;
    m->Refill();
    EXPECT_EQ(ring->bytes.substr(0, 4096), longData.substr(kStreamBufferBytes));
    EXPECT_EQ(m->written, static_cast<std::int64_t>(kStreamBufferBytes) + 4096);
    EXPECT_TRUE(ring->playing);
    // Half the ring further on, the end of the data has been played: the sound resets.
    ring->cursor = 4096 + kStreamBufferBytes / 2;
    m->Refill();
    EXPECT_FALSE(ring->playing) << "all data played and not looping: the sound resets";
    EXPECT_EQ(ring->cursor, 0u);
    EXPECT_EQ(m->written, static_cast<std::int64_t>(kStreamBufferBytes));
    EXPECT_EQ(ring->bytes, longData.substr(0, kStreamBufferBytes)) << "refilled from the start";
    CSound* streamCopy = GetSound("C:\\long.wav", 0);
    EXPECT_TRUE(static_cast<CSoundDX*>(streamCopy)->Streams()) << "a streaming copy prepares its own reader";
    EXPECT_EQ(device.duplicates, 1);
}

TEST_F(Sound, WithADeviceABadFileIsReported) {
    FakeDevice device;
    g_soundDevice = &device;
    CSound* s = GetSound("C:\\nothing.wav", 0);
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "C:\\nothing.wav");
    EXPECT_EQ(D().boxes[0].caption, "sound file is bad");
    EXPECT_EQ(static_cast<CSoundDX*>(s)->buffer, nullptr);
    GetSound("C:\\song.mp3", 0);
    EXPECT_EQ(D().boxes.size(), 2u);
    EXPECT_TRUE(device.made.empty());
}
