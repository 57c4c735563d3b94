#include "DiscView.h"

#include "IsoImage.h"
#include "Text.h"

#include <libisofs/libisofs.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace fs = std::filesystem;

namespace mkdisc {

namespace {

class FileSource : public rar::Source {
  public:
    explicit FileSource(FILE* f, std::uint64_t base, std::vector<iso_file_section> sections,
                        std::uint64_t size)
        : file(f), base(base), sections(std::move(sections)), size(size) {}
    ~FileSource() override {
        if (file) std::fclose(file);
    }
    std::uint64_t Size() const override { return size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
        if (offset > size || length > size - offset) return false;
        auto* out = static_cast<unsigned char*>(buffer);
        if (sections.empty()) return Raw(base + offset, out, length);
        // A file of an image may lie in several extents.
        std::uint64_t start = 0;
        for (const iso_file_section& s : sections) {
            std::uint64_t end = start + s.size;
            if (offset < end && length > 0) {
                std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, end - offset));
                if (!Raw(std::uint64_t(s.block) * 2048 + (offset - start), out, n)) return false;
                out += n;
                offset += n;
                length -= n;
            }
            start = end;
        }
        return length == 0;
    }

  private:
    bool Raw(std::uint64_t at, unsigned char* out, std::size_t length) {
        return fseeko(file, static_cast<off_t>(at), SEEK_SET) == 0 &&
               std::fread(out, 1, length, file) == length;
    }
    FILE* file;
    std::uint64_t base;
    std::vector<iso_file_section> sections;
    std::uint64_t size;
};

class FolderView : public DiscView {
  public:
    FolderView(const fs::path& root, std::string name) : root(root) {
        label = std::move(name);
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            std::string rel = it->path().lexically_relative(root).generic_string();
            files.push_back(Key(rel));
            hosts[Key(rel)] = it->path();
        }
    }
    std::unique_ptr<rar::Source> Open(const std::string& path) override {
        auto it = hosts.find(Key(path));
        if (it == hosts.end()) return nullptr;
        FILE* f = std::fopen(it->second.c_str(), "rb");
        if (!f) return nullptr;
        std::error_code ec;
        return std::make_unique<FileSource>(f, 0, std::vector<iso_file_section>{},
                                            fs::file_size(it->second, ec));
    }

  private:
    fs::path root;
    std::map<std::string, fs::path> hosts;
};

struct Extent {
    std::vector<iso_file_section> sections;
    std::uint64_t size = 0;
};

class ImageView : public DiscView {
  public:
    static std::unique_ptr<ImageView> Load(const fs::path& image, std::string* error) {
        StartIsoLibrary();
        auto view = std::unique_ptr<ImageView>(new ImageView(image));
        IsoDataSource* source = nullptr;
        IsoReadOpts* opts = nullptr;
        IsoImage* iso = nullptr;
        IsoReadImageFeatures* features = nullptr;
        int rc = iso_data_source_new_from_file(image.c_str(), &source);
        if (rc >= 0) rc = iso_read_opts_new(&opts, 0);
        if (rc >= 0) {
            // Windows reads the Joliet names: so do we.
            iso_read_opts_set_no_rockridge(opts, 1);
            iso_read_opts_set_no_iso1999(opts, 1);
            rc = iso_image_new("", &iso);
        }
        if (rc >= 0) rc = iso_image_import(iso, source, opts, &features);
        if (rc >= 0) {
            view->joliet = iso_read_image_features_has_joliet(features) != 0;
            view->Walk(iso_image_get_root(iso), "");
        } else {
            *error = image.string() + " is not a readable disc image: " + iso_error_to_msg(rc);
        }
        if (features) iso_read_image_features_destroy(features);
        if (iso) iso_image_unref(iso);
        if (opts) iso_read_opts_free(opts);
        if (source) iso_data_source_unref(source);
        return rc >= 0 ? std::move(view) : nullptr;
    }
    std::unique_ptr<rar::Source> Open(const std::string& path) override {
        auto it = extents.find(Key(path));
        if (it == extents.end()) return nullptr;
        FILE* f = std::fopen(image.c_str(), "rb");
        if (!f) return nullptr;
        return std::make_unique<FileSource>(f, 0, it->second.sections, it->second.size);
    }
    bool hasJoliet() const { return joliet; }

  private:
    explicit ImageView(const fs::path& image) : image(image) { label = image.filename().string(); }
    void Walk(IsoDir* dir, const std::string& prefix) {
        IsoDirIter* it = nullptr;
        if (iso_dir_get_children(dir, &it) < 0) return;
        IsoNode* node = nullptr;
        while (iso_dir_iter_next(it, &node) == 1) {
            std::string path = prefix + iso_node_get_name(node);
            if (ISO_NODE_IS_DIR(node)) {
                Walk(reinterpret_cast<IsoDir*>(node), path + "/");
            } else if (ISO_NODE_IS_FILE(node)) {
                IsoFile* file = reinterpret_cast<IsoFile*>(node);
                Extent e;
                int count = 0;
                iso_file_section* sections = nullptr;
                if (iso_file_get_old_image_sections(file, &count, &sections, 0) == 1) {
                    e.sections.assign(sections, sections + count);
                    std::free(sections);
                }
                e.size = static_cast<std::uint64_t>(iso_file_get_size(file));
                files.push_back(Key(path));
                extents[Key(path)] = e;
            }
        }
        iso_dir_iter_free(it);
    }
    fs::path image;
    bool joliet = false;
    std::map<std::string, Extent> extents;
};

} // namespace

std::string DiscView::Key(const std::string& path) {
    std::string key = LowerAscii(path);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

bool DiscView::Exists(const std::string& path) const {
    return std::find(files.begin(), files.end(), Key(path)) != files.end();
}

bool DiscView::Read(const std::string& path, std::string* bytes) {
    auto source = Open(path);
    if (!source || source->Size() > (64u << 20)) return false;
    bytes->assign(static_cast<std::size_t>(source->Size()), '\0');
    return source->ReadAt(0, bytes->data(), bytes->size());
}

bool DiscView::FindSets(const fs::path& folder, std::vector<std::vector<std::unique_ptr<DiscView>>>* sets,
                        std::string* error) {
    std::error_code ec;
    std::vector<std::unique_ptr<DiscView>> folders, images;
    for (int n = 1; n <= 9; ++n) {
        std::string name = "disc" + std::to_string(n);
        if (fs::is_directory(folder / name, ec))
            folders.push_back(std::make_unique<FolderView>(folder / name, name));
        if (fs::is_regular_file(folder / (name + ".iso"), ec)) {
            auto view = ImageView::Load(folder / (name + ".iso"), error);
            if (!view) return false;
            if (!view->hasJoliet())
                return (*error = name + ".iso has no Joliet names, which Windows reads", false);
            images.push_back(std::move(view));
        }
    }
    if (!folders.empty()) sets->push_back(std::move(folders));
    if (!images.empty()) sets->push_back(std::move(images));
    if (sets->empty()) return (*error = folder.string() + " holds no disc1 folder and no disc1.iso", false);
    return true;
}

} // namespace mkdisc
