// Frames per second of DrawAll for the licence page as the player sees it, composed from the rendered
// sample skins: the background, the label picture, the highlighted row under the pointer and the
// licence in its text box with the scroll bar; then the same page under an open message box. Each
// beside a memcpy of the same bytes (every image byte drawn and the presented back buffer and logos).
// One "name: value" line per figure.
//   bench_draw [SKINS]   SKINS: what scripts/render-skins.sh wrote (rendered into a temporary folder
//                        when not given)
#include "gui/guiButton.h"
#include "gui/guiDialog.h"
#include "gui/guiFont.h"
#include "gui/guiPainter.h"
#include "gui/guiPicture.h"
#include "gui/guiTextBox.h"
#include "platform/double/Double.h"
#include "shell/CInstaller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Forwards to the real painter and counts the bytes of every image drawn and presented.
class CountingPainter : public guiIPainter {
  public:
    int Init(os::Window w) override { return g_painterGDI.Init(w); }
    void DrawImageRect(guiImage* image, int x, int y, const guiRect* source, float opacity) override {
        g_painterGDI.DrawImageRect(image, x, y, source, opacity);
        bytes += static_cast<std::size_t>(source->w) * source->h * BytesPerPixel(image->format);
        ++glyphs;
    }
    void DrawImage(guiImage* image, int x, int y, float opacity) override {
        g_painterGDI.DrawImage(image, x, y, opacity);
        bytes += static_cast<std::size_t>(image->stride) * image->height;
    }
    void SetClipRect(const guiRect* rect) override { g_painterGDI.SetClipRect(rect); }
    int Present() override {
        for (const guiImage* img : {&g_painterGDI.backBuffer, &g_painterGDI.logoLeft,
                                    &g_painterGDI.logoMiddle, &g_painterGDI.logoRight})
            bytes += static_cast<std::size_t>(img->stride) * img->height;
        return g_painterGDI.Present();
    }
    int SetViewport(const guiRect* rect, int scale) override { return g_painterGDI.SetViewport(rect, scale); }
    std::size_t bytes = 0;
    int glyphs = 0;
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Seconds per frame and per copy, the best of several rounds (the machine is shared).
struct Figures {
    std::size_t bytes;
    int glyphs;
    double draw, copy;
};

Figures Measure() {
    CountingPainter counter;
    g_painter = &counter;
    DrawAll();
    g_painter = &g_painterGDI;
    Figures f{counter.bytes, counter.glyphs, 1e9, 1e9};
    const int frames = 400;
    std::vector<std::uint8_t> from(f.bytes, 1), to(f.bytes, 2);
    for (int round = 0; round < 7; ++round) {
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i)
            DrawAll();
        f.draw = std::min(f.draw, Seconds(t0) / frames);
        t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i) {
            from[static_cast<std::size_t>(i) % f.bytes] = static_cast<std::uint8_t>(i);
            std::memcpy(to.data(), from.data(), f.bytes);
        }
        f.copy = std::min(f.copy, Seconds(t0) / frames);
        volatile std::uint8_t sink = to[f.bytes / 2];
        (void)sink;
    }
    return f;
}

void Print(const char* name, const Figures& f) {
    std::printf("%s_glyphs: %d\n%s_bytes_per_frame: %zu\n", name, f.glyphs, name, f.bytes);
    std::printf("%s_draw_fps: %.0f\n%s_memcpy_fps: %.0f\n%s_draw_vs_memcpy: %.2f\n", name, 1.0 / f.draw, name,
                1.0 / f.copy, name, f.draw / f.copy);
}

} // namespace

int main(int argc, char** argv) {
    fs::path root = fs::temp_directory_path() / ("bench_draw." + std::to_string(::getpid()));
    fs::path skins = argc > 1 ? fs::path(argv[1]) : root / "skins";
    fs::create_directories(root / "Media");
    if (argc <= 1) {
        std::string render = "bash '" BV_SOURCE_DIR "/scripts/render-skins.sh' '" BV_SOURCE_DIR
                             "/sample/skins' '" +
                             skins.string() + "'";
        if (std::system(render.c_str()) != 0) {
            std::fprintf(stderr, "bench_draw: cannot render the skins\n");
            return 1;
        }
    }
    if (!fs::exists(skins / "Media" / "back_license.tga")) {
        std::fprintf(stderr, "bench_draw: no rendered skins in %s\n", skins.string().c_str());
        return 1;
    }
    // The media folder as a disc holds it: the shared pictures below the language's folder.
    fs::copy(skins / "Media", root / "Media", fs::copy_options::recursive);
    fs::copy(skins / "MainMedia", root / "Media" / "MainMedia", fs::copy_options::recursive);
    fs::copy_file(BV_SOURCE_DIR "/sample/media/Media/license.txt", root / "Media" / "license.txt");
    os::testdouble::Reset();
    os::testdouble::Double().drives['C'] = root.string();
    os::testdouble::Double().currentDir = "C:\\";
    g_installer.mediaDir = "Media";

    // The licence page, as laid out on the disc.
    guiDialog page;
    page.AddPicture("back_license.tga");
    guiFont font;
    font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false);
    auto* text = new guiTextBox;
    text->rect = {20, 108, 501, 201};
    text->SetFont(&font);
    text->LoadFile("license.txt");
    page.AddChild(text);
    auto* accept = new guiButton;
    accept->rect = {0, 326, 550, 20};
    auto* decline = new guiButton;
    decline->rect = {0, 346, 550, 20};
    page.AddChild(accept);
    page.AddChild(decline);
    auto* label = new guiPicture;
    label->Load("text_license.tga", false);
    label->rect = {0, 329, 550, 80};
    page.AddChild(label);
    auto* acceptOver = new guiWidget;
    acceptOver->image.Load("text_license_accept_over.tga", false);
    acceptOver->rect = {0, 328, 550, 20};
    auto* declineOver = new guiWidget;
    declineOver->image.Load("text_licence_reject_over.tga", false);
    declineOver->rect = {0, 346, 550, 20};
    page.AddChild(acceptOver);
    page.AddChild(declineOver);
    auto* rows = new guiMouseTracker;
    rows->rect = {0, 326, 550, 40};
    rows->AddItem(accept);
    rows->AddItem(decline);
    auto* highlights = new guiMouseTracker;
    highlights->rect = {0, 326, 550, 40};
    highlights->AddItem(acceptOver);
    highlights->AddItem(declineOver);
    page.AddChild(rows);
    page.AddChild(highlights);

    guiOkBox box;
    AddTopLevelDialog(&page);
    int window = 0;
    StartGui(&window);
    guiRect wizard{237, 164, 550, 440};
    g_painter->SetViewport(&wizard);
    g_painter->SetClipRect(nullptr);
    AddTopLevelDialog(&box);
    box.Create();
    g_active = true;
    ShowPage(&page);
    g_mouseX = 100; // on the Accept row
    g_mouseY = 335;
    page.OnMouse(kMouseMove);

    Figures pageOnly = Measure();
    box.SetTexts("Please insert the disc labelled \"Brightvale 2\" into the drive and choose OK.\n",
                 "Brightvale Setup");
    box.visible = 1;
    g_mouseX = 250; // on the OK button
    g_mouseY = 325;
    box.OnMouse(kMouseMove);
    Figures withBox = Measure();

    std::printf("skins: %s\n", skins.string().c_str());
    Print("licence_page", pageOnly);
    Print("with_box", withBox);
    fs::remove_all(root);
    return 0;
}
