// libFuzzer target: the stand-in's archive reader over arbitrary bytes.
#include "RarReader.h"

#include <cstring>
#include <string>
#include <vector>

namespace {
class Bytes : public rar::Source {
  public:
    Bytes(const std::uint8_t* d, std::size_t n) : data(d), size(n) {}
    std::uint64_t Size() const override { return size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
        if (offset > size || length > size - offset) return false;
        std::memcpy(buffer, data + offset, length);
        return true;
    }

  private:
    const std::uint8_t* data;
    std::size_t size;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes src(data, size);
    rar::Reader reader(src);
    if (reader.Open() != 0) return 0;
    std::vector<std::uint8_t> buffer(4096);
    rar::Member m;
    // Every block moves the reader on, so the members of a small input are few.
    for (int i = 0; i < 100000 && reader.Next(&m) == 0; ++i) {
        std::uint64_t seen = 0;
        reader.ReadData(
            m, [&](const std::uint8_t*, std::size_t n) { return (seen += n) <= size; }, buffer.data(),
            buffer.size());
    }
    return 0;
}
