#include "pixmate/shell/program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pixmate/shell/memory_window.h"

namespace pixmate {
namespace {

using namespace ui;

using Log = std::vector<std::string>;

class RecordingLink : public PhoneLink {
  public:
    explicit RecordingLink(Log& log, bool starts = true) : log_(log), starts_(starts) {}
    void CreateRegistryLock() override { log_.push_back("lock"); }
    bool StartServer(std::uint16_t port) override {
        log_.push_back("start " + std::to_string(port));
        return starts_;
    }
    void StopServer() override { log_.push_back("stop"); }

  private:
    Log& log_;
    bool starts_;
};

struct StartedProgram {
    explicit StartedProgram(std::vector<std::string> addresses, bool serverStarts = true)
        : link(log, serverStarts),
          program(window,
                  {link, [addresses] { return addresses; },
                   [this] {
                       log.push_back("magnifier, label " + window.Get(ids::标签14).Caption());
                   }}) {
        window.Open();
    }
    Log log;
    MemoryMainWindow window;
    RecordingLink link;
    Program program;
};

TEST(Program, CreatedEventStartsTheLinkShowsTheFirstAddressThenPreparesTheMagnifier) {
    StartedProgram p({"192.168.1.7", "10.0.0.2"});
    EXPECT_EQ(p.log, (Log{"lock", "start 12345", "magnifier, label ip:192.168.1.7"}));
    EXPECT_EQ(p.window.Get(ids::标签14).Caption(), "ip:192.168.1.7");
    EXPECT_TRUE(p.program.ServerStarted());
}

TEST(Program, APortInUseLeavesTheWindowWorkingAndTheAddressShown) {
    StartedProgram p({"192.168.1.7"}, /*serverStarts=*/false);
    EXPECT_FALSE(p.program.ServerStarted());
    EXPECT_EQ(p.window.Get(ids::标签14).Caption(), "ip:192.168.1.7");
    EXPECT_EQ(p.window.Get(ids::组合框_手机列表).ItemCount(), 0);
    EXPECT_EQ(p.log.back(), "magnifier, label ip:192.168.1.7");
}

TEST(Program, NoAddressShowsTheBarePrefix) {
    StartedProgram p({});
    EXPECT_EQ(p.window.Get(ids::标签14).Caption(), "ip:");
    EXPECT_EQ(AddressCaption(std::vector<std::string>{"10.1.2.3"}), "ip:10.1.2.3");
}

TEST(Program, TheServerListensOnThePortItIsGiven) {
    Log log;
    MemoryMainWindow window;
    RecordingLink link(log);
    Program program(window, {link, {}, {}, 40123});
    window.Open();
    EXPECT_EQ(log, (Log{"lock", "start 40123"}));
    EXPECT_EQ(window.Get(ids::标签14).Caption(), "ip:");
}

TEST(Program, AMaximisedWindowIsRestoredAndTheCloseRefused) {
    StartedProgram p({"10.0.0.1"});
    int sizeEvents = 0;
    p.window.onSizeChanged = [&] { ++sizeEvents; };

    p.window.UserMaximises();
    EXPECT_FALSE(p.window.UserRequestsClose());
    EXPECT_EQ(p.window.State(), WindowState::kNormal);
    EXPECT_EQ(p.window.OuterSize(), (Size{1064, 768}));
    EXPECT_EQ(sizeEvents, 2) << "maximised, then restored by the refused close";
    EXPECT_FALSE(p.window.Closed());
    EXPECT_TRUE(p.window.UserRequestsClose());
}

TEST(Program, NormalAndMinimisedWindowsCloseAtOnce) {
    for (WindowState state : {WindowState::kNormal, WindowState::kMinimised}) {
        StartedProgram p({});
        p.window.SetState(state);
        EXPECT_TRUE(p.window.UserRequestsClose());
        EXPECT_EQ(p.window.State(), state);
    }
}

// A piece of process-wide state that notes when it is released.
struct Recorder {
    Recorder(Log& log, std::string name) : log(log), name(std::move(name)) {}
    ~Recorder() { log.push_back(name); }
    Log& log;
    std::string name;
};

TEST(Program, ReleaseStopsTheServerThenFreesTheStateFirstMadeFirst) {
    Log log;
    RecordingLink link(log);
    ProcessState state;
    for (const char* name : {"DeviceList", "SearchRegion", "TemplateRect", "MagnifierBitmap",
                             "ScreenshotImage", "CanvasGeometry", "CellColourTable", "server"}) {
        state.Create<Recorder>(log, name);
    }
    ReleaseAtEnd(link, state);
    EXPECT_EQ(log, (Log{"stop", "DeviceList", "SearchRegion", "TemplateRect", "MagnifierBitmap",
                        "ScreenshotImage", "CanvasGeometry", "CellColourTable", "server"}));
    EXPECT_TRUE(state.Empty());
    state.Release();  // nothing left, nothing twice
    EXPECT_EQ(log.size(), 9u);
}

}  // namespace
}  // namespace pixmate
