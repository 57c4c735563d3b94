// The world of the copy's tests: two discs, a target folder on C:, and the scripted extractor library
// loaded as unrar.dll, reaching files through the test double's drive map.
#pragma once

#include "support/Tree.h"
#include "support/World.h"

#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "engine/InstallJournal.h"
#include "engine/ProgressView.h"
#include "platform/double/DoubleThreads.h"

#include <dlfcn.h>
#include <functional>
#include <map>

class CopyWorld : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        fs::create_directories(root / "disc1");
        fs::create_directories(root / "disc2");
        D().drives['D'] = (root / "disc1").string();
        fs::create_symlink(BV_FAKE_EXTRACTOR, root / "c" / "Temp" / "unrar.dll");
        fake = dlopen(BV_FAKE_EXTRACTOR, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(fake, nullptr);
        Fake<void (*)(std::string(*)(const std::string&))>("FakeSetMapper")(
            [](const std::string& p) { return os::testdouble::HostPath(p); });
        Fake<void (*)(std::size_t)>("FakeSetBlock")(4);
        BindExtractor();
        ASSERT_TRUE(ExtractorBound());
        CInstaller& in = g_installer;
        in.gameDir = "C:\\Games\\Brightvale";
        in.workerThread = 0;
        in.sourceDir = "D:\\";
        D().currentDir = "D:\\";
        g_journal.Reset();
        g_progressView = &in.wndProgress;
        g_bytesDone = 0;
        g_bytesTotal = 0;
        g_currentPage = nullptr;
    }
    void TearDown() override {
        os::testdouble::JoinThreads();
        SetBeforeMember(nullptr);
        g_progressView = nullptr;
        g_currentPage = nullptr;
        UnbindExtractor();
        g_journal.Reset();
        dlclose(fake);
        World::TearDown();
    }

    template <typename Fn> Fn Fake(const char* name) {
        void* fn = dlsym(fake, name);
        EXPECT_NE(fn, nullptr) << name;
        return reinterpret_cast<Fn>(fn);
    }
    // Runs on the worker's thread just before each member is written.
    void SetBeforeMember(std::function<void(const std::string&)> hook) {
        beforeMember = std::move(hook);
        Fake<void (*)(std::function<void(const std::string&)>*)>("FakeSetBeforeMember")(
            beforeMember ? &beforeMember : nullptr);
    }

    // A package of the scripted library on a disc ("disc1", "disc2").
    void Package(const std::string& disc, const std::string& name, const std::string& lines) {
        fs::path p = root / disc / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << lines;
    }
    void Marker(const std::string& disc, const std::string& name) { std::ofstream(root / disc / name) << ""; }

    fs::path Target() { return root / "c" / "Games" / "Brightvale"; }
    // How many processes were started whose command line names the program.
    int Started(const std::string& program) {
        int n = 0;
        for (const auto& p : D().processes)
            n += p.commandLine.find(program) != std::string::npos;
        return n;
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (auto& b : D().boxes)
            texts.push_back(b.text);
        return texts;
    }

    void* fake = nullptr;
    std::function<void(const std::string&)> beforeMember;
};
