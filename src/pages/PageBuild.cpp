#include "pages/PageBuild.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"

guiButton* AddSelectButton(guiWidget& page, const char* image, const guiRect& r, guiCallback fn) {
    auto* button = new guiButton;
    button->rect = r;
    button->image.Load(image, false); // a missing highlight leaves the row blank
    page.AddChild(button);
    if (fn) page.RegisterCallback(button, fn);
    return button;
}

guiPicture* AddLabel(guiWidget& page, const char* image, const guiRect& r) {
    auto* label = new guiPicture;
    label->rect = r;
    label->Load(image, false);
    page.AddChild(label);
    return label;
}

guiMouseTracker* AddRowTracker(guiWidget& page, const guiRect& r, std::initializer_list<guiWidget*> items) {
    auto* tracker = new guiMouseTracker;
    tracker->rect = r;
    for (guiWidget* item : items)
        tracker->AddItem(item);
    page.AddChild(tracker);
    return tracker;
}

int OnReadmeRow(guiWidget*) {
    g_installer.OpenReadme();
    return 0;
}

int OnHomepageRow(guiWidget*) {
    g_installer.OpenHomepage();
    return 0;
}

int OnExitRow(guiWidget*) {
    os::PostQuit(0);
    return 0;
}
