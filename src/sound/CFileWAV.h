// RIFF WAVE files: the "fmt " chunk gives the format, the "data" chunk the samples, read through a
// buffered window. Every size in the file is checked against the file itself: no read goes past it.
#pragma once

#include "sound/CFileSND.h"

#include <cstdio>

class CFileWAV : public CFileSND {
  public:
    CFileWAV() = default;
    ~CFileWAV() override;
    CFileWAV(const CFileWAV&) = delete;
    CFileWAV& operator=(const CFileWAV&) = delete;

    // 1 when the file cannot be opened or is too short to hold a RIFF chunk.
    int Open(const char* fileName) override;
    void Rewind() override;
    std::uint32_t Read(void* buffer, std::uint32_t count, bool loop) override;
    int Close(int value) override;

    // A chunk: where its data starts in the file and how many of its bytes the file really holds.
    struct Chunk {
        std::uint64_t dataOffset = 0;
        std::uint64_t size = 0;
    };

  private:
    bool ReadAt(std::uint64_t offset, void* out, std::size_t bytes);
    // The first chunk with this id among the children of riff, searched from its first child.
    bool FindChunk(const char id[4], Chunk* found);

    FILE* file = nullptr;
    std::uint64_t fileSize = 0;
    Chunk riff;  // the outer chunk; its data begins with the form type
    Chunk chunk; // "fmt " and then "data"
    // The buffered window over the data chunk.
    static constexpr std::size_t kWindowBytes = 8192;
    std::uint8_t window[kWindowBytes] = {};
    std::size_t windowFill = 0;
    std::size_t windowAt = 0;
    std::uint64_t nextOffset = 0; // where the window is refilled from
};
