#include "pages/wndSelLang.h"

#include "pages/PageBuild.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Language.h"

namespace {
template <int Index> int OnLanguage(guiWidget*) {
    SelectLanguage(Index);
    ShowPage(&g_installer.wndInstall);
    return 0;
}
int OnExit(guiWidget*) {
    os::PostQuit(0);
    return 0;
}
} // namespace

bool wndSelLang::Create() {
    if (!BeginCreate(*this)) return false;
    bool ok = AddPicture("MainMedia\\back_language.tga");
    struct Row {
        const char* image;
        guiCallback fn;
    };
    const Row rows5[5] = {{"MainMedia\\text_language_english.tga", OnLanguage<1>},
                          {"MainMedia\\text_language_french.tga", OnLanguage<2>},
                          {"MainMedia\\text_language_german.tga", OnLanguage<3>},
                          {"MainMedia\\text_language_italian.tga", OnLanguage<4>},
                          {"MainMedia\\text_language_spanish.tga", OnLanguage<5>}};
    for (int i = 0; i < 5; ++i)
        languageButtons[i] = AddSelectButton(*this, rows5[i].image, {0, 308 + 20 * i, 126, 21}, rows5[i].fn);
    exitButton = AddSelectButton(*this, "MainMedia\\text_language_exit.tga", {404, 388, 146, 21}, OnExit);
    rows = AddRowTracker(*this, {0, 307, 550, 100},
                         {languageButtons[0], languageButtons[1], languageButtons[2], languageButtons[3],
                          languageButtons[4], exitButton});
    guiDialog::Create();
    SetKeyboard(nullptr, exitButton); // no control, so nothing for Enter to fall back on
    return ok;
}
