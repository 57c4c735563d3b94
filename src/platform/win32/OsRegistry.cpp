#include "platform/Os.h"
#include "platform/win32/Win32.h"

namespace os {

static HKEY Root(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root));
}

Handle RegOpen(std::uint32_t root, const char* subKey, std::uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(Root(root), subKey, 0, access, &key) != ERROR_SUCCESS) return 0;
    return reinterpret_cast<Handle>(key);
}

Handle RegCreate(std::uint32_t root, const char* subKey, std::uint32_t access) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(Root(root), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
        return 0;
    return reinterpret_cast<Handle>(key);
}

bool RegQuery(Handle key, const char* name, void* data, std::uint32_t* size, std::uint32_t* type) {
    DWORD t = 0, n = *size;
    LONG rc = RegQueryValueExA(reinterpret_cast<HKEY>(key), name, nullptr, &t, static_cast<BYTE*>(data), &n);
    *size = n;
    if (type) *type = t;
    return rc == ERROR_SUCCESS;
}

bool RegSet(Handle key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    return RegSetValueExA(reinterpret_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

void RegClose(Handle key) {
    if (key) RegCloseKey(reinterpret_cast<HKEY>(key));
}

bool RegRemoveValue(Handle key, const char* name) {
    return RegDeleteValueA(reinterpret_cast<HKEY>(key), name) == ERROR_SUCCESS;
}

bool RegRemoveKey(std::uint32_t root, const char* subKey) {
    return RegDeleteKeyA(Root(root), subKey) == ERROR_SUCCESS;
}

bool RegCounts(Handle key, std::uint32_t* subKeys, std::uint32_t* values) {
    DWORD k = 0, v = 0;
    if (RegQueryInfoKeyA(reinterpret_cast<HKEY>(key), nullptr, nullptr, nullptr, &k, nullptr, nullptr, &v,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    *subKeys = k;
    *values = v;
    return true;
}

} // namespace os
