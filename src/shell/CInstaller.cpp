#include "shell/CInstaller.h"

#include "shell/Text.h"

CInstaller g_installer;
os::Handle g_instanceMutex = 0;

CInstaller::CInstaller()
    : sourceDir(text::Fit(os::GetCurrentDir(), text::kMaxPath)), mediaDir("Media"), workArea(os::WorkArea()) {
}

CInstaller::~CInstaller() = default;
