// The installer's registry layout and the operations on it.
#pragma once

#include <cstdint>
#include <string>

namespace reg {
constexpr const char* kProductKey = "SOFTWARE\\Orelwick\\Brightvale";
constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runonce";
constexpr const char* kRunOnceValue = "__OrelwickAdditionalInstallation__";
constexpr const char* kWindowsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr std::uint32_t kValueBytes = 260;

enum class ReadResult { NoKey, NoValue, Ok };
// A REG_SZ value read into a 260-byte buffer.
ReadResult ReadString(std::uint32_t root, const char* key, const char* name, std::string* out);
// Creates or opens the key with full access and writes a REG_SZ value with its terminating zero.
bool WriteString(std::uint32_t root, const char* key, const char* name, const std::string& value);
} // namespace reg

// InstallDir from a process-wide buffer, or null when the key or the value cannot be read, or the value
// is not a folder of the form the installer writes.
const char* ReadInstallDir();
// "X:" (or "X:\") of a CD-ROM drive whose root holds the first disc's marker.
bool IsFirstDiscDrive(const std::string& drive);
bool WriteVersionString(const char* text);
