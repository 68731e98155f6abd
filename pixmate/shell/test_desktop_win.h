#pragma once
// Tests run their windows on a Wine virtual desktop of their own. On a bare X server (no window
// manager) Wine takes a maximised window back to normal at once and needs two seconds to
// destroy a top-level window; on a virtual desktop Wine manages windows as Windows does, and
// parallel tests do not share one. The calling thread moves to the desktop, and programs it
// starts are put there by naming it in their STARTUPINFO.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace pixmate::win {

class TestDesktop : public ::testing::Environment {
  public:
    static constexpr const wchar_t* kSizesKey = L"Software\\Wine\\Explorer\\Desktops";

    TestDesktop() : name_(L"pixmate-test-" + std::to_wstring(GetCurrentProcessId())) {}

    void SetUp() override {
        // Wine makes a desktop with a configured size a virtual one.
        const wchar_t kSize[] = L"1280x1024";
        RegSetKeyValueW(HKEY_CURRENT_USER, kSizesKey, name_.c_str(), REG_SZ, kSize, sizeof kSize);
        desktop_ = CreateDesktopW(name_.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ASSERT_NE(desktop_, nullptr);
        ASSERT_TRUE(SetThreadDesktop(desktop_));
        ASSERT_NE(GetDesktopWindow(), nullptr);  // starts the desktop
    }
    void TearDown() override { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSizesKey, name_.c_str()); }

    // A thread the test starts begins on the process's own desktop; this moves it here.
    static bool Join() { return SetThreadDesktop(instance_->desktop_) != FALSE; }
    // For STARTUPINFO::lpDesktop of a program started on this desktop.
    static wchar_t* Name() { return instance_->name_.data(); }
    static TestDesktop* Install() {
        instance_ = new TestDesktop;
        ::testing::AddGlobalTestEnvironment(instance_);
        return instance_;
    }

  private:
    static inline TestDesktop* instance_ = nullptr;
    std::wstring name_;
    HDESK desktop_ = nullptr;
};

}  // namespace pixmate::win
