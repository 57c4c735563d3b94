#include "sound/CSound.h"

#include "sound/CSoundDX.h"

#include <cctype>

namespace {
bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

CSound::~CSound() {
    g_sounds.Remove(this);
}

std::size_t CSoundRegistry::Add(CSound* sound) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!entries[i]) {
            entries[i] = sound;
            return i;
        }
    }
    if (count == entries.size()) entries.resize(entries.size() + entries.size() / 2, nullptr);
    entries[count] = sound;
    return count++;
}

void CSoundRegistry::Remove(CSound* sound) {
    for (std::size_t i = 0; i < count; ++i)
        if (entries[i] == sound) entries[i] = nullptr;
}

CSound* CSoundRegistry::Find(const std::string& alias) const {
    for (std::size_t i = 0; i < count; ++i)
        if (entries[i] && SameText(entries[i]->alias, alias)) return entries[i];
    return nullptr;
}

CSound* GetSound(const char* name, int group) {
    if (!name || !*name) return nullptr;
    if (CSound* loaded = g_sounds.Find(name)) return loaded->Clone();
    auto* sound = new CSoundDX;
    sound->name = std::string(name).substr(0, CSound::kMaxName);
    sound->alias = sound->name;
    sound->SetGroup(group & 3);
    sound->Prepare();
    g_sounds.Add(sound);
    return sound;
}
