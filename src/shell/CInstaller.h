// The one installer object: shared state of the shell, the wizard and the engine.
#pragma once

#include "gui/guiDialog.h"
#include "gui/guiRect.h"
#include "pages/wndInstall.h"
#include "pages/wndLicense.h"
#include "pages/wndOptions.h"
#include "pages/wndPlay.h"
#include "pages/wndProgress.h"
#include "pages/wndQuality.h"
#include "pages/wndSelLang.h"
#include "platform/Os.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CInstaller {
  public:
    CInstaller();
    ~CInstaller();
    CInstaller(const CInstaller&) = delete;
    CInstaller& operator=(const CInstaller&) = delete;

    // ---- the window and the main loop ----
    // Opens the window, loads the texts and shows the first page of the flow; false after telling why.
    bool Init(void* instance);
    // Keeps the toolkit drawing until WM_QUIT or until the game's engine window exists.
    bool Run();

    // ---- engine: install log and finishing steps ----
    bool IsAlreadyInstalled();
    void FinishInstall();

    // ---- shell (registry, shell and language services) ----
    bool ReadExeCDPath();
    void WriteExeCDPath();
    bool ReadMediaDir();
    void DefaultGameDir();
    bool SetMediaDir(const char* folder);
    void BrowseForGameDir();
    void OpenHomepage();
    void OpenReadme();
    std::int32_t CreateShortcut(const std::u16string& target, const std::u16string& name,
                                const std::u16string& workingDir, const std::u16string& folder);
    void RecordInstalledFile(const std::u16string& path, bool record);

    // ---- maintenance page ----
    void RunGame();
    void RunUninstaller();

    std::string gameDir;
    std::string cdDrive;
    std::string homepageUrl;
    std::string supportUrl;
    std::string sourceDir;
    std::string mediaDir;
    std::vector<std::string> installedFiles;
    // Flags shared between the main thread and the install worker.
    std::atomic<bool> cancelConfirmed{false};
    std::atomic<bool> confirmShowing{false};
    std::atomic<bool> finishing{false};
    std::atomic<bool> copyComplete{false};
    // From the start of the copy's thread until it has ended (succeeded, or undone and back on the
    // welcome page).
    std::atomic<bool> copyRunning{false};
    // The end of the session is held off with a reason (the window's thread sets and clears it).
    bool shutdownBlocked = false;
    bool additionalInstall = false;
    std::atomic<bool> shutdownPending{false};
    os::Handle workerThread = 0;
    ::wndLicense wndLicense;
    ::wndOptions wndOptions;
    ::wndPlay wndPlay;
    ::wndProgress wndProgress;
    ::wndQuality wndQuality;
    ::wndSelLang wndSelLang;
    ::wndInstall wndInstall;
    std::unique_ptr<guiYesNoBox> yesNoBox;
    std::unique_ptr<guiOkBox> okBox;
    os::Window hwnd = nullptr;
    os::Rect workArea;
    guiRect dialogRect;
    std::atomic<bool> windowActive{true}; // read by the worker too
    void* hInstance = nullptr;
    bool createIcons = true;
    bool keyDown = false;
};

extern CInstaller g_installer;

// The wizard rectangle: 550 by 440 (scale times that on a high-DPI display), centred in the work area.
constexpr int kWizardWidth = 550;
constexpr int kWizardHeight = 440;
guiRect WizardRect(const os::Rect& workArea, int scale = 1);
// The scale of the wizard for a display of dpi dots per inch and the installer's work area.
int WizardScaleFor(int dpi, const os::Rect& workArea);
// The wizard placed and scaled in the area for a display of dpi: at the start in the work area, and in
// the window's client area when the window is told its display's DPI changed.
void PlaceWizard(CInstaller& installer, int dpi, const os::Rect& area);

// The language page comes first only when this is set.
constexpr bool kShowLanguagePageFirst = false;

enum class InstallFlow { Additional, Maintenance, Fresh };
InstallFlow ChooseFlow(bool additionalInstall, bool alreadyInstalled, bool pendingInstallation = false);

// The single-instance guard, held from start-up until the end of the process.
extern os::Handle g_instanceMutex;
constexpr const char* kInstanceMutexName = "Brightvale.Setup.SingleInstance.Mx";
