// The main window with a language combo box and a language table in its skin: the start
// choice, the user's choice, the installed copy's language and the code the package gets.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/RegistryOverride.h"
#include "tests/ui_main_window/PromptAnswerer.h"
#include "tests/uifw/SkinTestSupport.h"
#include "ui/LanguageChoice.h"
#include "ui/MainWnd.h"
#include "ui/WindowShadow.h"
#include "uifw/Combo.h"
#include "uifw/Controls.h"
#include "uifw/Framework.h"
#include "uifw/LanguageTable.h"
#include "utils/InstallerSettings.h"
#include "utils/Registry.h"

namespace {

class LanguageWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CWindowShadow::Initialize(::GetModuleHandleW(nullptr)); }

  void SetUp() override {
    ASSERT_TRUE(registry_.Active());
    Utils::Settings() = Utils::InstallerSettings();
    uifw::LanguageTexts().Clear();
  }
  void TearDown() override {
    window_.reset();
    uifw::LanguageTexts().Clear();
    Utils::Settings() = Utils::InstallerSettings();
    if (!installed_.empty()) std::filesystem::remove_all(installed_);
  }

  // Creates the main window (hidden) and looks up the language controls.
  void Open() {
    window_ = std::make_unique<CMainWnd>();
    ASSERT_NE(window_->Create(nullptr, L"青蓝工坊", WS_OVERLAPPEDWINDOW, 0), nullptr);
    combo_ = window_->FindControlAs<uifw::Combo>(L"languageCombo");
    language_ = window_->FindControlAs<uifw::Label>(L"lbLanguage");
    installPath_ = window_->FindControlAs<uifw::Label>(L"lbInstallPath");
    ASSERT_NE(combo_, nullptr);
    ASSERT_NE(language_, nullptr);
    ASSERT_NE(installPath_, nullptr);
  }

  std::wstring Text(const wchar_t* name) const {
    uifw::Control* control = window_->FindControl(name);
    return control ? control->Text() : L"<missing>";
  }

  // The width ApplyLanguage gives a label: its text measured in its font plus its left padding.
  int ExpectedWidth(uifw::Label& label) const {
    return window_->MeasureText(label, label.Text()).cx + label.TextPadding().left;
  }

  testing_support::ScopedCurrentUserOverride registry_;
  std::unique_ptr<CMainWnd> window_;
  uifw::Combo* combo_ = nullptr;
  uifw::Label* language_ = nullptr;
  uifw::Label* installPath_ = nullptr;
  std::filesystem::path installed_;
};

// Tests that "-language=9" selects Japanese whatever the Windows language, gives the controls
// the Japanese texts with widths fitted to them, and hands "ja-JP" to the package.
TEST_F(LanguageWindowTest, CommandLineLanguageIsSelectedAndApplied) {
  Utils::Settings().Language = 9;
  Open();
  EXPECT_EQ(combo_->CurSel(), 9);
  EXPECT_EQ(combo_->Text(), L"日本語");
  EXPECT_EQ(Text(L"lbLanguage"), L"言語：");
  EXPECT_EQ(Text(L"lbInstallPath"), L"インストール先：");
  EXPECT_EQ(Text(L"backBtn"), L"戻る");
  EXPECT_EQ(Text(L"customeBtn"), L"カスタム");
  EXPECT_EQ(window_->SelectedLanguageCode(), L"ja-JP");
  EXPECT_EQ(Utils::Settings().Language, 9);
  EXPECT_GT(language_->FixedWidth(), language_->TextPadding().left);
  EXPECT_EQ(language_->FixedWidth(), ExpectedWidth(*language_));
  EXPECT_EQ(installPath_->FixedWidth(), ExpectedWidth(*installPath_));
}

// Tests that choosing another item applies its texts, refits the labels to the new, longer
// texts, stores the index and changes the package's language code.
TEST_F(LanguageWindowTest, ChoosingAnItemAppliesItsLanguage) {
  Utils::Settings().Language = 0;
  Open();
  ASSERT_EQ(Text(L"lbLanguage"), L"Language:");
  const int englishWidth = language_->FixedWidth();

  ASSERT_TRUE(combo_->SelectItem(5, true));  // as the popup list does when the user picks it
  EXPECT_EQ(Text(L"lbLanguage"), L"Sprache der Installation:");
  EXPECT_EQ(Text(L"lbInstallPath"), L"Installieren nach:");
  EXPECT_EQ(Text(L"customeBtn"), L"Benutzerdefiniert");
  EXPECT_GT(language_->FixedWidth(), englishWidth);
  EXPECT_EQ(language_->FixedWidth(), ExpectedWidth(*language_));
  EXPECT_EQ(Utils::Settings().Language, 5);
  EXPECT_EQ(window_->SelectedLanguageCode(), L"de-DE");

  // A language the table has no texts for shows empty texts rather than stale ones.
  ASSERT_TRUE(combo_->SelectItem(10, true));
  EXPECT_EQ(Text(L"lbLanguage"), L"");
  EXPECT_EQ(window_->SelectedLanguageCode(), L"ko-KR");
}

// Tests that the product name label is exactly as wide as the name in its font.
TEST_F(LanguageWindowTest, ProductNameLabelFitsTheName) {
  Open();
  auto* name = window_->FindControlAs<uifw::Label>(L"softNameLbl");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->Text(), L"青蓝工坊");
  const int width = window_->MeasureText(*name, L"青蓝工坊").cx;
  // Four ideographs of an 18-pixel font.
  EXPECT_GE(width, 4 * 14);
  EXPECT_LE(width, 4 * 24);
  EXPECT_EQ(name->FixedWidth(), width);
}

// Tests that an installed copy's "config.ini" language is preselected (and one without the
// file gives "en-US") before the installed-copy prompt, which is then closed.
TEST_F(LanguageWindowTest, InstalledCopyLanguageIsPreselected) {
  struct Case {
    const char* configIni;  // nullptr: no config.ini
    int expected;
    const wchar_t* label;
  };
  for (const Case& c : {Case{"[Install]\r\nLanguage=fr-FR\r\n", 6, L"Langue :"}, Case{nullptr, 0, L"Language:"}}) {
    SCOPED_TRACE(c.configIni ? c.configIni : "no config.ini");
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    installed_ = std::filesystem::path(temp) / L"QuilloraLanguageTest";
    std::filesystem::remove_all(installed_);
    std::filesystem::create_directories(installed_);
    if (c.configIni) std::ofstream(installed_ / L"config.ini", std::ios::binary) << c.configIni;
    ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", installed_.wstring()));

    Utils::Settings().Language = 9;
    Open();
    ASSERT_EQ(combo_->CurSel(), 9);
    // Answered with its close button (result 2), which closes the installer.
    PromptAnswerer answer(L"InstalledPathTipWnd", 2);
    ASSERT_TRUE(skin_test::PumpUntil([&] { return !::IsWindow(window_->Handle()); }));
    EXPECT_TRUE(answer.Join());
    EXPECT_EQ(combo_->CurSel(), c.expected);
    EXPECT_EQ(Text(L"lbLanguage"), c.label);
    EXPECT_EQ(window_->SelectedLanguageCode(), language::CodeOf(c.expected));
    EXPECT_EQ(Utils::Settings().Language, c.expected);
    window_.reset();
    std::filesystem::remove_all(installed_);
  }
}

// Tests the popup list itself: picking its second entry with the keyboard selects "zh-CN".
TEST_F(LanguageWindowTest, PopupListChoosesAnItem) {
  Utils::Settings().Language = 0;
  Open();
  ::ShowWindow(window_->Handle(), SW_SHOW);
  ::SetForegroundWindow(window_->Handle());
  // The menu runs its own loop inside the click; keys posted to it beforehand are read there.
  std::thread keys([] {
    HWND menu = nullptr;
    for (int i = 0; i < 200 && !menu; ++i) {
      ::Sleep(25);
      menu = ::FindWindowW(L"#32768", nullptr);
    }
    if (!menu) return;
    ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  combo_->Activate();
  keys.join();
  EXPECT_EQ(combo_->CurSel(), 1);
  EXPECT_EQ(Text(L"lbLanguage"), L"语言：");
  EXPECT_EQ(window_->SelectedLanguageCode(), L"zh-CN");
}

// Tests that without "-language" a German Windows user interface selects "de-DE" (this case
// runs in its own test with the German locale).
TEST(GermanUserInterface, SelectsGerman) {
  ASSERT_EQ(::GetUserDefaultUILanguage(), 0x0407) << "run with LC_ALL=de_DE.UTF-8";
  CWindowShadow::Initialize(::GetModuleHandleW(nullptr));
  testing_support::ScopedCurrentUserOverride registry;
  Utils::Settings() = Utils::InstallerSettings();
  CMainWnd window;
  ASSERT_NE(window.Create(nullptr, L"青蓝工坊", WS_OVERLAPPEDWINDOW, 0), nullptr);
  auto* combo = window.FindControlAs<uifw::Combo>(L"languageCombo");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->CurSel(), 5);
  EXPECT_EQ(window.SelectedLanguageCode(), L"de-DE");
  EXPECT_EQ(window.FindControl(L"backBtn")->Text(), L"Zurück");
}

}  // namespace
