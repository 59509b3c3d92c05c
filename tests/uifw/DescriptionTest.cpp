#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/uifw/SkinTestSupport.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/LanguageTable.h"

using skin_test::ParseSkin;
using namespace uifw;

namespace {

struct WindowCase {
  const wchar_t* request;
  SIZE size;
  LONG captionBottom;
  SIZE round;
  const wchar_t* darkness;
  const wchar_t* color;
  size_t fonts;
};

}  // namespace

// Tests the Window attributes and fonts of all six descriptions, found by the names the
// installer asks for.
TEST(DescriptionTest, WindowAttributesOfAllSixDescriptions) {
  const WindowCase cases[] = {
      {L"MainWnd.xml", {600, 400}, 35, {1, 0}, L"20", L"#26003B76", 7},
      {L"MessageBox1Wnd.xml", {360, 180}, 30, {2, 2}, L"20", L"#26003B76", 2},
      {L"MessageBox2Wnd.xml", {360, 180}, 30, {2, 2}, L"20", L"#26003B76", 2},
      {L"InstalledPathTipWnd.xml", {400, 180}, 30, {1, 0}, L"10", L"#FFEDF0F4", 2},
      {L"NetworkTipWnd.xml", {360, 180}, 30, {2, 2}, L"20", L"#26003B76", 2},
      {L"ExitTipWnd.xml", {360, 180}, 30, {2, 2}, L"20", L"#26003B76", 6},
  };
  for (const WindowCase& c : cases) {
    WindowDescription d;
    ASSERT_TRUE(ParseSkin(c.request, d)) << c.request;
    EXPECT_EQ(d.size.cx, c.size.cx) << c.request;
    EXPECT_EQ(d.size.cy, c.size.cy) << c.request;
    EXPECT_EQ(d.caption.bottom, c.captionBottom) << c.request;
    EXPECT_EQ(d.caption.left + d.caption.top + d.caption.right, 0) << c.request;
    EXPECT_EQ(d.roundCorner.cx, c.round.cx) << c.request;
    EXPECT_EQ(d.roundCorner.cy, c.round.cy) << c.request;
    ASSERT_NE(d.CustomAttribute(L"showshadow"), nullptr) << c.request;
    EXPECT_EQ(*d.CustomAttribute(L"showshadow"), L"true");
    EXPECT_EQ(*d.CustomAttribute(L"shadowsize"), L"6");
    EXPECT_EQ(*d.CustomAttribute(L"shadowsharpness"), L"10");
    EXPECT_EQ(*d.CustomAttribute(L"shadowposition"), L"1,1");
    EXPECT_EQ(*d.CustomAttribute(L"shadowdarkness"), c.darkness) << c.request;
    EXPECT_EQ(*d.CustomAttribute(L"shadowcolor"), c.color) << c.request;
    EXPECT_EQ(d.CustomAttribute(L"size"), nullptr);
    EXPECT_EQ(d.fonts.Count(), c.fonts) << c.request;
    EXPECT_EQ(d.fonts.Info(0).face, L"微软雅黑");
    ASSERT_NE(d.root, nullptr);
    EXPECT_EQ(d.root->GetClass(), L"VerticalLayout");
  }
  WindowDescription main;
  ASSERT_TRUE(ParseSkin(L"MainWnd.xml", main));
  const int sizes[] = {14, 18, 14, 12, 24, 32, 16};
  for (int id = 0; id < 7; ++id) EXPECT_EQ(main.fonts.Info(id).size, sizes[id]) << id;
  EXPECT_EQ(main.fonts.Info(-1).size, 14);  // the default font
  WindowDescription exitTip;
  ASSERT_TRUE(ParseSkin(L"ExitTipWnd.xml", exitTip));
  EXPECT_TRUE(exitTip.fonts.Info(3).underline);
  EXPECT_EQ(exitTip.fonts.Info(5).size, 30);
}

namespace {

struct ControlCase {
  const wchar_t* file;
  const wchar_t* name;
  const wchar_t* cls;
  int width, height;
  const wchar_t* text;
};

}  // namespace

// Tests that every named control of the six descriptions is found with its class, fixed
// size and text.
TEST(DescriptionTest, NamedControlsOfAllSixDescriptions) {
  const ControlCase cases[] = {
      {L"MainWnd.xml", L"winCtn", L"VerticalLayout", 480, 100, L""},
      {L"MainWnd.xml", L"titleTabLt", L"TabLayout", 200, 0, L""},
      {L"MainWnd.xml", L"backBtn", L"Button", 64, 30, L""},
      {L"MainWnd.xml", L"titleGrpCtn", L"HorizontalLayout", 0, 24, L""},
      {L"MainWnd.xml", L"minbtn", L"Button", 24, 24, L""},
      {L"MainWnd.xml", L"closebtn", L"Button", 24, 24, L""},
      {L"MainWnd.xml", L"mainTabLt", L"TabLayout", 0, 0, L""},
      {L"MainWnd.xml", L"defaultInstallBtn", L"Button", 200, 0, L""},
      {L"MainWnd.xml", L"tipLbl", L"Label", 116, 32, L""},
      {L"MainWnd.xml", L"treatyCb", L"CheckBox", 68, 0, L"已同意"},
      {L"MainWnd.xml", L"treatyBtn", L"CheckBox", 0, 0, L"《用户许可协议》"},
      {L"MainWnd.xml", L"customeBtn", L"Button", 100, 20, L"自定义安装"},
      {L"MainWnd.xml", L"installDirEdit", L"Edit", 340, 0, L""},
      {L"MainWnd.xml", L"chDirBtn", L"Button", 81, 0, L""},
      {L"MainWnd.xml", L"createDSCb", L"CheckBox", 138, 0, L"创建桌面快捷方式"},
      {L"MainWnd.xml", L"createQSCb", L"CheckBox", 138, 0, L"添加到快速启动栏"},
      {L"MainWnd.xml", L"customeInstallBtn", L"Button", 200, 0, L""},
      {L"MainWnd.xml", L"progressAnLb", L"Label", 160, 160, L""},
      {L"MainWnd.xml", L"progressLb", L"Label", 360, 0, L"正在安装中:0%，请稍候..."},
      {L"MainWnd.xml", L"installPrg", L"Progress", 520, 0, L""},
      {L"MainWnd.xml", L"openProduceBtn", L"Button", 200, 0, L""},
      {L"MessageBox1Wnd.xml", L"captionLbl", L"Label", 0, 0, L"CAPTION"},
      {L"MessageBox1Wnd.xml", L"textLbl", L"Label", 0, 0, L"TEXT"},
      {L"MessageBox1Wnd.xml", L"closebtn", L"Button", 24, 24, L""},
      {L"MessageBox2Wnd.xml", L"captionLbl", L"Label", 0, 0, L"CAPTION"},
      {L"MessageBox2Wnd.xml", L"textLbl", L"Label", 0, 0, L"TEXT"},
      {L"MessageBox2Wnd.xml", L"closebtn", L"Button", 24, 24, L""},
      {L"InstalledPathTipWnd.xml", L"cancelBtn", L"Button", 100, 32, L"打开软件"},
      {L"InstalledPathTipWnd.xml", L"okBtn", L"Button", 110, 32, L"安装最新版本"},
      {L"InstalledPathTipWnd.xml", L"closebtn", L"Button", 24, 24, L""},
      {L"NetworkTipWnd.xml", L"cancelBtn", L"Button", 76, 32, L"稍后再试"},
      {L"NetworkTipWnd.xml", L"okBtn", L"Button", 76, 32, L"重新安装"},
      {L"NetworkTipWnd.xml", L"closebtn", L"Button", 24, 24, L""},
      {L"ExitTipWnd.xml", L"okBtn", L"Button", 76, 32, L"是"},
      {L"ExitTipWnd.xml", L"cancelBtn", L"Button", 76, 32, L"否"},
      {L"ExitTipWnd.xml", L"closebtn", L"Button", 24, 24, L""},
  };
  for (const ControlCase& c : cases) {
    WindowDescription d;
    ASSERT_TRUE(ParseSkin(c.file, d, skin_test::SequenceLabelFactory())) << c.file;
    Control* control = d.root->FindByName(c.name);
    ASSERT_NE(control, nullptr) << c.file << L" " << c.name;
    EXPECT_EQ(control->GetClass(), c.cls) << c.name;
    EXPECT_EQ(control->FixedWidth(), c.width) << c.name;
    EXPECT_EQ(control->FixedHeight(), c.height) << c.name;
    EXPECT_EQ(control->Text(), c.text) << c.name;
  }
}

// Tests attribute details the installer depends on: states, images, colours, visibility.
TEST(DescriptionTest, ControlAttributes) {
  WindowDescription d;
  ASSERT_TRUE(ParseSkin(L"MainWnd.xml", d, skin_test::SequenceLabelFactory()));
  auto* treaty = dynamic_cast<CheckBox*>(d.root->FindByName(L"treatyCb"));
  ASSERT_NE(treaty, nullptr);
  EXPECT_TRUE(treaty->IsSelected());
  EXPECT_EQ(treaty->TextColor(), 0xFF8991AFu);
  EXPECT_EQ(treaty->TextPadding().left, 26);
  EXPECT_FALSE(treaty->Parent()->IsVisible());
  EXPECT_FALSE(d.root->FindByName(L"tipLbl")->IsVisible());
  EXPECT_EQ(d.root->BkImage().file, L"res\\mainWnd\\bg1.png");
  auto* install = dynamic_cast<Button*>(d.root->FindByName(L"defaultInstallBtn"));
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(install->Font(), 6);
  EXPECT_EQ(install->TextColor(), 0xFFFFFFFFu);
  EXPECT_EQ(install->BkImage().file, L"res\\mainWnd\\installBtn1.png");
  auto* custom = dynamic_cast<Button*>(d.root->FindByName(L"customeBtn"));
  ASSERT_NE(custom, nullptr);
  EXPECT_TRUE(custom->TextStyle() & kAlignRight);
  EXPECT_EQ(custom->TextPadding().right, 18);
  auto* progress = dynamic_cast<Progress*>(d.root->FindByName(L"installPrg"));
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->Value(), 0);
  EXPECT_EQ(progress->BkImage().corner.left, 2);
  EXPECT_TRUE(progress->BkImage().hasMask);
  progress->SetValue(150);
  EXPECT_EQ(progress->Value(), 100);
  progress->SetValue(-3);
  EXPECT_EQ(progress->Value(), 0);
  auto* main = dynamic_cast<TabLayout*>(d.root->FindByName(L"mainTabLt"));
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->Count(), 4u);
  EXPECT_EQ(main->CurrentSel(), 0);
  EXPECT_EQ(dynamic_cast<TabLayout*>(d.root->FindByName(L"titleTabLt"))->Count(), 3u);

  WindowDescription box;
  ASSERT_TRUE(ParseSkin(L"MessageBox1Wnd.xml", box));
  auto* text = dynamic_cast<Label*>(box.root->FindByName(L"textLbl"));
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->TextStyle() & kMultiLine);
  EXPECT_TRUE(text->TextStyle() & kAlignCenter);
  EXPECT_EQ(box.root->BkColor(), 0xFFFFFFFFu);
}

// Tests that names compare case-sensitively and that names the skin lacks find nothing.
TEST(DescriptionTest, LookupIsExactAndMissingNamesFindNothing) {
  WindowDescription d;
  ASSERT_TRUE(ParseSkin(L"MainWnd.xml", d));
  EXPECT_EQ(d.root->FindByName(L"DefaultInstallBtn"), nullptr);
  for (const wchar_t* name : {L"serviceCb", L"softNameLbl", L"languageCombo", L"installLogo", L"finishedLbl",
                              L"ableftBtn", L"abrightBtn", L"bTitleLbl1"}) {
    EXPECT_EQ(d.root->FindByName(name), nullptr) << name;
  }
}

// Tests that elements nobody knows are skipped with their children, that the factory is
// asked for them by name, and that element names ignore case.
TEST(DescriptionTest, UnknownElementsAreSkippedAndFactoryIsAsked) {
  const char* xml =
      "<?xml version=\"1.0\"?>\r\n<window size=\"10,20\" foo=\"bar\"><font id=\"3\" name=\"x\" size=\"9\"/>"
      "<verticallayout><Fancy name=\"f\"><Label name=\"inside\"/></Fancy><LABEL name=\"l\" text=\"%[7]\" "
      "weird=\"1\"/><SequenceLabel name=\"s\"/></verticallayout></window>";
  std::vector<std::wstring> asked;
  auto factory = [&](std::wstring_view e) -> std::unique_ptr<Control> {
    asked.emplace_back(e);
    return nullptr;
  };
  LanguageTexts().Set(7, L"七");
  WindowDescription d;
  ASSERT_TRUE(ParseDescription(xml, factory, d));
  LanguageTexts().Clear();
  EXPECT_EQ((std::vector<std::wstring>{L"Fancy", L"SequenceLabel"}), asked);
  EXPECT_EQ(d.root->FindByName(L"f"), nullptr);
  EXPECT_EQ(d.root->FindByName(L"inside"), nullptr);
  EXPECT_EQ(d.root->FindByName(L"s"), nullptr);
  ASSERT_NE(d.root->FindByName(L"l"), nullptr);
  EXPECT_EQ(d.root->FindByName(L"l")->Text(), L"七");
  EXPECT_EQ(d.size.cx, 10);
  EXPECT_EQ(*d.CustomAttribute(L"foo"), L"bar");
  EXPECT_EQ(d.fonts.Info(3).size, 9);
}

// Tests that text without a root control, or no XML at all, yields no root.
TEST(DescriptionTest, NoRootIsAFailure) {
  for (const char* xml : {"<Window size=\"1,1\"><Font id=\"0\" name=\"x\" size=\"9\"/></Window>",
                          "<Window><Unknown/></Window>", "<Other><VerticalLayout/></Other>", "not xml", ""}) {
    WindowDescription d;
    EXPECT_FALSE(ParseDescription(xml, nullptr, d)) << xml;
    EXPECT_EQ(d.root, nullptr) << xml;
  }
}

// Tests the file format: UTF-8 without byte-order mark, CRLF line ends, an XML declaration.
TEST(DescriptionTest, FilesAreUtf8WithoutBomAndCrlf) {
  for (const wchar_t* file : {L"mainWnd.xml", L"MessageBox1Wnd.xml", L"MessageBox2Wnd.xml", L"InstalledPathTipWnd.xml",
                              L"NetworkTipWnd.xml", L"exitTipWnd.xml"}) {
    const std::string* xml = skin_test::Package().Find(file);
    ASSERT_NE(xml, nullptr) << file;
    EXPECT_EQ(xml->rfind("<?xml version=\"1.0\"", 0), 0u) << file;
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < xml->size(); ++i) {
      if ((*xml)[i] == '\n') {
        ++lf;
        if (i > 0 && (*xml)[i - 1] == '\r') ++crlf;
      }
    }
    EXPECT_GT(lf, 5u) << file;
    EXPECT_EQ(lf, crlf) << file;
  }
}
