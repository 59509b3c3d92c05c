// The main window's refusals before an install starts: a poor network check result and a
// folder that cannot be created keep the page and start nothing.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/RegistryOverride.h"
#include "tests/ui_main_window/PromptAnswerer.h"
#include "ui/MainWnd.h"
#include "ui/WindowShadow.h"
#include "uifw/Containers.h"
#include "utils/InstallerSettings.h"
#include "utils/Registry.h"

namespace {

class MainWindowRefusals : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CWindowShadow::Initialize(::GetModuleHandleW(nullptr)); }

  void SetUp() override {
    ASSERT_TRUE(registry_.Active());
    Utils::Settings() = Utils::InstallerSettings();
    // Nothing here may reach a real server.
    Utils::Settings().DownloadUrl = L"http://127.0.0.1:9/never.exe";
    window_ = std::make_unique<CMainWnd>();
    ASSERT_NE(window_->Create(nullptr, L"青蓝工坊", WS_OVERLAPPEDWINDOW, 0), nullptr);
    install_ = window_->FindControl(L"customeInstallBtn");
    ASSERT_NE(install_, nullptr);
  }
  void TearDown() override {
    window_.reset();
    Utils::Settings() = Utils::InstallerSettings();
  }

  testing_support::ScopedCurrentUserOverride registry_;
  std::unique_ptr<CMainWnd> window_;
  uifw::Control* install_ = nullptr;
};

// Tests that a network check without connectivity or without internet shows the poor-network
// message and keeps the page, with the install button usable again.
TEST_F(MainWindowRefusals, PoorNetworkShowsTheMessageAndStays) {
  for (uint32_t status : {0x00010000u, 0x00020001u}) {
    SCOPED_TRACE(status);
    PromptAnswerer answer(L"MessageBox2Wnd", 2);
    window_->SendNotify(nullptr, L"checknet", status);  // as the network check's worker does
    EXPECT_TRUE(answer.Join());
    EXPECT_EQ(window_->CurrentPage(), 0);
    EXPECT_TRUE(install_->IsEnabled());
    EXPECT_EQ(window_->Session()->InstallFraction(), 0.0);
  }
}

// Tests that a folder that cannot be created is refused with a message, before any network
// check or download, and the page stays.
TEST_F(MainWindowRefusals, FolderThatCannotBeCreatedIsRefused) {
  Utils::Settings().IsCheckNet = false;
  PromptAnswerer answer(L"MessageBox2Wnd", 2);
  EXPECT_FALSE(window_->StartInstall(L"Q:\\no such drive\\Quillora", true, true));
  EXPECT_TRUE(answer.Join());
  EXPECT_EQ(window_->CurrentPage(), 0);
  EXPECT_TRUE(install_->IsEnabled());
  EXPECT_EQ(window_->InstallMode(), 0);
}

}  // namespace
