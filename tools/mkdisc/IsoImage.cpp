#include "IsoImage.h"

#include "IsoStream.h"

// Our own use of the image stream, without the burning library.
#define LIBISOFS_WITHOUT_LIBBURN
#include <libisofs/libisofs.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace fs = std::filesystem;

namespace mkdisc {

namespace {

constexpr std::size_t kJolietName = 64; // UTF-16 units a Joliet name may have

std::string IsoError(int code) {
    return iso_error_to_msg(code);
}

struct ImageDeleter {
    void operator()(IsoImage* image) const { iso_image_unref(image); }
};
struct OptsDeleter {
    void operator()(IsoWriteOpts* opts) const { iso_write_opts_free(opts); }
};

// The image of a disc: folders as the paths ask, each file a stream of its host file (or of its size).
bool BuildTree(const DiscLayout& disc, const fs::path* folder, const std::string& volumeId,
               std::unique_ptr<IsoImage, ImageDeleter>* out, std::string* error) {
    StartIsoLibrary();
    IsoImage* raw = nullptr;
    int rc = iso_image_new(volumeId.c_str(), &raw);
    if (rc < 0) return (*error = "cannot start an image: " + IsoError(rc), false);
    std::unique_ptr<IsoImage, ImageDeleter> image(raw);
    iso_image_set_ignore_aclea(raw, 3);
    iso_image_set_application_id(raw, const_cast<char*>("MKDISC"));
    std::map<std::string, IsoDir*> dirs = {{"", iso_image_get_root(raw)}};
    for (const DiscFile& f : disc.files) {
        std::string parent;
        std::size_t at = 0;
        for (std::size_t slash; (slash = f.path.find('/', at)) != std::string::npos; at = slash + 1) {
            std::string path = f.path.substr(0, slash);
            if (!dirs.count(path)) {
                IsoDir* dir = nullptr;
                rc = iso_tree_add_new_dir(dirs[parent], f.path.substr(at, slash - at).c_str(), &dir);
                if (rc < 0) return (*error = "cannot add " + path + " to the image: " + IsoError(rc), false);
                dirs[path] = dir;
            }
            parent = path;
        }
        std::string name = f.path.substr(at);
        for (std::size_t i = 0; i < f.path.size(); ++i) {
            std::size_t end = f.path.find('/', i);
            std::string component = f.path.substr(i, end == std::string::npos ? std::string::npos : end - i);
            std::size_t units = 0;
            for (unsigned char c : component)
                units += (c & 0xC0) != 0x80 ? ((c & 0xF8) == 0xF0 ? 2 : 1) : 0;
            if (units > kJolietName)
                return (*error = "\"" + f.path + "\": a name on a disc image has at most 64 characters",
                        false);
            if (end == std::string::npos) break;
            i = end;
        }
        IsoStream* stream = nullptr;
        std::string host = folder ? (*folder / f.path).string() : std::string();
        rc = MkdiscStreamNew(folder ? host.c_str() : nullptr, f.size, &stream);
        if (rc < 0) return (*error = IsoError(rc), false);
        IsoFile* file = nullptr;
        rc = iso_tree_add_new_file(dirs[parent], name.c_str(), stream, &file); // the file takes the stream
        if (rc < 0) iso_stream_unref(stream);
        if (rc < 0) return (*error = "cannot add " + f.path + " to the image: " + IsoError(rc), false);
        iso_node_set_permissions(reinterpret_cast<IsoNode*>(file), 0444);
    }
    *out = std::move(image);
    return true;
}

bool Options(bool measureOnly, std::unique_ptr<IsoWriteOpts, OptsDeleter>* out, std::string* error) {
    IsoWriteOpts* opts = nullptr;
    int rc = iso_write_opts_new(&opts, 1); // Rock Ridge for the other systems
    if (rc < 0) return (*error = "cannot set up an image: " + IsoError(rc), false);
    out->reset(opts);
    iso_write_opts_set_iso_level(opts, 3); // files over 4 GiB in several extents
    iso_write_opts_set_joliet(opts, 1);
    iso_write_opts_set_will_cancel(opts, measureOnly ? 1 : 0);
    return true;
}

} // namespace

void StartIsoLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        iso_init();
        iso_set_msgs_severities(const_cast<char*>("NEVER"), const_cast<char*>("FATAL"),
                                const_cast<char*>(""));
        iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
        std::atexit(iso_finish);
    });
}

bool MeasureImage(const DiscLayout& disc, const std::string& volumeId, std::uint64_t* bytes,
                  std::string* error) {
    std::unique_ptr<IsoImage, ImageDeleter> image;
    std::unique_ptr<IsoWriteOpts, OptsDeleter> opts;
    if (!BuildTree(disc, nullptr, volumeId, &image, error) || !Options(true, &opts, error)) return false;
    burn_source* source = nullptr;
    int rc = iso_image_create_burn_source(image.get(), opts.get(), &source);
    if (rc < 0) return (*error = "cannot measure an image: " + IsoError(rc), false);
    *bytes = static_cast<std::uint64_t>(source->get_size(source));
    source->cancel(source);
    source->free_data(source);
    std::free(source);
    return true;
}

bool WriteImage(const DiscLayout& disc, const fs::path& folder, const std::string& volumeId,
                const fs::path& path, Progress* progress, std::uint64_t* bytes, std::string* error) {
    std::unique_ptr<IsoImage, ImageDeleter> image;
    std::unique_ptr<IsoWriteOpts, OptsDeleter> opts;
    if (!BuildTree(disc, &folder, volumeId, &image, error) || !Options(false, &opts, error)) return false;
    burn_source* source = nullptr;
    int rc = iso_image_create_burn_source(image.get(), opts.get(), &source);
    if (rc < 0) return (*error = "cannot make " + path.string() + ": " + IsoError(rc), false);
    std::uint64_t expected = static_cast<std::uint64_t>(source->get_size(source));
    FILE* out = std::fopen(path.c_str(), "wb");
    std::vector<unsigned char> block(kImageBlock); // the stream hands out one block a call
    *bytes = 0;
    bool ok = out != nullptr;
    while (ok) {
        int n = source->read_xt ? source->read_xt(source, block.data(), static_cast<int>(block.size()))
                                : source->read(source, block.data(), static_cast<int>(block.size()));
        if (n == 0) break;
        if (n < 0) {
            ok = false;
            *error = "cannot make " + path.string() + ": a file of the disc could not be read";
            break;
        }
        if (std::fwrite(block.data(), 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
            ok = false;
            *error = "cannot write " + path.string();
        }
        *bytes += static_cast<std::uint64_t>(n);
        progress->Add(static_cast<std::uint64_t>(n));
    }
    if (!ok) source->cancel(source);
    if (out && std::fclose(out) != 0 && ok) {
        ok = false;
        *error = "cannot write " + path.string();
    }
    if (!out) *error = "cannot write " + path.string();
    source->free_data(source);
    std::free(source);
    if (ok && *bytes != expected) {
        *error = path.string() + " came out at " + std::to_string(*bytes) + " bytes instead of " +
                 std::to_string(expected);
        return false;
    }
    return ok;
}

} // namespace mkdisc
