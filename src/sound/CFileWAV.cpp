#include "sound/CFileWAV.h"

#include "platform/Os.h"

#include <algorithm>
#include <cstring>

namespace {
std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
constexpr std::uint64_t kChunkHeader = 8;
} // namespace

CFileWAV::~CFileWAV() {
    Close(0);
}

int CFileWAV::Close(int value) {
    if (file) std::fclose(file);
    file = nullptr;
    return value;
}

bool CFileWAV::ReadAt(std::uint64_t offset, void* out, std::size_t bytes) {
    if (offset + bytes > fileSize) return false;
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, bytes, file) == bytes;
}

int CFileWAV::Open(const char* fileName) {
    Close(0);
    file = os::OpenFile(fileName, "rb");
    if (!file) return 1;
    std::fseek(file, 0, SEEK_END);
    long end = std::ftell(file);
    fileSize = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    std::uint8_t header[8];
    if (!ReadAt(0, header, sizeof header)) {
        Close(0);
        return 1;
    }
    // The form type is not checked: a RIFF file of another form simply has no wave chunks.
    riff.dataOffset = kChunkHeader;
    riff.size = std::min<std::uint64_t>(Le32(header + 4), fileSize - kChunkHeader);

    format = WaveFormat();
    std::uint8_t fmt[16] = {};
    if (FindChunk("fmt ", &chunk))
        ReadAt(chunk.dataOffset, fmt,
               static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size, sizeof fmt)));
    format.formatTag = Le16(fmt);
    format.channels = Le16(fmt + 2);
    format.samplesPerSec = Le32(fmt + 4);
    format.avgBytesPerSec = Le32(fmt + 8);
    format.blockAlign = Le16(fmt + 12);
    format.bitsPerSample = Le16(fmt + 14);
    format.extraSize = 0;
    Rewind();
    return 0;
}

bool CFileWAV::FindChunk(const char id[4], Chunk* found) {
    const std::uint64_t end = riff.dataOffset + riff.size;
    std::uint64_t at = riff.dataOffset + 4; // past the form type
    std::uint8_t header[8];
    while (at + kChunkHeader <= end && ReadAt(at, header, sizeof header)) {
        std::uint64_t size = Le32(header + 4);
        std::uint64_t data = at + kChunkHeader;
        if (std::memcmp(header, id, 4) == 0) {
            found->dataOffset = data;
            found->size = std::min(size, end - data);
            return true;
        }
        at = data + size + (size & 1); // chunks are padded to an even size
    }
    return false;
}

void CFileWAV::Rewind() {
    dataSize = 0;
    position = 0;
    windowFill = windowAt = 0;
    if (!file) return;
    Chunk data;
    if (FindChunk("data", &data)) {
        chunk = data;
        dataSize = static_cast<std::uint32_t>(data.size);
        nextOffset = data.dataOffset;
    }
}

std::uint32_t CFileWAV::Read(void* buffer, std::uint32_t count, bool) {
    std::uint32_t n = std::min(count, dataSize - position);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t delivered = 0;
    while (delivered < n) {
        if (windowAt == windowFill) {
            std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, fileSize - nextOffset));
            if (want == 0 || !ReadAt(nextOffset, window, want)) break;
            nextOffset += want;
            windowFill = want;
            windowAt = 0;
        }
        out[delivered++] = window[windowAt++];
    }
    position += delivered;
    return delivered;
}
