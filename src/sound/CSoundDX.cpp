#include "sound/CSoundDX.h"

#include "platform/Os.h"

#include <algorithm>
#include <cmath>

CSoundDX::~CSoundDX() {
    ReleaseBuffer();
    delete reader;
    reader = nullptr;
}

void CSoundDX::ReleaseBuffer() {
    if (!buffer) return;
    buffer->Stop();
    buffer->Release();
    buffer = nullptr;
}

void CSoundDX::Prepare() {
    if (name.empty() || !g_soundDevice) return;
    delete reader;
    reader = CreateReader(name.c_str());
    if (!reader || reader->Open(name.c_str()) != 0) {
        delete reader;
        reader = nullptr;
        os::MsgBoxA(nullptr, name.c_str(), "sound file is bad", os::kMbOk);
        return;
    }
    written = 0;
    SoundBufferDesc desc;
    desc.format = reader->format;
    if (reader->dataSize > kStreamBufferBytes || Group() == 1) {
        desc.flags = kBufferGetPosition2 | kBufferCtrlVolume | kBufferCtrlPan | kBufferCtrlFrequency;
        desc.bufferBytes = kStreamBufferBytes;
        buffer = g_soundDevice->CreateSoundBuffer(desc);
        Fill(0, kStreamBufferBytes);
    } else {
        desc.flags = kBufferStatic | kBufferCtrlVolume | kBufferCtrlPan | kBufferCtrlFrequency;
        desc.bufferBytes = reader->dataSize;
        buffer = g_soundDevice->CreateSoundBuffer(desc);
        Fill(0, reader->dataSize);
        delete reader;
        reader = nullptr;
    }
    SetVolume(volume);
}

void CSoundDX::Fill(std::uint32_t offset, std::uint32_t bytes) {
    if (buffer && reader) {
        void* first = nullptr;
        void* second = nullptr;
        std::uint32_t firstBytes = 0, secondBytes = 0;
        if (buffer->Lock(offset, bytes, &first, &firstBytes, &second, &secondBytes)) {
            bool loop = (flags & kLoop) != 0;
            reader->Read(first, firstBytes, loop);
            if (second) reader->Read(second, secondBytes, loop);
            buffer->Unlock(first, firstBytes, second, secondBytes);
        }
    }
    written += bytes;
}

void CSoundDX::Play(bool loop) {
    flags = loop ? flags | kLoop : flags & ~kLoop;
    if (!buffer) return;
    if (buffer->GetStatus() & kStatusBufferLost) buffer->Restore();
    buffer->Play((flags & kLoop) || Streams());
    flags |= kPlaying;
    if (Streams()) flags |= kStreaming;
}

void CSoundDX::Stop() {
    flags &= ~kStreaming;
    if (!buffer) return;
    buffer->Stop();
    flags &= ~kPlaying;
}

void CSoundDX::Reset() {
    flags &= ~kStreaming;
    if (!buffer) return;
    buffer->Stop();
    buffer->SetCurrentPosition(0);
    if (Streams()) {
        written = 0;
        reader->Rewind();
        Fill(0, kStreamBufferBytes);
    }
    flags &= ~kPlaying;
}

void CSoundDX::Refill() {
    if (!buffer || !reader) return;
    std::int64_t P = buffer->GetCurrentPosition();
    std::int64_t b = written % kStreamBufferBytes;
    std::int64_t c = P - b;
    if (b > P) c += kStreamBufferBytes;
    if (c <= 0) return;
    Fill(static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(c));
    if (flags & kLoop) return;
    std::int64_t ahead = P - b;
    if (b < P) ahead -= kStreamBufferBytes;
    if (ahead + written >= static_cast<std::int64_t>(reader->dataSize)) Reset();
}

int CSoundDX::IsPlaying() {
    if (!buffer || !(flags & kPlaying)) return 0;
    if (buffer->GetStatus() & kStatusPlaying) {
        flags |= kPlaying;
        return -1;
    }
    flags &= ~kPlaying;
    return 0;
}

void CSoundDX::SetVolume(float v) {
    volume = v;
    if (buffer) buffer->SetVolume(VolumeToDecibels(v * g_groupVolumes[Group()]));
}

void CSoundDX::SetPan(float p) {
    pan = p;
    if (!buffer) return;
    int sign = p > 0 ? 1 : p < 0 ? -1 : 0;
    buffer->SetPan(-sign * VolumeToDecibels(1.0f - std::fabs(p)));
}

void CSoundDX::SetFrequency(float f) {
    if (!buffer) return;
    long hertz = std::lround(static_cast<double>(f) * 44100.0);
    buffer->SetFrequency(static_cast<std::uint32_t>(std::clamp<long>(hertz, 100, 200000)));
}

float CSoundDX::GetFrequency() {
    if (!buffer) return 100.0f;
    return static_cast<float>(buffer->GetFrequency()) / 44100.0f;
}

float CSoundDX::GetVolume() {
    if (!buffer) return volume;
    return DecibelsToVolume(buffer->GetVolume());
}

float CSoundDX::GetPan() {
    if (!buffer) return pan;
    std::int32_t q = buffer->GetPan();
    int sign = q > 0 ? 1 : q < 0 ? -1 : 0;
    return static_cast<float>(sign) * (1.0f - DecibelsToVolume(-std::abs(q)));
}

CSound* CSoundDX::Clone() {
    auto* copy = new CSoundDX;
    g_sounds.Add(copy);
    copy->name = name;
    copy->alias = alias;
    copy->SetGroup(Group());
    copy->volume = volume;
    copy->flags = (copy->flags & ~kLoop) | (flags & kLoop);
    if (Streams())
        copy->Prepare();
    else if (buffer && g_soundDevice)
        copy->buffer = g_soundDevice->DuplicateSoundBuffer(buffer);
    return copy;
}
