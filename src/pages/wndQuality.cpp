#include "pages/wndQuality.h"

#include "engine/Extractor.h"
#include "engine/InstallJournal.h"
#include "pages/PageBuild.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Text.h"

guiCheckBox* g_qualityLow = nullptr;
guiCheckBox* g_qualityHigh = nullptr;

namespace {

// The two boxes are a pair: checking one clears the other; both may be clear.
int OnLow(guiWidget*) {
    if (g_qualityHigh) g_qualityHigh->checked = 0;
    return 0;
}
int OnHigh(guiWidget*) {
    if (g_qualityLow) g_qualityLow->checked = 0;
    return 0;
}
int OnOk(guiWidget*) {
    g_installer.wndQuality.Apply();
    return 0;
}

// A coordinate of the table, or its default when the key is missing or empty.
int Coordinate(const char* key, int fallback) {
    if (!*g_strings.GetText(key)) return fallback;
    return g_strings.GetNumber(key);
}

guiCheckBox* AddBox(wndQuality& page, int x, int y, guiCallback fn) {
    auto* box = new guiCheckBox;
    box->rect = {x, y, 20, 20};
    box->checked = 0;
    page.AddChild(box);
    page.RegisterCallback(box, fn);
    return box;
}

} // namespace

bool wndQuality::Create() {
    if (!BeginCreate(*this)) return false;
    bool ok = AddPicture("back_quality.tga");
    int y = Coordinate("QUALITY_Y", 280);
    lowBox = g_qualityLow = AddBox(*this, Coordinate("QUALITY1_X", 243), y, OnLow);
    highBox = g_qualityHigh = AddBox(*this, Coordinate("QUALITY2_X", 382), y, OnHigh);
    okButton = AddSelectButton(*this, "text_select.tga", {0, 177, 550, 20}, OnOk);
    rows = AddRowTracker(*this, {0, 177, 550, 20}, {okButton});
    label = AddLabel(*this, "text_quality.tga", {0, 181, 550, 20});
    guiDialog::Create();
    SetKeyboard(okButton, nullptr); // no way back: the game is in place
    return ok;
}

const char* wndQuality::ChosenPackage() const {
    if (lowBox && lowBox->checked) return "settingsLow.pak";
    if (highBox && highBox->checked) return "settingsHigh.pak";
    return nullptr;
}

void wndQuality::Apply() {
    CInstaller& in = g_installer;
    // One OK, one finishing: a second click (its program waited for) finds the finishing begun.
    if (in.finishing) return;
    const char* package = ChosenPackage();
    if (!package) return;
    in.finishing = true;
    g_pageInputBlocked = true;
    os::SetCurrentDir(in.sourceDir.c_str());
    std::string target = text::Fit(os::AnsiToOemText(in.gameDir.c_str()), text::kMaxPath);
    std::size_t logged = in.installedFiles.size();
    if (JournalKey(g_journal.Target()) != JournalKey(in.gameDir)) g_journal.Begin(in.gameDir);
    if (g_journal.PreparePackage(package) && ExtractPackage(package, target.c_str())) {
        g_journal.MarkDone(journal::kPresetPart);
    } else {
        // The game itself is complete: the preset is told about, undone, and the finishing goes on.
        g_journal.UndoUnfinishedPart();
        in.installedFiles.resize(logged);
    }
    in.FinishInstall();
}
