#include "RarReader.h"

#include "DosTime.h"

#include "engine/ExtractorApi.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <vector>
#if defined(BV_HAVE_LIBDEFLATE)
#include <libdeflate.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <zlib.h>

namespace rar {

using namespace extractor;

namespace {

std::uint32_t TableCrc32(std::uint32_t crc, const std::uint8_t* p, std::size_t length) {
    uLong c = crc;
    // zlib takes the length as a 32-bit count.
    while (length > 0) {
        uInt n = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        c = crc32(c, p, n);
        p += n;
        length -= n;
    }
    return static_cast<std::uint32_t>(c);
}

#if defined(__x86_64__) || defined(__i386__)
#define BV_CRC_FOLDING 1
// Sixteen bytes from anywhere; a function of its own so that the 32-bit build, which does not assume
// SSE2 elsewhere, compiles it with SSE2 too.
__attribute__((target("sse2"))) inline __m128i Load16(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x * the two factors of k, low half by low and high by high, the product folded onto next.
__attribute__((target("sse2,pclmul"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// The CRC (reflected, polynomial 0x04C11DB7) of 64 bytes or more: four lanes of 16 bytes moved
// forward 64 bytes at a time by carry-less multiplication with x^(512+32) and x^512 modulo the
// polynomial, then folded into one lane 16 bytes at a time (x^(128+32), x^128). The lane left has
// the CRC of all the bytes so far, which the table takes from there with the bytes after it.
__attribute__((target("sse2,pclmul"))) std::uint32_t FoldedCrc32(std::uint32_t crc, const std::uint8_t* p,
                                                                 std::size_t length) {
    const __m128i by64 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
    const __m128i by16 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
    // The register (the CRC before its final inversion) joins the first four bytes.
    __m128i x0 = _mm_xor_si128(Load16(p), _mm_cvtsi32_si128(static_cast<int>(~crc)));
    __m128i x1 = Load16(p + 16), x2 = Load16(p + 32), x3 = Load16(p + 48);
    p += 64;
    length -= 64;
    for (; length >= 64; p += 64, length -= 64) {
        x0 = Fold(x0, by64, Load16(p));
        x1 = Fold(x1, by64, Load16(p + 16));
        x2 = Fold(x2, by64, Load16(p + 32));
        x3 = Fold(x3, by64, Load16(p + 48));
    }
    x0 = Fold(Fold(Fold(x0, by16, x1), by16, x2), by16, x3);
    for (; length >= 16; p += 16, length -= 16)
        x0 = Fold(x0, by16, Load16(p));
    alignas(16) std::uint8_t lane[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lane), x0);
    // From a zero register: an inverted start of all ones.
    return TableCrc32(TableCrc32(0xFFFFFFFFu, lane, sizeof lane), p, length);
}

bool CanFold() {
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    return can;
}
#endif

} // namespace

std::uint32_t FoldingCrc32(std::uint32_t crc, const void* data, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
#if defined(BV_CRC_FOLDING)
    // Below a few lanes the table is as quick.
    if (length >= 256 && CanFold()) return FoldedCrc32(crc, p, length);
#endif
    return TableCrc32(crc, p, length);
}

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t length) {
#if defined(BV_HAVE_LIBDEFLATE)
    // libdeflate folds with carry-less multiplication where the processor has it.
    return libdeflate_crc32(crc, data, length);
#else
    // zlib's tables alone take four times as long: the CRC of every byte is the stand-in's hot path.
    return FoldingCrc32(crc, data, length);
#endif
}

namespace {

constexpr std::uint8_t kSig4[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::uint8_t kSig5[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
constexpr std::uint32_t kMaxHeader5 = 2 * 1024 * 1024; // larger headers are refused as corrupt

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Bounds-checked reading of a RAR 5 header.
struct Cursor {
    const std::uint8_t* p;
    std::size_t left;
    bool ok = true;

    std::uint64_t Vint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (left == 0) break;
            std::uint8_t b = *p++;
            --left;
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        ok = false;
        return 0;
    }
    std::uint32_t U32() {
        if (left < 4) {
            ok = false;
            return 0;
        }
        std::uint32_t v = Le32(p);
        p += 4;
        left -= 4;
        return v;
    }
    bool Skip(std::uint64_t n) {
        if (n > left) return ok = false;
        p += n;
        left -= static_cast<std::size_t>(n);
        return true;
    }
};

} // namespace

int Reader::Open() {
    std::uint8_t sig[8] = {};
    std::uint64_t size = src.Size();
    if (size >= 8 && src.ReadAt(0, sig, 8) && std::memcmp(sig, kSig5, 8) == 0) {
        fmt = Format::Rar5;
        pos = 8;
    } else if (size >= 7 && src.ReadAt(0, sig, 7) && std::memcmp(sig, kSig4, 7) == 0) {
        fmt = Format::Rar4;
        pos = 7;
    } else {
        return kBadArchive;
    }
    // The archive header must follow the signature.
    if (fmt == Format::Rar4) {
        std::uint8_t h[13];
        if (!src.ReadAt(pos, h, 7)) return kBadArchive;
        std::uint16_t hsize = Le16(h + 5);
        if (h[2] != 0x73 || hsize < 13 || pos + hsize > size) return kBadArchive;
        std::vector<std::uint8_t> head(hsize);
        if (!src.ReadAt(pos, head.data(), hsize)) return kBadArchive;
        if ((Crc32(0, head.data() + 2, hsize - 2) & 0xFFFF) != Le16(head.data())) return kBadData;
        std::uint16_t flags = Le16(head.data() + 3);
        if (flags & 0x0080) encryptedHeaders = true;
        pos += hsize;
        if (encryptedHeaders) return kMissingPassword;
        return kSuccess;
    }
    Member unused;
    std::uint64_t start = pos;
    int r = Next5(&unused); // reads blocks until a file; the first one must be the archive header
    if (r == kMissingPassword) return r;
    if (r != kSuccess && r != kEndArchive) return r == kBadData ? kBadData : kBadArchive;
    pos = start;
    done = false;
    return kSuccess;
}

int Reader::Next(Member* m) {
    if (done) return kEndArchive;
    int r = fmt == Format::Rar4 ? Next4(m) : fmt == Format::Rar5 ? Next5(m) : kBadArchive;
    if (r != kSuccess) done = true;
    return r;
}

int Reader::Next4(Member* m) {
    const std::uint64_t size = src.Size();
    for (;;) {
        if (pos == size) return kEndArchive; // an archive may end without its end block
        std::uint8_t b[7];
        if (pos + 7 > size || !src.ReadAt(pos, b, 7)) return kBadData;
        std::uint8_t type = b[2];
        std::uint16_t flags = Le16(b + 3), hsize = Le16(b + 5);
        if (hsize < 7 || pos + hsize > size) return kBadData;
        std::vector<std::uint8_t> h(hsize);
        if (!src.ReadAt(pos, h.data(), hsize)) return kBadData;
        if ((Crc32(0, h.data() + 2, hsize - 2) & 0xFFFF) != Le16(h.data())) return kBadData;
        std::uint64_t dataSize = 0;
        if (flags & 0x8000) {
            if (hsize < 11) return kBadData;
            dataSize = Le32(h.data() + 7);
        }
        if (type == 0x7B) return kEndArchive;
        if (type != 0x74) {
            if (dataSize > size - pos - hsize) return kBadData;
            pos += hsize + dataSize; // comments, old blocks and service blocks are skipped
            continue;
        }
        bool large = flags & 0x0100;
        std::size_t nameAt = 32 + (large ? 8 : 0);
        if (hsize < nameAt) return kBadData;
        std::uint64_t pack = Le32(h.data() + 7), unp = Le32(h.data() + 11);
        if (large) {
            pack |= static_cast<std::uint64_t>(Le32(h.data() + 32)) << 32;
            unp |= static_cast<std::uint64_t>(Le32(h.data() + 36)) << 32;
        }
        std::uint16_t nameSize = Le16(h.data() + 26);
        if (nameAt + nameSize > hsize) return kBadData;
        if (nameSize == 0) return kBadData;
        Member out;
        out.name.assign(reinterpret_cast<const char*>(h.data() + nameAt), nameSize);
        if (flags & 0x0200) {
            std::size_t zero = out.name.find('\0');
            if (zero == std::string::npos)
                out.nameIsUtf8 = true; // a unicode name without an OEM form is UTF-8
            else
                out.name.resize(zero); // the OEM form before the encoded unicode form
        }
        if (out.name.empty() || out.name.find('\0') != std::string::npos) return kBadData;
        if (out.name.size() > (out.nameIsUtf8 ? kMaxStoredName : kMaxName)) return kBadData;
        out.separator = '\\';
        out.isDir = (flags & 0x00E0) == 0x00E0;
        out.packSize = pack;
        out.unpSize = unp;
        out.hostOS = h[15];
        out.hasCrc = true;
        out.crc = Le32(h.data() + 16);
        out.dosTime = Le32(h.data() + 20);
        out.unpVer = h[24];
        out.method = h[25];
        out.attributes = Le32(h.data() + 28);
        out.stored = out.method == 0x30;
        out.encrypted = flags & 0x0004;
        out.splitBefore = flags & 0x0001;
        out.splitAfter = flags & 0x0002;
        out.solid = flags & 0x0010;
        out.dataOffset = pos + hsize;
        if (pack > size - out.dataOffset) {
            pos = size + 1; // the data runs past the end: reading it fails, the next header too
        } else {
            pos = out.dataOffset + pack;
        }
        *m = out;
        return kSuccess;
    }
}

int Reader::Next5(Member* m) {
    const std::uint64_t size = src.Size();
    bool first = pos == 8;
    for (;;) {
        if (pos == size) return kEndArchive;
        if (pos > size || size - pos < 5) return kBadData;
        std::uint8_t pre[14] = {};
        std::size_t preLen = static_cast<std::size_t>(size - pos < 14 ? size - pos : 14);
        if (!src.ReadAt(pos, pre, preLen)) return kBadData;
        Cursor vc{pre + 4, preLen - 4};
        std::uint64_t hsize = vc.Vint();
        if (!vc.ok || hsize == 0 || hsize > kMaxHeader5) return kBadData;
        std::size_t vlen = preLen - 4 - vc.left;
        std::uint64_t headerStart = pos + 4 + vlen;
        if (hsize > size - headerStart) return kBadData;
        std::vector<std::uint8_t> h(vlen + static_cast<std::size_t>(hsize));
        if (!src.ReadAt(pos + 4, h.data(), h.size())) return kBadData;
        if (Crc32(0, h.data(), h.size()) != Le32(pre)) return kBadData;

        Cursor c{h.data() + vlen, static_cast<std::size_t>(hsize)};
        std::uint64_t type = c.Vint(), flags = c.Vint();
        std::uint64_t extraSize = (flags & 0x0001) ? c.Vint() : 0;
        std::uint64_t dataSize = (flags & 0x0002) ? c.Vint() : 0;
        if (!c.ok || extraSize > c.left) return kBadData;
        std::uint64_t blockEnd = headerStart + hsize;
        if (dataSize > size - blockEnd) {
            if (type != 2) return kBadData;
        }
        if (first && type != 1 && type != 4) return kBadArchive;
        first = false;

        if (type == 4) {
            encryptedHeaders = true;
            return kMissingPassword;
        }
        if (type == 5) return kEndArchive;
        if (type != 2) {
            pos = blockEnd + dataSize; // archive header, service blocks, unknown blocks
            continue;
        }

        Member out;
        std::uint64_t fileFlags = c.Vint();
        out.unpSize = c.Vint();
        out.attributes = static_cast<std::uint32_t>(c.Vint());
        std::uint32_t mtime = (fileFlags & 0x0002) ? c.U32() : 0;
        if (fileFlags & 0x0004) {
            out.hasCrc = true;
            out.crc = c.U32();
        }
        std::uint64_t comp = c.Vint();
        out.hostOS = static_cast<std::uint32_t>(c.Vint());
        std::uint64_t nameLen = c.Vint();
        if (!c.ok || nameLen == 0 || nameLen > kMaxStoredName || nameLen > c.left) return kBadData;
        out.name.assign(reinterpret_cast<const char*>(c.p), static_cast<std::size_t>(nameLen));
        c.Skip(nameLen);
        if (out.name.find('\0') != std::string::npos) return kBadData;
        // The extra area is the last extraSize bytes of the header.
        if (extraSize > c.left) return kBadData;
        Cursor e{c.p + (c.left - extraSize), static_cast<std::size_t>(extraSize)};
        while (e.ok && e.left > 0) {
            std::uint64_t recSize = e.Vint();
            if (!e.ok || recSize == 0 || recSize > e.left) return kBadData;
            Cursor r{e.p, static_cast<std::size_t>(recSize)};
            std::uint64_t recType = r.Vint();
            if (recType == 0x01) out.encrypted = true;
            if (recType == 0x05) out.link = true;
            e.Skip(recSize);
        }
        out.nameIsUtf8 = true;
        out.separator = '/';
        out.isDir = fileFlags & 0x0001;
        if (fileFlags & 0x0008) out.unpSize = dataSize;
        out.packSize = dataSize;
        out.dosTime = DosTimeOf(mtime);
        out.unpVer = 50;
        std::uint32_t method = static_cast<std::uint32_t>((comp >> 7) & 7);
        out.method = 0x30 + method;
        out.stored = method == 0;
        out.solid = (comp >> 6) & 1;
        out.splitBefore = flags & 0x0008;
        out.splitAfter = flags & 0x0010;
        out.dataOffset = blockEnd;
        pos = dataSize > size - blockEnd ? size + 1 : blockEnd + dataSize;
        *m = out;
        return kSuccess;
    }
}

// The data CRC of a large mapped member, computed on a second thread while the main thread writes
// from the mapping. The member is handed over whole: waking a sleeping thread costs more than the CRC
// of a block (a virtual processor that went idle must be interrupted).
constexpr std::uint64_t kMapHelperBytes = 256 * 1024; // smaller mapped members are checked in line

class CrcHelper {
  public:
    ~CrcHelper() {
        if (!started) return;
        {
            std::lock_guard<std::mutex> hold(lock);
            quit = true;
        }
        work.notify_one();
        pthread_join(thread, nullptr);
    }
    bool Start() { return started = pthread_create(&thread, nullptr, &CrcHelper::Main, this) == 0; }
    // The CRC of length bytes at data, continued from crc. Only while none is pending.
    void Submit(const std::uint8_t* data, std::size_t length) {
        {
            std::lock_guard<std::mutex> hold(lock);
            job = data;
            jobLength = length;
            busy = true;
        }
        work.notify_one();
    }
    void Wait() {
        std::unique_lock<std::mutex> hold(lock);
        done.wait(hold, [this] { return !busy; });
        cancel = false;
    }
    // Ends the pending batch early (its CRC is then of no use).
    void Cancel() {
        cancel = true;
        Wait();
    }
    std::uint32_t crc = 0; // read and set only while no batch is pending

  private:
    static void* Main(void* self) {
        auto* h = static_cast<CrcHelper*>(self);
        std::unique_lock<std::mutex> hold(h->lock);
        for (;;) {
            h->work.wait(hold, [h] { return h->busy || h->quit; });
            if (h->quit) return nullptr;
            hold.unlock();
            std::uint32_t c = h->crc;
            // In blocks, so that a stop is seen soon.
            for (std::size_t at = 0; at < h->jobLength && !h->cancel; at += kBlock)
                c = Crc32(c, h->job + at, std::min(kBlock, h->jobLength - at));
            hold.lock();
            h->crc = c;
            h->busy = false;
            h->done.notify_one();
        }
    }
    pthread_t thread{};
    bool started = false;
    std::mutex lock;
    std::condition_variable work, done;
    const std::uint8_t* job = nullptr;
    std::size_t jobLength = 0;
    bool busy = false, quit = false;
    std::atomic<bool> cancel{false};
};

Reader::Reader(Source& source) : src(source) {}
Reader::~Reader() = default;

int Reader::ReadData(const Member& m, const std::function<bool(const std::uint8_t*, std::size_t)>& sink,
                     std::uint8_t* buffer, std::size_t bufferSize) {
    const std::uint64_t size = src.Size();
    if (m.dataOffset > size || m.packSize > size - m.dataOffset) return kBadData;
    std::uint64_t left = m.packSize, at = m.dataOffset;
    std::uint32_t crc = 0;
    if (const std::uint8_t* view = src.View()) {
        // Straight from the mapping: the blocks are written from it while the helper runs through the
        // same bytes. Small members are checked in line: a hand-over would cost more than their CRC.
        const std::uint8_t* data = view + m.dataOffset;
        if (left > kMapHelperBytes && !helper) {
            helper = std::make_unique<CrcHelper>();
            if (!helper->Start()) helper.reset();
        }
        bool beside = left > kMapHelperBytes && helper;
        if (beside) {
            helper->crc = 0;
            helper->Submit(data, static_cast<std::size_t>(left));
        }
        for (std::uint64_t done = 0; done < left;) {
            std::size_t n = static_cast<std::size_t>(left - done < bufferSize ? left - done : bufferSize);
            if (!beside) crc = Crc32(crc, data + done, n);
            if (!sink(data + done, n)) {
                if (beside) helper->Cancel();
                return kUnknown;
            }
            done += n;
        }
        if (beside) {
            helper->Wait();
            crc = helper->crc;
        }
        if (m.packSize != m.unpSize) return kBadData;
        if (m.hasCrc && crc != m.crc) return kBadData;
        return kSuccess;
    }
    // Read, checked and written a block at a time through one buffer, on this thread: the block is
    // still in the processor's cache for the CRC and the write. Under Wine a read-ahead thread with a
    // ring of buffers, or a chunk of blocks checked on the helper beside the write, was slower.
    while (left > 0) {
        std::size_t n = static_cast<std::size_t>(left < bufferSize ? left : bufferSize);
        if (!src.ReadAt(at, buffer, n)) return kERead;
        crc = Crc32(crc, buffer, n);
        if (!sink(buffer, n)) return kUnknown;
        at += n;
        left -= n;
    }
    if (m.packSize != m.unpSize) return kBadData;
    if (m.hasCrc && crc != m.crc) return kBadData;
    return kSuccess;
}

} // namespace rar
