// Launches the real controller on the simulated platform, as the program entry
// does, and reads what the user would see.
#pragma once

#include "AppDelegate.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace cendrel {

// Notes what the user sees at the moment each lock is requested.
class SnapshotLoader final : public Loader {
public:
    SnapshotLoader(SimLoader& inner, SimStatusBar& bar) : inner_(inner), bar_(bar) {}

    LibraryHandle open(const std::string& path, int mode) override
    {
        const auto menu = bar_.currentMenu();
        seenAtLock.push_back(bar_.shownSymbol().value_or("") + " | " +
                             (menu && !menu->items().empty() ? menu->items()[0]->title() : ""));
        return inner_.open(path, mode);
    }
    FunctionHandle lookup(LibraryHandle library, const std::string& name) override
    {
        return inner_.lookup(library, name);
    }
    bool call(FunctionHandle function) override { return inner_.call(function); }
    void close(LibraryHandle library) override { inner_.close(library); }
    bool startProcess(const std::string& executable, const std::vector<std::string>& arguments) override
    {
        return inner_.startProcess(executable, arguments);
    }

    std::vector<std::string> seenAtLock;

private:
    SimLoader& inner_;
    SimStatusBar& bar_;
};

class ControllerTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        Platform withSnapshots = platform();
        loader = std::make_shared<SnapshotLoader>(sim().loader(), sim().statusBar());
        withSnapshots.loader = loader;
        installPlatform(withSnapshots);
        runLoop().setMouseLocation({700, 450});
    }
    void TearDown() override
    {
        delegate.reset();
        runLoop().runPendingBlocks();
        SimTest::TearDown();
    }

    // What the program entry does.
    void launch()
    {
        delegate = std::make_shared<AppDelegate>();
        sim().application().setDelegate(delegate);
        sim().application().run();
    }

    std::string icon() const { return sim().statusBar().shownSymbol().value_or("(none)"); }
    std::vector<std::string> titles() const { return sim().statusBar().currentMenu()->titles(); }
    std::string statusLine() const { return titles().at(0); }
    std::string toggleTitle() const { return titles().at(2); }
    std::shared_ptr<SimMenuItem> item(const std::string& title) const
    {
        return sim().statusBar().currentMenu()->itemWithTitle(title);
    }
    bool choose(const std::string& title) { return sim().statusBar().chooseMenuItem(title); }
    // The user presses a key combination somewhere; true when it was our hot key.
    bool press(std::uint32_t keyCode, std::uint32_t carbonModifiers)
    {
        const bool hotKey = sim().hotKeyEvents().pressHotKey(keyCode, carbonModifiers);
        runLoop().runPendingBlocks();
        return hotKey;
    }
    bool pressDefault() { return press(37, 0x900); }
    std::size_t locks() const { return loader->seenAtLock.size(); }
    std::size_t menusAttached() const { return sim().statusBar().statusItem()->menuCount(); }
    SimPlatform& sim() const { return const_cast<ControllerTest*>(this)->SimTest::sim(); }

    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<SnapshotLoader> loader;
};

} // namespace cendrel
