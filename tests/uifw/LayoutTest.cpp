#include <gtest/gtest.h>

#include "tests/uifw/SkinTestSupport.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/WindowContent.h"

using namespace uifw;

namespace {

// Tests run on the main window's description laid out at 600 by 400, without a window.
class MainLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowDescription d;
    ASSERT_TRUE(skin_test::ParseSkin(L"MainWnd.xml", d, skin_test::SequenceLabelFactory()));
    content_.Attach(std::move(d));
    content_.Layout(SIZE{600, 400});
  }
  RECT Pos(const wchar_t* name) {
    Control* c = content_.FindControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c ? c->Pos() : RECT{};
  }
  static void ExpectRect(const RECT& r, LONG l, LONG t, LONG rr, LONG b, const char* what) {
    EXPECT_EQ(r.left, l) << what;
    EXPECT_EQ(r.top, t) << what;
    EXPECT_EQ(r.right, rr) << what;
    EXPECT_EQ(r.bottom, b) << what;
  }
  WindowContent content_;
};

}  // namespace

// Tests that the root fills the client area although it states 480 by 100.
TEST_F(MainLayoutTest, RootFillsTheClientArea) {
  ExpectRect(Pos(L"winCtn"), 0, 0, 600, 400, "root");
  content_.Layout(SIZE{640, 480});
  ExpectRect(Pos(L"winCtn"), 0, 0, 640, 480, "root resized");
}

// Tests fixed and flexible children sharing the title bar and the client area.
TEST_F(MainLayoutTest, TitleBarAndClientArea) {
  ExpectRect(Pos(L"titleTabLt"), 10, 0, 210, 45, "titleTabLt");
  // 600 - 14 - 72 = 514: the button column starts there.
  ExpectRect(Pos(L"titleGrpCtn"), 514, 12, 586, 36, "titleGrpCtn");
  ExpectRect(Pos(L"minbtn"), 514, 12, 538, 36, "minbtn");
  ExpectRect(Pos(L"closebtn"), 562, 12, 586, 36, "closebtn");
  // Page 1 of the title tab: spacer of 11, then the 64x30 back button.
  ExpectRect(Pos(L"backBtn"), 10, 11, 74, 41, "backBtn");
  // Client row: 1-pixel spacers left and right, the remaining 355 pixels in height.
  ExpectRect(Pos(L"mainTabLt"), 1, 45, 599, 400, "mainTabLt");
}

// Tests centred rows: a fixed control between two flexible spacers that share the rest
// equally.
TEST_F(MainLayoutTest, CentredRows) {
  // Page 0: 45 + 1 + 59 = 105 for the logo row; 598 - 230 = 368 shared as 184 + 184.
  Control* button = content_.FindControl(L"defaultInstallBtn");
  ASSERT_NE(button, nullptr);
  Container* row = dynamic_cast<Container*>(button->Parent());
  ASSERT_NE(row, nullptr);
  ASSERT_EQ(row->Count(), 3u);
  ExpectRect(row->ChildAt(0)->Pos(), 1, 205, 200, 251, "left spacer");
  ExpectRect(button->Pos(), 200, 205, 400, 251, "defaultInstallBtn");
  ExpectRect(row->ChildAt(2)->Pos(), 400, 205, 599, 251, "right spacer");
  Container* page0 = dynamic_cast<Container*>(dynamic_cast<TabLayout*>(content_.FindControl(L"mainTabLt"))->ChildAt(0));
  ASSERT_NE(page0, nullptr);
  Container* inner = dynamic_cast<Container*>(page0->ChildAt(1));
  ASSERT_NE(inner, nullptr);
  Container* logoRow = dynamic_cast<Container*>(inner->ChildAt(1));
  ASSERT_NE(logoRow, nullptr);
  ExpectRect(logoRow->ChildAt(1)->Pos(), 185, 105, 415, 155, "logo");
  // The bottom of page 0: row of 18 above a spacer of 20 and the page's last spacer of 1.
  ExpectRect(Pos(L"customeBtn"), 489, 361, 589, 381, "customeBtn");
  // The hidden agreement layout takes no space: the flexible spacer starts right after the
  // 20-pixel spacer.
  Control* custom = content_.FindControl(L"customeBtn");
  ASSERT_NE(custom, nullptr);
  Container* bottomRow = dynamic_cast<Container*>(custom->Parent());
  ASSERT_NE(bottomRow, nullptr);
  ExpectRect(bottomRow->ChildAt(2)->Pos(), 21, 361, 489, 379, "spacer after the hidden layout");
}

// Tests page 2: the 160x160 animation label centred at the top of its 200-pixel row, the
// progress text and the 520-pixel bar.
TEST_F(MainLayoutTest, ProgressPage) {
  ExpectRect(Pos(L"progressAnLb"), 220, 78, 380, 238, "progressAnLb");
  ExpectRect(Pos(L"progressLb"), 120, 300, 480, 324, "progressLb");
  ExpectRect(Pos(L"installPrg"), 40, 344, 560, 352, "installPrg");
}

// Tests page 1's row of fixed widths followed by one flexible spacer.
TEST_F(MainLayoutTest, CustomInstallPage) {
  // 45 + 1 + 29 + 50 + 44 = 169; 1 + 52 + 70 + 6 = 129.
  ExpectRect(Pos(L"installDirEdit"), 129, 169, 469, 205, "installDirEdit");
  ExpectRect(Pos(L"chDirBtn"), 479, 169, 560, 205, "chDirBtn");
  ExpectRect(Pos(L"createDSCb"), 125, 225, 263, 243, "createDSCb");
  ExpectRect(Pos(L"createQSCb"), 283, 225, 421, 243, "createQSCb");
}

// Tests that padding is an outer margin and that the last flexible child takes the
// rounding remainder.
TEST(LayoutRuleTest, PaddingAndRemainder) {
  const char* xml =
      "<Window><HorizontalLayout><Control name=\"a\" padding=\"10,2,0,3\"/><Control name=\"b\" width=\"7\"/>"
      "<Control name=\"c\"/><Control name=\"d\" height=\"5\" visible=\"false\"/></HorizontalLayout></Window>";
  WindowDescription d;
  ASSERT_TRUE(ParseDescription(xml, nullptr, d));
  WindowContent content;
  content.Attach(std::move(d));
  content.Layout(SIZE{100, 50});
  // 100 - 10 - 7 = 83 over two flexible children: 41 and 42.
  RECT a = content.FindControl(L"a")->Pos();
  RECT b = content.FindControl(L"b")->Pos();
  RECT c = content.FindControl(L"c")->Pos();
  EXPECT_EQ(a.left, 10);
  EXPECT_EQ(a.right, 51);
  EXPECT_EQ(a.top, 2);
  EXPECT_EQ(a.bottom, 47);
  EXPECT_EQ(b.left, 51);
  EXPECT_EQ(b.right, 58);
  EXPECT_EQ(c.left, 58);
  EXPECT_EQ(c.right, 100);
  EXPECT_EQ(c.bottom, 50);
}

namespace {

struct HitCase {
  const wchar_t* file;
  POINT pt;
  LRESULT expected;
  const char* what;
};

}  // namespace

// Tests hit testing: inside the caption band a button stays client area while labels and
// spacers drag the window; below the band everything is client area.
TEST(HitTestTest, CaptionBand) {
  const HitCase cases[] = {
      {L"MainWnd.xml", {5, 5}, HTCAPTION, "spacer in the band"},
      {L"MainWnd.xml", {300, 20}, HTCAPTION, "flexible spacer in the band"},
      {L"MainWnd.xml", {520, 20}, HTCLIENT, "minbtn in the band"},
      {L"MainWnd.xml", {570, 20}, HTCLIENT, "closebtn in the band"},
      {L"MainWnd.xml", {520, 35}, HTCLIENT, "minbtn below the band"},
      {L"MainWnd.xml", {300, 35}, HTCLIENT, "first row below the band"},
      {L"MainWnd.xml", {300, 228}, HTCLIENT, "install button"},
      {L"MessageBox1Wnd.xml", {40, 15}, HTCAPTION, "caption label"},
      {L"MessageBox1Wnd.xml", {5, 15}, HTCAPTION, "spacer"},
      {L"MessageBox1Wnd.xml", {335, 15}, HTCLIENT, "closebtn"},
      {L"MessageBox1Wnd.xml", {180, 100}, HTCLIENT, "text label below the band"},
      {L"ExitTipWnd.xml", {40, 20}, HTCAPTION, "title label"},
      {L"ExitTipWnd.xml", {40, 35}, HTCLIENT, "title label below the band"},
  };
  for (const HitCase& c : cases) {
    WindowDescription d;
    ASSERT_TRUE(skin_test::ParseSkin(c.file, d));
    SIZE size = d.size;
    WindowContent content;
    content.Attach(std::move(d));
    content.Layout(size);
    EXPECT_EQ(content.HitTest(c.pt), c.expected) << c.what;
  }
}
