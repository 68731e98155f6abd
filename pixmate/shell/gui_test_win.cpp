// Drives the real Pixmate.exe from outside, with Win32 messages as a user's actions send them,
// and reads its window back. Each test starts its own copy on its own free port (the test-only
// PIXMATE_TEST_PORT variable), so tests may run side by side.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <map>
#include <string>

#include "pixmate/shell/control_table.h"
#include "pixmate/shell/host_address.h"
#include "pixmate/shell/test_desktop_win.h"
#include "pixmate/shell/text_win.h"
#include "pixmate/shell/window_search_win.h"
#include "pixmate/shell/winsock_win.h"

namespace pixmate::win {
namespace {

using namespace ui;

const TestDesktop* const kDesktop = TestDesktop::Install();

// A listening socket on a port nobody else uses, held until it goes.
class HeldPort {
  public:
    explicit HeldPort(std::uint16_t port = 0) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        BOOL exclusive = TRUE;
        setsockopt(socket_, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                   reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(socket_, 1);
        int size = sizeof address;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~HeldPort() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;
    std::uint16_t Port() const { return port_; }

  private:
    SOCKET socket_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
};

// A port nobody listens on, for a Pixmate to take.
std::uint16_t FreePort() {
    return HeldPort().Port();
}

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

std::string Text(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    const LRESULT n =
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return Narrow(text);
}

// Pixmate.exe as a test runs it.
class Pixmate {
  public:
    explicit Pixmate(std::uint16_t port) {
        SetEnvironmentVariableW(L"PIXMATE_TEST_PORT", std::to_wstring(port).c_str());
        std::wstring command = L"\"" + BesideThisProgram(L"Pixmate.exe") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.lpDesktop = TestDesktop::Name();
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_) != FALSE;
        SetEnvironmentVariableW(L"PIXMATE_TEST_PORT", nullptr);
        if (started_) window_ = WaitForWindow();
    }
    ~Pixmate() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Pixmate(const Pixmate&) = delete;
    Pixmate& operator=(const Pixmate&) = delete;

    HWND Window() const { return window_; }
    HWND Control(ControlId id) const { return FindDescendant(window_, id); }
    template <typename T>
    HWND Control(ControlRef<T> ref) const {
        return Control(ref.id);
    }
    // The control's place in its container's client area.
    Rect Place(ControlId id) const {
        HWND hwnd = Control(id);
        RECT r{};
        GetWindowRect(hwnd, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    // Exit code, or -1 while it still runs after the timeout.
    long WaitForExit(DWORD timeoutMs) {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

  private:
    HWND WaitForWindow() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            if (HWND found = FindProcessWindow(process_.dwProcessId, L"PixmateMainWindow"))
                return found;
            if (std::chrono::steady_clock::now() > end) return nullptr;
            Sleep(50);
        }
    }

    PROCESS_INFORMATION process_{};
    bool started_ = false;
    HWND window_ = nullptr;
};

class PixmateTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(winsock_.Ok()) << "Winsock for the test's own sockets"; }

    WinsockScope winsock_;
};

// What the address label must show on this host: "ip:" and the first IPv4 address of the host's
// name, or "ip:" alone where the name resolves to nothing (a bare container, for one).
std::string ExpectedAddressLabel() {
    const std::vector<std::string> addresses = pixmate::HostIPv4Addresses(1);
    return addresses.empty() ? "ip:" : "ip:" + addresses.front();
}

bool LooksLikeAddressLabel(const std::string& caption) {
    if (caption == "ip:") return true;
    if (!caption.starts_with("ip:")) return false;
    int dots = 0, digits = 0;
    for (char c : caption.substr(3)) {
        if (c == '.') {
            ++dots;
        } else if (c >= '0' && c <= '9') {
            ++digits;
        } else {
            return false;
        }
    }
    return dots == 3 && digits >= 4;
}

TEST_F(PixmateTest, OpensWithEveryControlInItsStartUpState) {
    Pixmate pixmate(FreePort());
    ASSERT_NE(pixmate.Window(), nullptr);
    HWND window = pixmate.Window();

    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    EXPECT_EQ(Narrow(title), kWindowTitle);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ((Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}),
              kWindowPlace);
    EXPECT_EQ(GetMenu(window), nullptr) << "no visible menu bar";

    // Every control is where the table puts it, in its container, with its caption; the layout
    // of the screenshot area has already run for the empty canvas.
    const std::map<ControlId, Rect> laidOut = {
        {ids::分组框_图.id, {156, 1, 350, 633}}, {ids::分组框_画板.id, {32, 32, 300, 583}},
        {ids::画板_原图.id, {0, 0, 0, 0}},       {ids::纵向滚动条1.id, {8, 9, 16, 583}},
        {ids::横向滚动条1.id, {31, 9, 300, 16}}, {ids::分组框_功能.id, {500, 0, 544, 640}},
    };
    for (const ControlSpec& spec : ControlTable()) {
        SCOPED_TRACE(std::string(spec.name));
        HWND control = pixmate.Control(spec.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control),
                  spec.parent == kMainWindow ? window : pixmate.Control(spec.parent));
        const Rect place = pixmate.Place(spec.id);
        const auto expected = laidOut.find(spec.id);
        if (expected != laidOut.end()) {
            EXPECT_EQ(place, expected->second);
        } else if (spec.kind == ControlKind::kComboBox) {
            // Its height follows the font.
            EXPECT_EQ((Rect{place.left, place.top, place.width, 0}),
                      (Rect{spec.place.left, spec.place.top, spec.place.width, 0}));
        } else {
            EXPECT_EQ(place, spec.place);
        }
        if (spec.kind == ControlKind::kLabel && spec.id != ids::标签14.id) {
            EXPECT_EQ(Text(control), spec.caption);
        }
        if (spec.kind == ControlKind::kButton || spec.kind == ControlKind::kRadioButton ||
            spec.kind == ControlKind::kEditBox) {
            EXPECT_EQ(Text(control), spec.caption);
        }
        if (spec.kind == ControlKind::kRadioButton) {
            EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0),
                      (spec.flags & kTicked) ? BST_CHECKED : BST_UNCHECKED);
        }
    }

    EXPECT_TRUE(LooksLikeAddressLabel(Text(pixmate.Control(ids::标签14))))
        << Text(pixmate.Control(ids::标签14));
    EXPECT_EQ(Text(pixmate.Control(ids::标签14)), ExpectedAddressLabel());
    EXPECT_FALSE(IsWindowEnabled(pixmate.Control(ids::编辑框_相似度2)));
    EXPECT_EQ(SendMessageW(pixmate.Control(ids::选择夹1), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(pixmate.Control(ids::选择夹1), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_TRUE(IsWindowVisible(pixmate.Control(ids::编辑框_相似度)));
    EXPECT_FALSE(IsWindowVisible(pixmate.Control(ids::编辑框_相似度1)));
    EXPECT_FALSE(IsWindowVisible(pixmate.Control(ids::画板_放大1)));
    EXPECT_TRUE(IsWindowVisible(pixmate.Control(ids::树型框1)));
    EXPECT_EQ(SendMessageW(pixmate.Control(ids::树型框1), TVM_GETCOUNT, 0, 0), 0);
    HWND list = pixmate.Control(ids::超级列表框1);
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(pixmate.Control(ids::组合框_手机列表), CB_GETCOUNT, 0, 0), 0);
    EXPECT_FALSE(IsWindowEnabled(pixmate.Control(ids::纵向滚动条1)));
    EXPECT_FALSE(IsWindowEnabled(pixmate.Control(ids::横向滚动条1)));

    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(pixmate.WaitForExit(20000), 0);
}

TEST_F(PixmateTest, AMaximisedWindowTakesTwoCloseRequests) {
    Pixmate pixmate(FreePort());
    HWND window = pixmate.Window();
    ASSERT_NE(window, nullptr);

    SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(IsZoomed(window));
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(pixmate.Place(ids::分组框_功能.id).left, outer.right - outer.left - 564)
        << "laid out when maximised";

    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(pixmate.WaitForExit(1000), -1) << "the first request only restores the window";
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsZoomed(window));
    GetWindowRect(window, &outer);
    EXPECT_EQ((Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}),
              kWindowPlace);
    EXPECT_EQ(pixmate.Place(ids::分组框_功能.id).left, 500);

    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(pixmate.WaitForExit(20000), 0);
}

TEST_F(PixmateTest, AMinimisedWindowClosesAtOnce) {
    Pixmate pixmate(FreePort());
    ASSERT_NE(pixmate.Window(), nullptr);
    SendMessageW(pixmate.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(pixmate.Window()));
    SendMessageW(pixmate.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(pixmate.WaitForExit(20000), 0);
}

TEST_F(PixmateTest, ResizingKeepsTheFunctionPanelAtTheRightEdge) {
    Pixmate pixmate(FreePort());
    HWND window = pixmate.Window();
    ASSERT_NE(window, nullptr);
    for (const Size size : {Size{1250, 1000}, Size{800, 600}, Size{1064, 768}}) {
        SetWindowPos(window, nullptr, 0, 0, size.width, size.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(pixmate.Place(ids::分组框_功能.id), (Rect{size.width - 564, 0, 544, 640}));
        // No screenshot yet: the minimum viewport, nothing to scroll.
        EXPECT_EQ(pixmate.Place(ids::分组框_图.id), (Rect{156, 1, 350, 633}));
        EXPECT_FALSE(IsWindowEnabled(pixmate.Control(ids::纵向滚动条1)));
    }
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(pixmate.WaitForExit(20000), 0);
}

TEST_F(PixmateTest, APortInUseLeavesTheWindowWorking) {
    HeldPort taken;  // another program listens on the port
    Pixmate pixmate(taken.Port());
    ASSERT_NE(pixmate.Window(), nullptr);
    EXPECT_EQ(Text(pixmate.Control(ids::标签14)), ExpectedAddressLabel());
    EXPECT_EQ(SendMessageW(pixmate.Control(ids::组合框_手机列表), CB_GETCOUNT, 0, 0), 0);
    SendMessageW(pixmate.Control(ids::单选框_二值化), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(pixmate.Control(ids::单选框_原图), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(pixmate.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(pixmate.WaitForExit(20000), 0);
}

// A simulated phone keeps calling the port that with-phone-sim gives (tools/phone-sim); once
// Pixmate listens there, the phone is listed in the device box.
TEST_F(PixmateTest, ASimulatedPhoneThatConnectsIsListed) {
    wchar_t text[16] = {};
    if (!GetEnvironmentVariableW(L"PIXMATE_GUI_PHONE_PORT", text, 16)) {
        GTEST_SKIP() << "needs a simulated phone (run under with-phone-sim)";
    }
    Pixmate pixmate(static_cast<std::uint16_t>(std::wcstol(text, nullptr, 10)));
    ASSERT_NE(pixmate.Window(), nullptr);
    HWND box = pixmate.Control(ids::组合框_手机列表);
    // Listed once its four information questions are answered.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (SendMessageW(box, CB_GETCOUNT, 0, 0) != 1 && std::chrono::steady_clock::now() < end)
        Sleep(50);
    ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 1);
    wchar_t item[64] = {};
    SendMessageW(box, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(Narrow(item), "HUAWEI P40 Pro");
    EXPECT_EQ(SendMessageW(box, CB_GETITEMDATA, 0, 0), 1);

    SendMessageW(pixmate.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(pixmate.WaitForExit(20000), 0) << "closes with a phone connected";
}

}  // namespace
}  // namespace pixmate::win
