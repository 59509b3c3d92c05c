#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/uifw/SkinTestSupport.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/WindowContent.h"

using namespace uifw;
using skin_test::Center;

namespace {

// Records every notification of a window's content.
class Recorder : public NotifyReceiver {
 public:
  void Notify(Notification& n) override { seen.push_back(n); }
  std::vector<std::wstring> Types() const {
    std::vector<std::wstring> t;
    for (const auto& n : seen) t.push_back(n.type);
    return t;
  }
  std::vector<Notification> seen;
};

// Tests run on the main window's content at 600 by 400, without a window; clicks are mouse
// presses and releases fed to the content.
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowDescription d;
    ASSERT_TRUE(skin_test::ParseSkin(L"MainWnd.xml", d));
    content_.Attach(std::move(d));
    content_.AddReceiver(&recorder_);
    content_.Layout(SIZE{600, 400});
    tab_ = dynamic_cast<TabLayout*>(content_.FindControl(L"mainTabLt"));
    ASSERT_NE(tab_, nullptr);
  }
  void Click(POINT pt) {
    content_.MouseMove(pt);
    content_.MouseDown(pt);
    content_.MouseUp(pt);
  }
  WindowContent content_;
  Recorder recorder_;
  TabLayout* tab_ = nullptr;
};

}  // namespace

// Tests that clicking a check box sends "click" and then "selectchanged", toggling it.
TEST_F(InputTest, CheckBoxClickSendsClickThenSelectChanged) {
  ASSERT_TRUE(tab_->SelectItem(1, false));
  auto* box = dynamic_cast<CheckBox*>(content_.FindControl(L"createDSCb"));
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(box->IsSelected());
  Click(Center(box->Pos()));
  EXPECT_EQ(recorder_.Types(), (std::vector<std::wstring>{L"click", L"selectchanged"}));
  ASSERT_EQ(recorder_.seen.size(), 2u);
  EXPECT_EQ(recorder_.seen[0].sender, box);
  EXPECT_EQ(recorder_.seen[1].sender, box);
  EXPECT_EQ(recorder_.seen[0].mouse.x, Center(box->Pos()).x);
  EXPECT_FALSE(box->IsSelected());
  Click(Center(box->Pos()));
  EXPECT_TRUE(box->IsSelected());
  EXPECT_EQ(recorder_.seen.size(), 4u);
  // Setting the state without notification, and to the same state, sends nothing.
  box->Selected(false, false);
  box->Selected(false, true);
  EXPECT_EQ(recorder_.seen.size(), 4u);
  box->Selected(true, true);
  EXPECT_EQ(recorder_.Types().back(), L"selectchanged");
}

// Tests hot and pushed states and that a press released elsewhere is no click.
TEST_F(InputTest, ButtonStatesAndCancelledPress) {
  Control* button = content_.FindControl(L"defaultInstallBtn");
  ASSERT_NE(button, nullptr);
  POINT on = Center(button->Pos());
  POINT off{10, 300};
  content_.MouseMove(on);
  EXPECT_EQ(button->State(), static_cast<unsigned>(kStateHot));
  content_.MouseDown(on);
  EXPECT_EQ(button->State(), static_cast<unsigned>(kStateHot | kStatePushed));
  content_.MouseMove(off);
  EXPECT_EQ(button->State() & kStatePushed, 0u);
  content_.MouseUp(off);
  EXPECT_TRUE(recorder_.seen.empty());
  EXPECT_EQ(button->State(), 0u);
  // Disabled controls take no clicks; labels are not clickable at all.
  button->SetEnabled(false);
  Click(on);
  EXPECT_TRUE(recorder_.seen.empty());
  button->SetEnabled(true);
  Click(on);
  ASSERT_EQ(recorder_.Types(), std::vector<std::wstring>{L"click"});
  EXPECT_EQ(recorder_.seen[0].sender, button);
  ASSERT_TRUE(tab_->SelectItem(2, false));
  Click(Center(content_.FindControl(L"progressLb")->Pos()));
  EXPECT_EQ(recorder_.seen.size(), 1u);
}

// Tests that controls on hidden tab pages or hidden layouts cannot be clicked.
TEST_F(InputTest, HiddenControlsTakeNoClicks) {
  Control* chDir = content_.FindControl(L"chDirBtn");
  ASSERT_NE(chDir, nullptr);
  Click(Center(chDir->Pos()));  // page 1 not shown
  Control* custom = content_.FindControl(L"customeBtn");
  custom->SetVisible(false);
  content_.Layout(SIZE{600, 400});
  Click(POINT{530, 370});
  EXPECT_TRUE(recorder_.seen.empty());
}

// Tests tab selection: the current index is accepted without notification, out-of-range
// indexes are refused, a change with notify sends "tabselect" with new and old index.
TEST_F(InputTest, TabSelect) {
  EXPECT_TRUE(tab_->SelectItem(0, true));
  EXPECT_TRUE(recorder_.seen.empty());
  EXPECT_FALSE(tab_->SelectItem(4, true));
  EXPECT_FALSE(tab_->SelectItem(-1, true));
  EXPECT_EQ(tab_->CurrentSel(), 0);
  EXPECT_TRUE(recorder_.seen.empty());
  EXPECT_TRUE(tab_->SelectItem(2, true));
  ASSERT_EQ(recorder_.seen.size(), 1u);
  EXPECT_EQ(recorder_.seen[0].type, L"tabselect");
  EXPECT_EQ(recorder_.seen[0].sender, tab_);
  EXPECT_EQ(recorder_.seen[0].wParam, 2u);
  EXPECT_EQ(recorder_.seen[0].lParam, 0);
  EXPECT_TRUE(tab_->SelectItem(3, false));
  EXPECT_EQ(recorder_.seen.size(), 1u);
  EXPECT_EQ(tab_->CurrentSel(), 3);
  // Only the selected page is hit.
  Control* open = content_.FindControl(L"openProduceBtn");
  EXPECT_EQ(content_.Root()->ControlAt(Center(open->Pos())), open);
}

// Tests that the notification record carries a time stamp and the parameters.
TEST_F(InputTest, SynchronousNotificationRecord) {
  DWORD before = ::GetTickCount();
  content_.SendNotify(content_.Root(), L"install", 3, 4, false);
  ASSERT_EQ(recorder_.seen.size(), 1u);
  const Notification& n = recorder_.seen[0];
  EXPECT_EQ(n.type, L"install");
  EXPECT_EQ(n.sender, content_.Root());
  EXPECT_EQ(n.wParam, 3u);
  EXPECT_EQ(n.lParam, 4);
  EXPECT_GE(n.timestamp, before);
  // Without a window an asynchronous notification has nowhere to go.
  content_.SendNotify(content_.Root(), L"checknet", 1, 0, true);
  content_.DeliverQueuedNotifications();
  EXPECT_EQ(recorder_.seen.size(), 1u);
}

// Tests that the focus control is activated only while a click on it could reach it: shown
// on the current tab page and enabled; a label never is, and a destroyed control is forgotten.
TEST_F(InputTest, FocusControlIsActivatedOnlyWhenReachable) {
  Control* install = content_.FindControl(L"customeInstallBtn");  // on page 1
  ASSERT_NE(install, nullptr);
  EXPECT_FALSE(content_.ActivateFocused());  // no focus yet
  install->SetFocus();
  EXPECT_TRUE(install->IsFocused());
  EXPECT_FALSE(content_.ActivateFocused());  // page 0 is shown
  ASSERT_TRUE(tab_->SelectItem(1, false));
  EXPECT_TRUE(content_.ActivateFocused());   // laid out again for the new page first
  ASSERT_EQ(recorder_.Types(), std::vector<std::wstring>{L"click"});
  EXPECT_EQ(recorder_.seen[0].sender, install);
  install->SetEnabled(false);
  EXPECT_FALSE(content_.ActivateFocused());
  install->SetEnabled(true);

  Control* label = content_.FindControl(L"progressLb");
  label->SetFocus();
  ASSERT_TRUE(tab_->SelectItem(2, false));
  EXPECT_FALSE(content_.ActivateFocused());
  EXPECT_EQ(recorder_.seen.size(), 1u);

  auto* page = dynamic_cast<Container*>(tab_->ChildAt(2));
  ASSERT_NE(page, nullptr);
  auto doomed = std::make_unique<Button>();
  Control* button = page->Add(std::move(doomed));
  button->SetFocus();
  ASSERT_TRUE(page->Remove(button));
  EXPECT_EQ(content_.FocusControl(), nullptr);
}
