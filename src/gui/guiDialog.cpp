#include "gui/guiDialog.h"

#include "gui/guiPainter.h"
#include "gui/guiPicture.h"
#include "gui/guiRedraw.h"
#include "platform/Os.h"

#include <algorithm>

std::vector<guiDialog*> g_topLevelDialogs;
std::atomic<guiDialog*> g_currentPage{nullptr};
std::atomic<guiMsgBox*> g_modalBox{nullptr};
std::atomic<bool> g_active{false};
std::atomic<bool> g_leaving{false};
std::atomic<bool> g_pageInputBlocked{false};

std::recursive_mutex& GuiLock() {
    static std::recursive_mutex lock;
    return lock;
}

guiDialog::~guiDialog() {
    title.clear();
}

bool guiDialog::AddPicture(const char* fileName) {
    auto* picture = new guiPicture;
    if (!picture->Load(fileName, false)) {
        delete picture;
        return false;
    }
    AddChild(picture);
    return true;
}

void AddTopLevelDialog(guiDialog* dialog) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_topLevelDialogs.erase(std::remove(g_topLevelDialogs.begin(), g_topLevelDialogs.end(), dialog),
                            g_topLevelDialogs.end());
    g_topLevelDialogs.push_back(dialog);
    dialog->visible = 0;
}

bool ShowPage(guiDialog* dialog) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    if (guiDialog* current = g_currentPage) current->visible = 0;
    g_currentPage = dialog;
    dialog->visible = 1;
    MarkDirty(); // the new page's update pass (its title, its bar) follows
    DrawAll();
    return false;
}

bool DrawAll() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    for (std::size_t i = 0; i < g_topLevelDialogs.size(); ++i)
        if (g_topLevelDialogs[i]->visible) g_topLevelDialogs[i]->Draw();
    if (g_painter) g_painter->Present();
    NoteFrame();
    return false;
}

bool UpdateAll() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    for (std::size_t i = 0; i < g_topLevelDialogs.size(); ++i)
        if (g_topLevelDialogs[i]->visible) g_topLevelDialogs[i]->Update();
    bool pageResult = false;
    if (guiDialog* page = g_currentPage) pageResult = page->Update();
    if (guiMsgBox* box = g_modalBox) return box->Update();
    return pageResult;
}
