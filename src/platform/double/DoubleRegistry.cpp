// The test double's registry: keys and values in memory.
#include "platform/double/DoubleInternal.h"

#include <cstring>
#include <set>

namespace os::testdouble {
namespace {

std::string KeyName(std::uint32_t root, const char* subKey) {
    return Lower((root == kHkeyLocalMachine ? std::string("HKLM\\") : std::string("HKCU\\")) + subKey);
}

std::vector<std::string>& OpenKeys() {
    static std::vector<std::string> keys;
    return keys;
}

} // namespace
} // namespace os::testdouble

namespace os {
using namespace testdouble;

Handle RegOpen(std::uint32_t root, const char* subKey, std::uint32_t) {
    std::string name = KeyName(root, subKey);
    if (!Double().registry.count(name)) return 0;
    OpenKeys().push_back(name);
    return OpenKeys().size();
}

Handle RegCreate(std::uint32_t root, const char* subKey, std::uint32_t) {
    std::string name = KeyName(root, subKey);
    if (Double().failingKeys.count(name)) return 0;
    Double().registry[name];
    OpenKeys().push_back(name);
    return OpenKeys().size();
}

bool RegQuery(Handle key, const char* name, void* data, std::uint32_t* size, std::uint32_t* type) {
    if (key == 0 || key > OpenKeys().size()) return false;
    auto& values = Double().registry[OpenKeys()[key - 1]];
    auto it = values.find(Lower(name ? name : ""));
    if (it == values.end()) return false;
    if (type) *type = it->second.type;
    if (it->second.data.size() > *size) {
        *size = static_cast<std::uint32_t>(it->second.data.size());
        return false;
    }
    std::memcpy(data, it->second.data.data(), it->second.data.size());
    *size = static_cast<std::uint32_t>(it->second.data.size());
    return true;
}

bool RegSet(Handle key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    if (key == 0 || key > OpenKeys().size()) return false;
    Double().registry[OpenKeys()[key - 1]][Lower(name ? name : "")] =
        RegValue{type, std::string(static_cast<const char*>(data), size)};
    return true;
}

void RegClose(Handle) {}

bool RegRemoveValue(Handle key, const char* name) {
    if (key == 0 || key > OpenKeys().size()) return false;
    auto it = Double().registry.find(OpenKeys()[key - 1]);
    return it != Double().registry.end() && it->second.erase(Lower(name ? name : "")) == 1;
}

static bool HasSubKeys(const std::string& name) {
    std::string prefix = name + "\\";
    auto it = Double().registry.lower_bound(prefix);
    return it != Double().registry.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

bool RegRemoveKey(std::uint32_t root, const char* subKey) {
    std::string name = KeyName(root, subKey);
    if (!Double().registry.count(name) || HasSubKeys(name)) return false;
    Double().registry.erase(name);
    return true;
}

bool RegCounts(Handle key, std::uint32_t* subKeys, std::uint32_t* values) {
    if (key == 0 || key > OpenKeys().size()) return false;
    const std::string& name = OpenKeys()[key - 1];
    auto it = Double().registry.find(name);
    if (it == Double().registry.end()) return false;
    std::set<std::string> children;
    std::string prefix = name + "\\";
    for (auto k = Double().registry.lower_bound(prefix);
         k != Double().registry.end() && k->first.compare(0, prefix.size(), prefix) == 0; ++k)
        children.insert(k->first.substr(prefix.size(), k->first.find('\\', prefix.size()) - prefix.size()));
    *subKeys = static_cast<std::uint32_t>(children.size());
    *values = static_cast<std::uint32_t>(it->second.size());
    return true;
}

} // namespace os
