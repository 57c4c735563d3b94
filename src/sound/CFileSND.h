// Sound file readers: a wave format and a stream of sample bytes. One reader class per file kind,
// chosen by the file's extension.
#pragma once

#include <cstdint>

// The layout of a Windows WAVEFORMATEX.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
};

class CFileSND {
  public:
    virtual ~CFileSND() = default;
    // 0 on success.
    virtual int Open(const char* fileName);
    // Starts the sample data again from its first byte.
    virtual void Rewind() {}
    // Delivers at most count bytes of sample data, never past its end; the loop argument is not used:
    // starting again is the caller's business.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count, bool loop);
    virtual int Close(int value) { return value; }

    WaveFormat format;
    std::uint32_t dataSize = 0; // bytes of sample data
    std::uint32_t position = 0; // bytes already delivered
};

// True when the text after the last "." of name is extension, in any letter case.
bool HasExtension(const char* name, const char* extension);
// A CFileWAV for ".wav", a CFileOGG for ".ogg", otherwise null. The caller owns the reader.
CFileSND* CreateReader(const char* fileName);
