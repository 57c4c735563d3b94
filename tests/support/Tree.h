// A host folder read back whole, so a test compares what was written with one EXPECT_EQ.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

// Every file and folder under `at` by relative path (host separators), files with their bytes and
// folders as "<dir>"; empty when the folder is missing. `name` turns each relative path into the form
// the test compares, for names stored in another encoding.
inline std::map<std::string, std::string> Tree(const std::filesystem::path& at,
                                               std::string (*name)(const std::string&) = nullptr) {
    std::map<std::string, std::string> tree;
    if (!std::filesystem::exists(at)) return tree;
    for (auto& e : std::filesystem::recursive_directory_iterator(at)) {
        std::string rel = std::filesystem::relative(e.path(), at).string();
        std::ifstream in(e.path(), std::ios::binary);
        tree[name ? name(rel) : rel] =
            e.is_directory() ? "<dir>" : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return tree;
}
