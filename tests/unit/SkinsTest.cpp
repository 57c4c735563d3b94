// Every skin of the sample discs, rendered from its source, loads at its size and depth.
#include "support/World.h"

#include "gui/guiImage.h"

#include <algorithm>
#include <sstream>

class Skins : public World {};

TEST_F(Skins, EveryRenderedSkinLoadsAtItsSizeAndDepth) {
    fs::path src = fs::path(BV_SOURCE_DIR) / "sample" / "skins";
    fs::path out = root / "c" / "skins";
    std::string cmd = "bash '" + (fs::path(BV_SOURCE_DIR) / "scripts" / "render-skins.sh").string() + "' '" +
                      src.string() + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::ifstream list(src / "skins.txt");
    int checked = 0;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, size;
        int depth = 0;
        fields >> name >> size >> depth;
        int w = std::stoi(size.substr(0, size.find('x'))), h = std::stoi(size.substr(size.find('x') + 1));
        std::string windowsName = name;
        std::replace(windowsName.begin(), windowsName.end(), '/', '\\');
        guiImage img;
        ASSERT_TRUE(img.LoadTGA(("C:\\skins\\" + windowsName).c_str())) << name;
        EXPECT_EQ(img.width, w) << name;
        EXPECT_EQ(img.height, h) << name;
        EXPECT_EQ(img.format, depth == 32 ? PF_BGRA32 : PF_BGR24) << name;
        if (name.find("MainMedia/logo") == 0) {
            EXPECT_EQ(w % 4, 0) << name << ": logos are shown as DIBs";
        }
        if (depth == 32) {
            // Something of it shows; a label picture lets the page show between its letters.
            bool clear = false, shown = false;
            for (int row = 0; row < h; ++row)
                for (int x = 0; x < w; ++x) {
                    int a = img.PixelAt(x, row)[3];
                    clear |= a == 0;
                    shown |= a > 0;
                }
            EXPECT_TRUE(shown) << name;
            if (name.find("/text_") != std::string::npos) {
                EXPECT_TRUE(clear) << name;
            }
        }
        ++checked;
    }
    EXPECT_GE(checked, 34);
}
