// Language references that follow a new text table, the combo box, and text measuring.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uifw/Combo.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/Description.h"
#include "uifw/Fonts.h"
#include "uifw/LanguageTable.h"
#include "uifw/Painter.h"
#include "uifw/WindowContent.h"
#include "utils/Handles.h"

using namespace uifw;

namespace {

constexpr char kXml[] =
    "<Window size=\"300,100\"><Font id=\"0\" name=\"微软雅黑\" size=\"14\" default=\"true\"/>"
    "<VerticalLayout name=\"root\">"
    "<Label name=\"ref\" text=\"%[1]\"/><Label name=\"plain\" text=\"plain\"/><Label name=\"missing\" text=\"%[99]\"/>"
    "<Combo name=\"combo\"><ListLabelElement text=\"%[2]\"/><ListLabelElement text=\"Two\" selected=\"true\"/>"
    "<Other text=\"not an item\"/><listlabelelement text=\"Three\"/></Combo>"
    "</VerticalLayout></Window>";

class Recorder : public NotifyReceiver {
 public:
  void Notify(Notification& n) override { seen.push_back(n); }
  std::vector<Notification> seen;
};

// Tests run on a parsed description held by a window content without a window.
class LanguageTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LanguageTexts().Clear();
    LanguageTexts().Set(1, L"one");
    LanguageTexts().Set(2, L"first");
    WindowDescription d;
    ASSERT_TRUE(ParseDescription(kXml, nullptr, d));
    content_.Attach(std::move(d));
    content_.AddReceiver(&recorder_);
    combo_ = dynamic_cast<Combo*>(content_.FindControl(L"combo"));
    ASSERT_NE(combo_, nullptr);
  }
  void TearDown() override { LanguageTexts().Clear(); }

  std::wstring Text(const wchar_t* name) { return content_.FindControl(name)->Text(); }

  WindowContent content_;
  Recorder recorder_;
  Combo* combo_ = nullptr;
};

}  // namespace

// Tests which values count as whole "%[id]" references.
TEST(LanguageTableTest, ReferencesAreWholeValues) {
  struct Case {
    const wchar_t* value;
    bool reference;
  };
  for (const Case& c : {Case{L"%[0]", true}, Case{L"%[104]", true}, Case{L"%[123456789]", true},
                        Case{L"%[1234567890]", false}, Case{L"%[]", false}, Case{L"%[1a]", false},
                        Case{L" %[1]", false}, Case{L"%[1] ", false}, Case{L"text", false}, Case{L"", false}}) {
    EXPECT_EQ(LanguageTable::IsReference(c.value), c.reference) << c.value;
  }
}

// Tests that controls written with a reference take the texts of a new table, that written
// texts and unknown ids stay as they are, and that a text the program set is kept.
TEST_F(LanguageTextTest, ReferencesFollowANewTable) {
  EXPECT_EQ(Text(L"ref"), L"one");
  EXPECT_EQ(Text(L"missing"), L"%[99]");
  LanguageTexts().Set(1, L"eins");
  LanguageTexts().Set(99, L"neunundneunzig");
  content_.Root()->ReapplyLanguage();
  EXPECT_EQ(Text(L"ref"), L"eins");
  EXPECT_EQ(Text(L"plain"), L"plain");
  EXPECT_EQ(Text(L"missing"), L"neunundneunzig");

  content_.FindControl(L"ref")->SetText(L"set by the program");
  EXPECT_TRUE(content_.FindControl(L"ref")->TextReference().empty());
  LanguageTexts().Set(1, L"un");
  content_.Root()->ReapplyLanguage();
  EXPECT_EQ(Text(L"ref"), L"set by the program");
}

// Tests the combo box's items from the description: only "ListLabelElement" children (any
// case), the "selected" one shown, references resolved and followed.
TEST_F(LanguageTextTest, ComboItemsComeFromListElements) {
  ASSERT_EQ(combo_->Count(), 3);
  EXPECT_EQ(combo_->ItemText(0), L"first");
  EXPECT_EQ(combo_->ItemText(2), L"Three");
  EXPECT_EQ(combo_->ItemText(3), L"");
  EXPECT_EQ(combo_->ItemText(-1), L"");
  EXPECT_EQ(combo_->CurSel(), 1);
  EXPECT_EQ(combo_->Text(), L"Two");
  EXPECT_TRUE(recorder_.seen.empty());  // the description's selection is not announced

  ASSERT_TRUE(combo_->SelectItem(0, false));
  EXPECT_EQ(combo_->Text(), L"first");
  LanguageTexts().Set(2, L"erste");
  content_.Root()->ReapplyLanguage();
  EXPECT_EQ(combo_->ItemText(0), L"erste");
  EXPECT_EQ(combo_->Text(), L"erste");
}

// Tests selection: a change announces "itemselect" with the new and old index, the selected
// index and indexes outside the list send nothing, and the latter are refused.
TEST_F(LanguageTextTest, SelectingAnnouncesChangesOnly) {
  EXPECT_TRUE(combo_->SelectItem(2, true));
  EXPECT_TRUE(combo_->SelectItem(2, true));
  EXPECT_FALSE(combo_->SelectItem(3, true));
  EXPECT_FALSE(combo_->SelectItem(-1, true));
  EXPECT_TRUE(combo_->SelectItem(0, false));
  ASSERT_EQ(recorder_.seen.size(), 1u);
  EXPECT_EQ(recorder_.seen[0].type, L"itemselect");
  EXPECT_EQ(recorder_.seen[0].sender, combo_);
  EXPECT_EQ(recorder_.seen[0].wParam, 2u);
  EXPECT_EQ(recorder_.seen[0].lParam, 1);
  EXPECT_EQ(combo_->CurSel(), 0);
  // Without a window the popup cannot open; a click changes nothing.
  combo_->Activate();
  EXPECT_EQ(combo_->CurSel(), 0);
}

// Tests that measured widths grow with the text and the font, match for equal texts, count
// the widest line of several, and are zero for nothing.
TEST(MeasureTextTest, WidthsFollowTextAndFont) {
  FontTable fonts;
  fonts.Add(0, FontInfo{L"微软雅黑", 14}, true);
  fonts.Add(1, FontInfo{L"微软雅黑", 28}, false);
  Utils::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const SIZE one = Painter::MeasureText(dc.Get(), fonts, 0, kAlignLeft, L"Quillora");
  const SIZE two = Painter::MeasureText(dc.Get(), fonts, 0, kAlignLeft, L"Quillora Quillora");
  const SIZE big = Painter::MeasureText(dc.Get(), fonts, 1, kAlignCenter, L"Quillora");
  const SIZE lines = Painter::MeasureText(dc.Get(), fonts, 0, kMultiLine, L"Quillora\r\nQ");
  EXPECT_GT(one.cx, 20);
  EXPECT_GT(two.cx, 2 * one.cx - 2);
  EXPECT_GT(big.cx, one.cx * 3 / 2);
  EXPECT_EQ(lines.cx, one.cx);
  EXPECT_GT(lines.cy, one.cy * 3 / 2);
  EXPECT_EQ(Painter::MeasureText(dc.Get(), fonts, 0, kAlignLeft, L"").cx, 0);
}
