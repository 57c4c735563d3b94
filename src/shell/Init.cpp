// CInstaller::Init: the window, the texts and the first page of the flow that this start runs.
#include "engine/Recovery.h"
#include "engine/Registration.h"
#include "gui/guiInput.h"
#include "gui/guiPainter.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/Language.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxes.h"
#include "shell/Registry.h"
#include "shell/Switches.h"
#include "shell/Text.h"
#include "sound/CSoundSlot.h"

guiRect WizardRect(const os::Rect& area, int scale) {
    // Signed and truncating toward zero: a work area smaller than the wizard gives negative offsets.
    int w = kWizardWidth * scale, h = kWizardHeight * scale;
    return {area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2, w, h};
}

int WizardScaleFor(int dpi, const os::Rect& area) {
    return WizardScale(dpi, kWizardWidth, kWizardHeight, area.right - area.left, area.bottom - area.top);
}

void PlaceWizard(CInstaller& in, int dpi, const os::Rect& area) {
    int scale = WizardScaleFor(dpi, area);
    in.dialogRect = WizardRect(area, scale);
    SetDialogArea(in.dialogRect, scale);
}

InstallFlow ChooseFlow(bool additionalInstall, bool alreadyInstalled, bool pendingInstallation) {
    if (additionalInstall) return InstallFlow::Additional;
    // An installation left open is offered first; its pages are those of a fresh installation.
    if (pendingInstallation) return InstallFlow::Fresh;
    return alreadyInstalled ? InstallFlow::Maintenance : InstallFlow::Fresh;
}

namespace {

bool LoadMediaStrings(CInstaller& in) {
    in.ReadMediaDir();
    std::string path = text::Format(text::kMaxPath, "%s\\strings.txt", in.mediaDir.c_str());
    if (g_strings.Load(path.c_str())) return true;
    ReportError("Cannot load string table. Application will terminate.");
    return false;
}

void TitleFromTexts(CInstaller& in) {
    g_wideTitle = g_strings.GetWideText("APP_TITLE");
    text::CutWide(g_wideTitle, kMessageChars - 1);
    os::SetWindowTitleWide(in.hwnd, g_wideTitle);
}

// The toolkit on the window, the wizard rectangle as the dialog area, and a first frame.
void StartPages(CInstaller& in) {
    StartGui(in.hwnd);
    PlaceWizard(in, os::DisplayDpi(in.hwnd), in.workArea);
    DrawAll();
    UpdateAll();
}

// The maintenance page of an installed game, with the addresses its rows open.
void ShowMaintenance(CInstaller& in) {
    ShowPage(&in.wndPlay);
    TitleFromTexts(in);
    in.DefaultGameDir();
    in.homepageUrl = g_strings.GetText("URL_HOMEPAGE");
    in.supportUrl = g_strings.GetText("URL_SUPPORT");
}

// The phase after a restart makes the shortcuts again, as the player chose them.
void DesktopIconChoice(CInstaller& in) {
    std::string value;
    if (reg::ReadString(os::kHkeyCurrentUser, reg::kProductKey, registration::kDesktopIconValue, &value) ==
        reg::ReadResult::Ok)
        in.createIcons = value != "0";
}

} // namespace

bool CInstaller::Init(void* instance) {
    hInstance = instance;
    shutdownPending = false;
    // Read again now that the program has declared its DPI awareness: in real pixels.
    workArea = os::WorkArea();
    os::CreateDir((os::WindowsDir() + "\\Temp").c_str());

    os::WindowClass windowClass{kWindowClassName, os::kCsHRedraw | os::kCsVRedraw, kLargeIconId, kSmallIconId,
                                InstallerWindowProc};
    if (!os::RegisterWindowClass(instance, windowClass)) {
        ReportError("Cannot register window class: %s", kWindowClassName);
        return false;
    }
    hwnd = os::CreateMainWindow(instance, kWindowClassName, g_narrowTitle.c_str(), os::kWsExAppWindow,
                                os::kWsPopup | os::kWsMaximize, workArea);
    if (!hwnd) {
        ReportError("Could not create window");
        return false;
    }
    os::SetWindowTitle(hwnd, g_narrowTitle.c_str());
    // Without questions the window stays hidden: /SILENT shows it once the progress page is up.
    if (!Unattended()) os::ShowAndUpdate(hwnd, os::kSwShow);
    windowActive = true;
    os::ComInitialize();

    // Beside the running program, in the folder only the user and the administrators can write: the
    // elevated program reads no file there that any program of the user's could have put in its place.
    if (!Unattended()) BackgroundMusic().Start((ModuleFolder() + "\\Back.ogg").c_str(), true);

    bool pending = !additionalInstall && HasPendingInstallation();
    InstallFlow flow = ChooseFlow(additionalInstall, IsAlreadyInstalled(), pending);
    // A script installs (again) whatever is there; it has no use for the maintenance page.
    if (Unattended() && flow == InstallFlow::Maintenance) flow = InstallFlow::Fresh;
    switch (flow) {
    case InstallFlow::Additional:
        if (!LoadMediaStrings(*this)) return false;
        DesktopIconChoice(*this);
        AddTopLevelDialog(&wndProgress);
        AddTopLevelDialog(&wndQuality);
        StartPages(*this);
        ShowPage(&wndProgress);
        TitleFromTexts(*this);
        break;
    case InstallFlow::Maintenance:
        if (!LoadMediaStrings(*this)) return false;
        for (guiDialog* page :
             std::initializer_list<guiDialog*>{&wndInstall, &wndOptions, &wndLicense, &wndPlay, &wndProgress})
            AddTopLevelDialog(page);
        StartPages(*this);
        ShowMaintenance(*this);
        break;
    case InstallFlow::Fresh:
        for (guiDialog* page : std::initializer_list<guiDialog*>{&wndInstall, &wndOptions, &wndLicense,
                                                                 &wndPlay, &wndProgress, &wndQuality})
            AddTopLevelDialog(page);
        // The first page goes last: adding wndInstall again moves it to the end of the list.
        AddTopLevelDialog(kShowLanguagePageFirst ? static_cast<guiDialog*>(&wndSelLang) : &wndInstall);
        if (kShowLanguagePageFirst) {
            ShowPage(&wndSelLang);
        } else {
            if (!SelectLanguage(0)) return false;
            ShowPage(&wndInstall);
        }
        StartPages(*this);
        break;
    }

    copyComplete = false;
    if (additionalInstall) {
        copyComplete = true;
        cancelConfirmed = false;
        FinishInstall(); // ends the process; its questions use the system boxes, the skinned ones come next
    }

    yesNoBox = std::make_unique<guiYesNoBox>();
    okBox = std::make_unique<guiOkBox>();
    AddTopLevelDialog(yesNoBox.get());
    AddTopLevelDialog(okBox.get());
    yesNoBox->Create();
    okBox->Create();
    // Asked before the first page takes input; undone, an earlier complete installation is what is left.
    // Without questions, the installation's own flow decides (it knows the folder asked for).
    if (pending && !Unattended() && !OfferRecovery() && IsAlreadyInstalled()) ShowMaintenance(*this);
    return true;
}
