// The widget tree's dispatch, the hover tracker, the dialog registry and the modal loop.
#include "support/World.h"

#include "gui/guiDialog.h"
#include "gui/guiPainter.h"
#include "support/CountingPage.h"
#include "support/TgaBytes.h"
#include "support/WaitFor.h"
#include "unit/RecordingPainter.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::vector<std::string> g_log;

class Probe : public guiWidget {
  public:
    explicit Probe(std::string n, bool answer = true) : name(std::move(n)), answer(answer) {}
    bool Draw() override {
        g_log.push_back("draw " + name);
        return true;
    }
    bool OnMouse(int event) override {
        g_log.push_back("mouse " + name + " " + std::to_string(event));
        return answer;
    }
    bool Update() override {
        g_log.push_back("update " + name);
        return true;
    }
    bool OnKey(int code) override {
        g_log.push_back("key " + name + " " + std::to_string(code));
        return answer;
    }
    std::string name;
    bool answer;
};

int Fired(guiWidget* w) {
    g_log.push_back("fired " + static_cast<Probe*>(w)->name);
    return 0;
}

class ProbeDialog : public guiDialog {
  public:
    explicit ProbeDialog(std::string n) : name(std::move(n)) {}
    bool Draw() override {
        g_log.push_back("draw " + name);
        return guiDialog::Draw();
    }
    bool Update() override {
        g_log.push_back("update " + name);
        return updateResult;
    }
    std::string name;
    bool updateResult = false;
};

} // namespace

class Widgets : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        g_log.clear();
        g_mouseX = g_mouseY = 0;
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
        g_modalBox = nullptr;
        g_active = true;
        g_painter = nullptr;
    }
    void TearDown() override {
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
        g_modalBox = nullptr;
        g_active = false;
        World::TearDown();
    }
};

TEST_F(Widgets, HitTestCoversTheDrawnPixelsOnly) {
    guiRect r{10, 10, 20, 20};
    EXPECT_TRUE(HitTest(r, 29, 29));
    EXPECT_FALSE(HitTest(r, 30, 29)) << "the column x + w is the next rectangle's";
    EXPECT_FALSE(HitTest(r, 29, 30));
    EXPECT_TRUE(HitTest(r, 10, 10));
    EXPECT_FALSE(HitTest(r, 9, 10));
}

TEST_F(Widgets, MouseGoesToTheChildrenUnderThePointerUntilOneFires) {
    guiWidget parent;
    auto* a = new Probe("a");
    auto* b = new Probe("b");
    auto* c = new Probe("c");
    a->rect = b->rect = {0, 0, 50, 50};
    c->rect = {100, 100, 10, 10};
    b->visible = 0;
    parent.AddChild(a);
    parent.AddChild(b);
    parent.AddChild(c);
    parent.RegisterCallback(b, Fired);
    g_mouseX = g_mouseY = 20;
    EXPECT_TRUE(parent.OnMouse(kLeftUp));
    EXPECT_EQ(g_log, (std::vector<std::string>{"mouse a 4", "mouse b 4", "fired b"}))
        << "overlapping children in list order; a hidden one still clicks";
    g_log.clear();
    parent.RegisterCallback(a, Fired);
    EXPECT_TRUE(parent.OnMouse(kLeftUp));
    EXPECT_EQ(g_log, (std::vector<std::string>{"mouse a 4", "fired a"})) << "one click, one action";
    g_log.clear();
    parent.Draw();
    EXPECT_EQ(g_log, (std::vector<std::string>{"draw a", "draw c"})) << "only drawing looks at visible";
}

TEST_F(Widgets, KeysReachTheChildrenUntilOneFires) {
    guiWidget parent;
    auto* a = new Probe("a", false);
    auto* b = new Probe("b", true);
    auto* c = new Probe("c", true);
    a->visible = 0;
    parent.AddChild(a);
    parent.AddChild(b);
    parent.AddChild(c);
    parent.RegisterCallback(b, Fired);
    EXPECT_TRUE(parent.OnKey(8));
    EXPECT_EQ(g_log, (std::vector<std::string>{"key a 8", "key b 8", "fired b"}))
        << "hidden or not, in list order, until one fires";
    b->answer = false;
    g_log.clear();
    EXPECT_FALSE(parent.OnKey(35)) << "a child without a callback acting does not count as fired";
    EXPECT_EQ(g_log, (std::vector<std::string>{"key a 35", "key b 35", "key c 35"}));
}

TEST_F(Widgets, AddChildMovesAChildToTheEnd) {
    guiWidget parent;
    auto* a = new Probe("a");
    auto* b = new Probe("b");
    parent.AddChild(a);
    parent.AddChild(b);
    parent.AddChild(a);
    ASSERT_EQ(parent.children.size(), 2u);
    EXPECT_EQ(parent.children[0], b);
    EXPECT_EQ(parent.children[1], a);
    EXPECT_EQ(a->parent, &parent);
}

TEST_F(Widgets, TrackerHoverStates) {
    RecordingPainter painter;
    g_painter = &painter;
    guiWidget page;
    guiWidget* items[3];
    for (int i = 0; i < 3; ++i) {
        items[i] = new guiWidget;
        items[i]->rect = {0, 100 + 30 * i, 200, 20};
        items[i]->image.Allocate(100, 10, PF_BGRA32, false);
        page.AddChild(items[i]);
    }
    auto* tracker = new guiMouseTracker;
    tracker->rect = {0, 100, 200, 80};
    for (auto* item : items)
        tracker->AddItem(item);
    page.AddChild(tracker);
    g_mouseX = 50;
    g_mouseY = 135;
    page.OnMouse(kMouseMove);
    EXPECT_EQ(tracker->hovered, items[1]);
    EXPECT_TRUE(tracker->Draw());
    ASSERT_EQ(painter.calls.size(), 1u);
    // Centred on the second item: 0 + 200 / 2 - 100 / 2 across, 130 + 20 / 2 - 10 / 2 down.
    EXPECT_EQ(painter.calls[0].image, &items[1]->image);
    EXPECT_EQ(painter.calls[0].x, 50);
    EXPECT_EQ(painter.calls[0].y, 135);
    EXPECT_EQ(painter.calls[0].clip, tracker->rect) << "under the tracker's clip";
    EXPECT_EQ(painter.clip, RecordingPainter::kWhole) << "which is reset afterwards";
    g_mouseY = 125; // the gap between the first and the second
    page.OnMouse(kMouseMove);
    EXPECT_EQ(tracker->hovered, nullptr);
    painter.calls.clear();
    EXPECT_TRUE(tracker->Draw());
    EXPECT_TRUE(painter.calls.empty()) << "a gap shows no highlight";
    g_mouseY = 105;
    page.OnMouse(kMouseMove);
    EXPECT_EQ(tracker->hovered, items[0]);
    g_mouseY = 300; // out of the tracker: it sees no event, and keeps its item
    page.OnMouse(kMouseMove);
    EXPECT_EQ(tracker->hovered, items[0]);
    EXPECT_FALSE(tracker->Draw()) << "but draws nothing while the pointer is away";
    EXPECT_TRUE(painter.calls.empty());
    g_mouseY = 105;
    EXPECT_TRUE(tracker->Draw());
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_EQ(painter.calls[0].y, 105);
    EXPECT_FALSE(tracker->OnMouse(kLeftDown));
    EXPECT_EQ(tracker->hovered, items[0]) << "only moves change it";
    g_painter = nullptr;
}

TEST_F(Widgets, AMissingSkinIsTriedOncePerBlit) {
    RecordingPainter recorder;
    guiImage back;
    back.Allocate(50, 50, PF_BGR24, true);
    guiImage missing;
    missing.Load("missing.tga", false);
    int opens = D().fileOpens;
    back.Blit(missing, 0, 0, 1.0f, guiRect{0, 0, 50, 50});
    EXPECT_EQ(D().fileOpens - opens, 1);
    back.BlitRect(missing, 0, 0, guiRect{0, 0, 5, 5}, 1.0f, guiRect{0, 0, 50, 50});
    EXPECT_EQ(D().fileOpens - opens, 2);
    // The tracker with a highlight whose file is missing: one attempt per frame, nothing drawn.
    g_painter = &recorder;
    guiWidget page;
    auto* item = new guiWidget;
    item->rect = {0, 0, 100, 20};
    item->image.Load("missing_over.tga", false);
    page.AddChild(item);
    auto* tracker = new guiMouseTracker;
    tracker->rect = {0, 0, 100, 20};
    tracker->AddItem(item);
    page.AddChild(tracker);
    g_mouseX = g_mouseY = 5;
    page.OnMouse(kMouseMove);
    opens = D().fileOpens;
    page.Draw();
    EXPECT_EQ(D().fileOpens - opens, 1);
    EXPECT_TRUE(recorder.calls.empty());
    g_painter = nullptr;
}

TEST_F(Widgets, RegistryAddShowAndPasses) {
    ProbeDialog a("a"), b("b"), c("c");
    AddTopLevelDialog(&a);
    AddTopLevelDialog(&b);
    AddTopLevelDialog(&c);
    AddTopLevelDialog(&a);
    ASSERT_EQ(g_topLevelDialogs, (std::vector<guiDialog*>{&b, &c, &a})) << "adding again moves it to the end";
    EXPECT_FALSE(a.visible);
    ShowPage(&b);
    EXPECT_EQ(g_currentPage.load(), &b);
    EXPECT_EQ(g_log, (std::vector<std::string>{"draw b"})) << "a frame is drawn";
    ShowPage(&c);
    EXPECT_FALSE(b.visible);
    EXPECT_TRUE(c.visible);
    ShowPage(&c);
    EXPECT_TRUE(c.visible) << "showing the current page keeps it";
    a.visible = 1;
    g_log.clear();
    c.updateResult = true;
    EXPECT_TRUE(UpdateAll());
    EXPECT_EQ(g_log, (std::vector<std::string>{"update c", "update a", "update c"}))
        << "visible dialogs in list order, then the current page again";
    g_log.clear();
    DrawAll();
    EXPECT_EQ(g_log, (std::vector<std::string>{"draw c", "draw a"}));
}

TEST_F(Widgets, AddPictureNeedsItsImage) {
    guiDialog page;
    EXPECT_FALSE(page.AddPicture("missing.tga"));
    EXPECT_TRUE(page.children.empty());
    Write("C:\\Media\\dot.tga", tgabytes::Tga(1, 1, 24, "abc"));
    EXPECT_TRUE(page.AddPicture("dot.tga"));
    EXPECT_EQ(page.children.size(), 1u);
}

TEST_F(Widgets, ModalBoxAnsweredFromAnotherThread) {
    guiYesNoBox box;
    AddTopLevelDialog(&box);
    int result = 0;
    std::thread worker([&] { result = box.Show("Insert disc 2", "Brightvale"); });
    EXPECT_TRUE(WaitFor([&] { return g_modalBox.load() == &box; })) << "the box did not open";
    EXPECT_TRUE(box.visible);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    box.result = 3; // the button's callback, on this thread
    worker.join();
    EXPECT_EQ(result, 3);
    EXPECT_FALSE(box.visible);
    EXPECT_EQ(g_modalBox.load(), nullptr);
    EXPECT_EQ(box.message, "Insert disc 2");
    EXPECT_EQ(box.title, "Brightvale");
}

TEST_F(Widgets, OnlyOneThreadDrawsAtATime) {
    // A dialog that notes how many threads are inside its Draw at once.
    struct Watch : guiDialog {
        std::atomic<int> inside{0}, most{0}, frames{0};
        bool Draw() override {
            int n = ++inside;
            most = std::max(most.load(), n);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            --inside;
            ++frames;
            return true;
        }
    } page;
    guiOkBox box;
    AddTopLevelDialog(&page);
    AddTopLevelDialog(&box);
    ShowPage(&page);
    std::thread worker([&] { box.Show("disc", "Brightvale"); });
    // Show clears the result when it opens: answer only an open box.
    EXPECT_TRUE(WaitFor([&] { return g_modalBox.load() == &box; })) << "the box did not open";
    for (int i = 0; i < 200; ++i) {
        UpdateAll();
        DrawAll();
    }
    box.result = 1;
    worker.join();
    EXPECT_GT(page.frames.load(), 200);
    EXPECT_EQ(page.most.load(), 1);
}

TEST_F(Widgets, AMinimisedWindowKeepsTheBoxWaitingWithoutDrawing) {
    CountingPage page;
    guiOkBox box;
    AddTopLevelDialog(&page);
    AddTopLevelDialog(&box);
    ShowPage(&page);
    g_active = false;
    int before = page.frames;
    std::thread worker([&] { box.Show("m", "c"); });
    EXPECT_TRUE(WaitFor([&] { return g_modalBox.load() == &box; })) << "the box did not open";
    // Counted in the box's own waiting steps, not in real time: each minimised step sleeps 10 ms of the
    // double's time, so twenty of them have passed when it has slept 200 ms more.
    const std::uint32_t slept = os::testdouble::SleptMs();
    EXPECT_TRUE(WaitFor([&] { return os::testdouble::SleptMs() >= slept + 200; })) << "the box stopped waiting";
    int waiting = page.frames - before;
    EXPECT_EQ(waiting, 1) << "only the frame that opened the box";
    g_active = true;
    EXPECT_TRUE(WaitFor([&] { return page.frames - before > 1; })) << "active again: it draws";
    box.result = 1;
    worker.join();
}
