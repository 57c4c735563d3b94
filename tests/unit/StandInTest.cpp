// Our stand-in library on its own: its entry points, what it refuses, and hostile archives given to
// its reader.
#include "support/RarBytes.h"
#include "support/Tree.h"
#include "support/World.h"

#include "Rar4Writer.h"
#include "RarReader.h"
#include "engine/ExtractorApi.h"

#include <cstring>
#include <zlib.h>
#include <dlfcn.h>
#include <memory>

using namespace extractor;
using namespace rarbytes;

namespace {

class MemorySource : public rar::Source {
  public:
    explicit MemorySource(std::string bytes) : data(std::move(bytes)) {}
    std::uint64_t Size() const override { return data.size(); }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
        if (offset > data.size() || length > data.size() - offset) return false;
        std::memcpy(buffer, data.data() + offset, length);
        return true;
    }
    std::string data;
};

int ReadAll(const std::string& bytes, std::vector<rar::Member>* members = nullptr) {
    MemorySource src(bytes);
    rar::Reader reader(src);
    int r = reader.Open();
    if (r != kSuccess) return r;
    rar::Member m;
    std::vector<std::uint8_t> buffer(1 << 16);
    for (int guard = 0; guard < 1000; ++guard) {
        r = reader.Next(&m);
        if (r != kSuccess) return r;
        if (members) members->push_back(m);
        int d = reader.ReadData(
            m, [](const std::uint8_t*, std::size_t) { return true; }, buffer.data(), buffer.size());
        if (d != kSuccess && m.stored) return d;
    }
    return -1; // the reader did not come to an end
}

// A folder of the test's own under BASE, removed with all it holds however the test ends: an ASSERT that
// returns early must not leave its files behind (4 GiB of memory, for the large archive).
struct ScratchFolder {
    explicit ScratchFolder(const fs::path& base) {
        std::string pattern = (base / "bv-standin.XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    fs::path path;
};

struct StandIn {
    StandIn() {
        handle = dlopen(BV_STANDIN_SO, RTLD_NOW | RTLD_LOCAL);
        open = reinterpret_cast<OpenArchiveFn>(dlsym(handle, "RAROpenArchive"));
        close = reinterpret_cast<CloseArchiveFn>(dlsym(handle, "RARCloseArchive"));
        readHeader = reinterpret_cast<ReadHeaderFn>(dlsym(handle, "RARReadHeader"));
        processFile = reinterpret_cast<ProcessFileFn>(dlsym(handle, "RARProcessFile"));
        setData = reinterpret_cast<SetProcessDataProcFn>(dlsym(handle, "RARSetProcessDataProc"));
    }
    ~StandIn() { dlclose(handle); }
    void* handle;
    OpenArchiveFn open;
    CloseArchiveFn close;
    ReadHeaderFn readHeader;
    ProcessFileFn processFile;
    SetProcessDataProcFn setData;
};

} // namespace

class StandInLibrary : public World {
  protected:
    std::string Save(const std::string& name, const std::string& bytes) {
        std::string path = (root / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Opens the archive and extracts every member into dest; the codes of RARProcessFile in order.
    std::vector<int> ExtractAll(const std::string& archive, const fs::path& dest,
                                std::vector<std::string>* names) {
        std::vector<int> codes;
        OpenArchiveData open{};
        open.ArcName = const_cast<char*>(archive.c_str());
        open.OpenMode = kOpenExtract;
        void* h = lib.open(&open);
        if (!h) return {static_cast<int>(open.OpenResult) + 1000};
        HeaderData header{};
        std::string d = dest.string();
        while (lib.readHeader(h, &header) == kSuccess) {
            if (names) names->push_back(header.FileName);
            codes.push_back(lib.processFile(h, kExtract, d.data(), nullptr));
        }
        lib.close(h);
        return codes;
    }
    // The code of RARReadHeader for the archive's first member, and its name.
    int FirstHeader(const std::string& archive, std::string* name) {
        OpenArchiveData open{};
        open.ArcName = const_cast<char*>(archive.c_str());
        open.OpenMode = kOpenExtract;
        void* h = lib.open(&open);
        if (!h) return static_cast<int>(open.OpenResult) + 1000;
        HeaderData header{};
        int r = lib.readHeader(h, &header);
        if (r == kSuccess) *name = header.FileName;
        lib.close(h);
        return r;
    }
    StandIn lib;
};

TEST(StandInReader, DataThatCanNoLongerBeReadIsAReadError) {
    // Whole when its header was read, unreadable from the middle of its data on: a disc taken out of
    // the drive. Both sizes: the small one is read in one go, the large one through the ring of buffers.
    struct GoneSource : MemorySource {
        using MemorySource::MemorySource;
        std::uint64_t readable = ~std::uint64_t(0);
        bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
            return offset + length <= readable && MemorySource::ReadAt(offset, buffer, length);
        }
    };
    for (std::size_t size : {std::size_t(300), std::size_t(8) << 20}) {
        GoneSource src(Main4() + File4("a.bin", std::string(size, 'x')) + End4());
        rar::Reader reader(src);
        ASSERT_EQ(reader.Open(), kSuccess);
        rar::Member m;
        ASSERT_EQ(reader.Next(&m), kSuccess);
        src.readable = src.data.size() - size / 2;
        std::vector<std::uint8_t> buffer(1 << 16);
        EXPECT_EQ(reader.ReadData(m, [](const std::uint8_t*, std::size_t) { return true; }, buffer.data(),
                                  buffer.size()),
                  kERead)
            << size;
    }
}

// A large member that is read (not mapped): stopped by the writer or cut off by the archive at any
// block, it ends with the blocks before the stop written in order, and the same reader goes on to the
// next member.
TEST(StandInReader, ALargeMemberStoppedOrCutAnywhereLeavesTheReaderWhole) {
    const std::size_t block = 1 << 16;
    std::string a(40 * block + 123, '\0'), b(6 * block + 7, '\0');
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<char>(i * 7 + i / 251);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<char>(i * 13 + 5);
    struct CutSource : MemorySource {
        using MemorySource::MemorySource;
        std::uint64_t readable = ~std::uint64_t(0);
        bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
            return offset + length <= readable && MemorySource::ReadAt(offset, buffer, length);
        }
    };
    std::vector<std::uint8_t> buffer(block);
    // stop: the block whose sink returns false; cut: the first block that can no longer be read
    for (std::size_t at : {0, 1, 7, 8, 9, 12, 40}) {
        for (bool cut : {false, true}) {
            CutSource src(Main4() + File4("a.bin", a) + File4("b.bin", b) + End4());
            rar::Reader reader(src);
            ASSERT_EQ(reader.Open(), kSuccess);
            rar::Member m;
            ASSERT_EQ(reader.Next(&m), kSuccess);
            if (cut) src.readable = m.dataOffset + at * block + 5;
            std::string got;
            std::size_t blocks = 0;
            int r = reader.ReadData(
                m,
                [&](const std::uint8_t* data, std::size_t n) {
                    if (!cut && blocks == at) return false;
                    ++blocks;
                    got.append(reinterpret_cast<const char*>(data), n);
                    return true;
                },
                buffer.data(), buffer.size());
            EXPECT_EQ(r, cut ? kERead : kUnknown) << at << " " << cut;
            // Compared whole, told briefly: a megabyte of bytes helps no one.
            EXPECT_EQ(got.size(), at * block) << at << " " << cut;
            EXPECT_TRUE(got == a.substr(0, at * block)) << "the bytes before block " << at << " differ";
            src.readable = ~std::uint64_t(0);
            ASSERT_EQ(reader.Next(&m), kSuccess);
            got.clear();
            EXPECT_EQ(reader.ReadData(
                          m,
                          [&](const std::uint8_t* data, std::size_t n) {
                              got.append(reinterpret_cast<const char*>(data), n);
                              return true;
                          },
                          buffer.data(), buffer.size()),
                      kSuccess);
            EXPECT_TRUE(got == b) << "the next member after " << at << " " << cut;
        }
    }
}

// The Windows builds' CRC against zlib's tables: lengths at the edges of its lanes and blocks, every
// alignment, other starts than zero, pieces chained, and a long run.
TEST(StandInReader, TheFoldingCrcIsTheTablesCrc) {
    std::vector<std::uint8_t> bytes((std::size_t(1) << 20) + 300);
    std::uint32_t seed = 12345;
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    auto tables = [&](std::uint32_t start, std::size_t offset, std::size_t length) {
        return static_cast<std::uint32_t>(crc32(start, bytes.data() + offset, static_cast<uInt>(length)));
    };
    for (std::size_t offset = 0; offset < 16; ++offset)
        for (std::size_t length : {0, 1, 15, 63, 64, 255, 256, 257, 271, 319, 320, 1000, 4109})
            for (std::uint32_t start : {0u, 0xFFFFFFFFu, 0x1234ABCDu})
                ASSERT_EQ(rar::FoldingCrc32(start, bytes.data() + offset, length), tables(start, offset, length))
                    << "offset " << offset << ", length " << length << ", start " << start;
    std::uint32_t first = rar::FoldingCrc32(0, bytes.data() + 3, 70000);
    EXPECT_EQ(rar::FoldingCrc32(first, bytes.data() + 70003, bytes.size() - 70003),
              tables(0, 3, bytes.size() - 3));
    EXPECT_EQ(rar::FoldingCrc32(0, bytes.data(), bytes.size()), rar::Crc32(0, bytes.data(), bytes.size()));
}

TEST_F(StandInLibrary, ExportsTheDocumentedEntryPoints) {
    for (const char* name : {"RAROpenArchive", "RARCloseArchive", "RARReadHeader", "RARProcessFile",
                             "RARSetChangeVolProc", "RARSetProcessDataProc", "RARSetPassword"})
        EXPECT_NE(dlsym(lib.handle, name), nullptr) << name;
}

TEST_F(StandInLibrary, RefusesNamesThatLeaveTheDestination) {
    const char* hostile[] = {"..\\up.txt",
                             "sub\\..\\..\\up.txt",
                             "\\root.txt",
                             "C:\\drive.txt",
                             "file.txt:stream",
                             "CON",
                             "sub\\aux.log",
                             "LPT9",
                             "...",
                             "CON .txt",
                             "sub\\COM\xC2\xB9", // superscript one in UTF-8
                             "LPT\xFC.log",      // superscript three in code page 850
                             "com\xFD"};
    fs::path dest = root / "dest";
    fs::create_directories(dest);
    for (const char* name : hostile) {
        Rar4Writer w;
        std::string path = (root / "h.rar").string();
        ASSERT_TRUE(w.Open(path));
        w.AddBytes(name, "evil", 0x21);
        ASSERT_TRUE(w.Close());
        std::vector<int> codes = ExtractAll(path, dest, nullptr);
        EXPECT_EQ(codes, std::vector<int>{kECreate}) << name;
    }
    for (auto& [path, bytes] : Tree(root))
        EXPECT_NE(bytes, "evil") << path;
}

TEST_F(StandInLibrary, TheNameLimitCountsTheNameAsReported) {
    // A Cyrillic path of 115 characters: its OEM form fits the record, the stored field does not,
    // because it carries the encoded unicode form after a zero.
    std::string folder(57, '\xAE'), file(57, '\xE2');
    std::string field = folder + "\\" + file + std::string(1, '\0') + std::string(150, '\x04');
    ASSERT_GT(field.size(), 259u);
    std::string path = Save("cyrillic.rar", Main4() + File4(field, "long", 0x0200) + End4());
    std::vector<std::string> names;
    EXPECT_EQ(ExtractAll(path, root / "dest", &names), std::vector<int>{kSuccess});
    EXPECT_EQ(names, std::vector<std::string>{folder + "/" + file});
    std::ifstream in(root / "dest" / folder / file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "long");

    // 259 bytes as reported is the most the record holds, in either format; 260 is bad data.
    std::string longest = std::string(200, 'a') + "\\" + std::string(58, 'b'), name;
    EXPECT_EQ(FirstHeader(Save("259.rar", Main4() + File4(longest, "x") + End4()), &name), kSuccess);
    EXPECT_EQ(name.size(), 259u);
    EXPECT_EQ(FirstHeader(Save("260.rar", Main4() + File4(longest + "b", "x") + End4()), &name), kBadData);
    EXPECT_EQ(
        FirstHeader(Save("u260.rar",
                         Main4() + File4(longest + "b" + std::string(1, '\0') + "enc", "x", 0x0200) + End4()),
                    &name),
        kBadData);
    std::string longest5 = std::string(200, 'a') + "/" + std::string(58, 'b');
    EXPECT_EQ(FirstHeader(Save("5-259.rar", kSig5 + Main5() + File5(longest5, "x") + End5()), &name),
              kSuccess);
    EXPECT_EQ(FirstHeader(Save("5-260.rar", kSig5 + Main5() + File5(longest5 + "b", "x") + End5()), &name),
              kBadData);
}

TEST_F(StandInLibrary, UnsupportedMembersGiveTheDocumentedCodes) {
    std::string encrypted = File5("secret.txt", "x", 0, Vint(2) + Vint(0x01) + Vint(0));
    std::string compressed = File5("packed.txt", "x", 3 << 7);
    std::string split = File5("part.txt", "x", 0, "", 0x0010);
    std::string link = File5("link", "", 0, Vint(3) + Vint(0x05) + Vint(0) + Vint(0));
    std::string path =
        Save("unsupported.rar", kSig5 + Main5() + encrypted + compressed + split + link + End5());
    std::vector<std::string> names;
    std::vector<int> codes = ExtractAll(path, root / "dest", &names);
    EXPECT_EQ(names, (std::vector<std::string>{"secret.txt", "packed.txt", "part.txt", "link"}));
    EXPECT_EQ(codes, (std::vector<int>{kMissingPassword, kUnknownFormat, kEOpen, kECreate}));
    EXPECT_FALSE(fs::exists(root / "dest" / "link"));
}

TEST_F(StandInLibrary, DataCallbackGetsEveryBlockAndCanStop) {
    static std::vector<int> sizes;
    static int stopAfter;
    sizes.clear();
    std::string big(2500000, 'b');
    std::string path =
        Save("big.rar", kSig5 + Main5() + File5("big.bin", big) + File5("next.txt", "n") + End5());
    OpenArchiveData open{};
    open.ArcName = path.data();
    open.OpenMode = kOpenExtract;
    void* h = lib.open(&open);
    ASSERT_NE(h, nullptr);
    lib.setData(h, [](unsigned char*, int size) -> int {
        sizes.push_back(size);
        return static_cast<int>(sizes.size()) < stopAfter ? 1 : 0;
    });
    stopAfter = 100;
    HeaderData header{};
    std::string dest = (root / "out").string();
    ASSERT_EQ(lib.readHeader(h, &header), kSuccess);
    EXPECT_EQ(header.UnpSize, 2500000u);
    EXPECT_EQ(lib.processFile(h, kExtract, dest.data(), nullptr), kSuccess);
    EXPECT_EQ(sizes, (std::vector<int>{1 << 20, 1 << 20, 2500000 - (2 << 20)})) << "blocks of at most 1 MiB";
    EXPECT_EQ(fs::file_size(root / "out" / "big.bin"), 2500000u);
    lib.close(h);

    sizes.clear();
    stopAfter = 1;
    h = lib.open(&open);
    lib.setData(h, [](unsigned char*, int size) -> int {
        sizes.push_back(size);
        return static_cast<int>(sizes.size()) < stopAfter ? 1 : 0;
    });
    ASSERT_EQ(lib.readHeader(h, &header), kSuccess);
    EXPECT_NE(lib.processFile(h, kExtract, dest.data(), nullptr), kSuccess) << "a 0 from the callback stops";
    EXPECT_EQ(sizes.size(), 1u);
    lib.close(h);
}

TEST_F(StandInLibrary, LargeMembersAreCheckedToo) {
    // Members of more than a batch of blocks have their CRC computed beside the writing, in a ring of
    // buffers that this member goes round more than once: a flipped byte still shows, wherever it is.
    std::string big(10 * 1000 * 1000 + 7, 'q');
    for (std::size_t i = 0; i < big.size(); i += 4093)
        big[i] = static_cast<char>(i / 4093);
    std::string archive = kSig5 + Main5() + File5("big.bin", big) + File5("next.txt", "n") + End5();
    std::size_t data = archive.find(big);
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(ExtractAll(Save("good.rar", archive), root / "g", nullptr),
              (std::vector<int>{kSuccess, kSuccess}));
    std::ifstream in(root / "g" / "big.bin", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == big);
    for (std::size_t at : {std::size_t{5}, std::size_t{4500000}, big.size() - 1}) {
        std::string bad = archive;
        bad[data + at] ^= 0x20;
        EXPECT_EQ(ExtractAll(Save("bad.rar", bad), root / "b", nullptr),
                  (std::vector<int>{kBadData, kSuccess}))
            << at;
    }
}

TEST_F(StandInLibrary, StoppingALargeMemberEndsCleanly) {
    static int blocks;
    blocks = 0;
    std::string path = Save("big.rar", kSig5 + Main5() + File5("big.bin", std::string(10 << 20, 's')) +
                                           File5("small.txt", "small") + End5());
    OpenArchiveData open{};
    open.ArcName = path.data();
    open.OpenMode = kOpenExtract;
    void* h = lib.open(&open);
    ASSERT_NE(h, nullptr);
    lib.setData(h, [](unsigned char*, int) -> int { return ++blocks < 6 ? 1 : 0; });
    HeaderData header{};
    std::string dest = (root / "out").string();
    ASSERT_EQ(lib.readHeader(h, &header), kSuccess);
    EXPECT_EQ(lib.processFile(h, kExtract, dest.data(), nullptr), kUnknown) << "stopped in the second batch";
    EXPECT_EQ(blocks, 6);
    lib.setData(h, nullptr);
    ASSERT_EQ(lib.readHeader(h, &header), kSuccess);
    EXPECT_EQ(lib.processFile(h, kExtract, dest.data(), nullptr), kSuccess) << "the archive goes on";
    EXPECT_EQ(lib.close(h), kSuccess);
}

TEST_F(StandInLibrary, BadArchivesAreRefusedAtOpen) {
    EXPECT_EQ(ExtractAll(Save("junk.rar", "not an archive"), root, nullptr),
              std::vector<int>{1000 + kBadArchive});
    EXPECT_EQ(ExtractAll((root / "none.rar").string(), root, nullptr), std::vector<int>{1000 + kEOpen});
    std::string encryptedHeaders = kSig5 + Block5(Vint(4) + Vint(0) + Vint(0) + std::string(20, 'k'));
    EXPECT_EQ(ExtractAll(Save("enc.rar", encryptedHeaders), root, nullptr),
              std::vector<int>{1000 + kMissingPassword});
}

TEST(RarReader, HostileArchivesEndInAnErrorCode) {
    std::string good = kSig5 + Main5() + File5("a.txt", "hello") + End5();
    ASSERT_EQ(ReadAll(good), kEndArchive);

    // Truncated anywhere: never a crash, always an error or the end.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        int r = ReadAll(good.substr(0, cut));
        EXPECT_NE(r, -1) << cut;
        EXPECT_NE(r, kSuccess) << cut;
    }
    // A data size beyond the file.
    std::string huge = kSig5 + Main5();
    std::string fields = Vint(2) + Vint(0x0002) + Vint(1ull << 40) + Vint(0) + Vint(5) + Vint(0x20) +
                         Vint(0) + Vint(0) + Vint(5) + "a.txt";
    huge += Block5(fields) + "hello";
    EXPECT_EQ(ReadAll(huge), kBadData);
    // A name longer than any name the record could report (four UTF-8 bytes for each of 259).
    EXPECT_EQ(ReadAll(kSig5 + Main5() + File5(std::string(4 * 259 + 1, 'n'), "x") + End5()), kBadData);
    // A header size of zero would not move the reader on.
    std::string zero = kSig5 + Main5() + Le32(rar::Crc32(0, "\0", 1)) + std::string("\0", 1);
    EXPECT_EQ(ReadAll(zero), kBadData);
    // A vint that never ends.
    EXPECT_EQ(ReadAll(kSig5 + Main5() + Le32(0) + std::string(12, '\xFF')), kBadData);
    // A flipped header byte fails its CRC.
    std::string flipped = good;
    flipped[kSig5.size() + Main5().size() + 8] ^= 0x40;
    EXPECT_EQ(ReadAll(flipped), kBadData);
    // A flipped data byte fails the data CRC.
    std::string data = good;
    data[data.find("hello")] = 'j';
    EXPECT_EQ(ReadAll(data), kBadData);
}

TEST(RarReader, Rar4HeadersAreChecked) {
    ScratchFolder scratch(fs::temp_directory_path());
    ASSERT_FALSE(scratch.path.empty());
    std::string path = (scratch.path / "hostile.rar").string();
    Rar4Writer w;
    ASSERT_TRUE(w.Open(path));
    w.AddBytes("a.txt", "hello", 0x21);
    ASSERT_TRUE(w.Close());
    std::ifstream in(path, std::ios::binary);
    std::string good((std::istreambuf_iterator<char>(in)), {});
    std::vector<rar::Member> members;
    ASSERT_EQ(ReadAll(good, &members), kEndArchive);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].name, "a.txt");
    EXPECT_TRUE(members[0].stored);
    // Signature 7, archive header 13, file header 37 with its data 5, end block 7.
    const std::size_t member = 20, data = member + 37, end = data + 5;
    ASSERT_EQ(good.size(), end + 7);
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        members.clear();
        int r = ReadAll(good.substr(0, cut), &members);
        // An archive may end between blocks; a cut inside a block is damage.
        int expected = cut < member ? kBadArchive : cut == member || cut == end ? kEndArchive : kBadData;
        EXPECT_EQ(r, expected) << cut;
        EXPECT_EQ(members.size(), cut >= data ? 1u : 0u) << cut;
    }
    // A header size smaller than the block's own fields.
    std::string small = good;
    small[member + 5] = 3;
    small[member + 6] = 0;
    EXPECT_EQ(ReadAll(small), kBadData);
    // A name size running past the header.
    std::string name = good;
    name[member + 26] = static_cast<char>(0xFF);
    EXPECT_EQ(ReadAll(name), kBadData);
    // A flipped byte anywhere in a header fails its CRC.
    for (std::size_t at : {std::size_t{10}, member + 2, member + 30, end + 3}) {
        std::string flipped = good;
        flipped[at] ^= 0x10;
        EXPECT_EQ(ReadAll(flipped), kBadData) << at;
    }
}

TEST(RarReader, Rar4MembersOver4GiB) {
    // A sparse file a little over 4 GiB: the sizes need the high halves of the header. The archive
    // goes to memory where there is a memory file system: 4 GiB through a disk's cache is slow.
    ScratchFolder scratch(fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path());
    ASSERT_FALSE(scratch.path.empty());
    const fs::path& dir = scratch.path;
    const std::uint64_t size = (4ull << 30) + 5;
    {
        std::ofstream big(dir / "big.bin", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(size - 5));
        big << "tail!";
    }
    ASSERT_EQ(fs::file_size(dir / "big.bin"), size);
    std::string archive = (dir / "large.rar").string();
    Rar4Writer w;
    ASSERT_TRUE(w.Open(archive));
    ASSERT_TRUE(w.AddFile("big.bin", (dir / "big.bin").string(), 0x21));
    fs::remove(dir / "big.bin");
    ASSERT_TRUE(w.AddBytes("after.txt", "after", 0x21));
    ASSERT_TRUE(w.Close()) << w.error();

    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(archive.c_str(), "rb"), std::fclose);
    ASSERT_NE(file, nullptr);
    FILE* f = file.get();
    struct FileSource : rar::Source {
        FILE* f;
        std::uint64_t size;
        std::uint64_t Size() const override { return size; }
        bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
            return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0 &&
                   std::fread(buffer, 1, length, f) == length;
        }
    } src;
    src.f = f;
    src.size = fs::file_size(archive);
    rar::Reader reader(src);
    ASSERT_EQ(reader.Open(), kSuccess);
    rar::Member m;
    ASSERT_EQ(reader.Next(&m), kSuccess);
    EXPECT_EQ(m.name, "big.bin");
    EXPECT_EQ(m.unpSize, size);
    EXPECT_EQ(m.packSize, size);
    std::vector<std::uint8_t> buffer(rar::kBlock);
    std::uint64_t seen = 0;
    std::string last;
    EXPECT_EQ(reader.ReadData(
                  m,
                  [&](const std::uint8_t* data, std::size_t n) {
                      seen += n;
                      last.assign(reinterpret_cast<const char*>(data), n);
                      return true;
                  },
                  buffer.data(), buffer.size()),
              kSuccess)
        << "the CRC of all 4 GiB";
    EXPECT_EQ(seen, size);
    EXPECT_EQ(last.substr(last.size() - 5), "tail!");
    ASSERT_EQ(reader.Next(&m), kSuccess) << "the next header is found past the 4 GiB";
    EXPECT_EQ(m.name, "after.txt");
    EXPECT_EQ(m.unpSize, 5u);
    EXPECT_EQ(reader.Next(&m), kEndArchive);
}

TEST(RarReader, LargeMembersReadIntoBuffersAreChecked) {
    // A source that cannot be mapped: the blocks go round the ring of buffers, the CRC beside them.
    std::string big(3 * 1000 * 1000 + 11, 'r');
    for (std::size_t i = 0; i < big.size(); i += 777)
        big[i] = static_cast<char>(i);
    std::string archive = kSig5 + Main5() + File5("big.bin", big) + End5();
    std::size_t data = archive.find(big);
    EXPECT_EQ(ReadAll(archive), kEndArchive);
    for (std::size_t at : {std::size_t{0}, std::size_t{1500000}, big.size() - 1}) {
        std::string bad = archive;
        bad[data + at] ^= 0x01;
        EXPECT_EQ(ReadAll(bad), kBadData) << at;
    }
}
