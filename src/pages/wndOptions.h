// Options page: target folder and shortcut choice. Its widgets arrive with the toolkit's controls.
#pragma once

class wndOptions {
  public:
    // Puts gameDir into the folder box; the page has no folder box yet, so there is nothing to refresh.
    void RefreshFolderBox() {}
};
