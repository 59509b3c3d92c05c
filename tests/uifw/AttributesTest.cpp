#include <gtest/gtest.h>

#include "uifw/Attributes.h"
#include "uifw/LanguageTable.h"

using namespace uifw;

// Tests colour values with "#", "0x" and without prefix, and text that holds no colour.
TEST(AttributesTest, Colours) {
  struct Case {
    const wchar_t* text;
    bool ok;
    uint32_t argb;
  } cases[] = {
      {L"#FF1675FE", true, 0xFF1675FE},
      {L"0xFFFFFFFF", true, 0xFFFFFFFF},
      {L"#26003B76", true, 0x26003B76},
      {L"FFEDF0F4", true, 0xFFEDF0F4},
      {L"#00000000", true, 0},
      {L"#ff8991af", true, 0xFF8991AF},
      {L"", false, 0},
      {L"#", false, 0},
      {L"red", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t v = 0x12345678;
    EXPECT_EQ(ParseColor(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.argb) << c.text;
    }
  }
}

// Tests integer lists, rectangles and flags.
TEST(AttributesTest, NumbersAndFlags) {
  RECT r = ParseRect(L"26,0,0,3");
  EXPECT_EQ(r.left, 26);
  EXPECT_EQ(r.bottom, 3);
  SIZE s = ParseSize(L"600,400");
  EXPECT_EQ(s.cx, 600);
  EXPECT_EQ(s.cy, 400);
  EXPECT_EQ(ParseInt(L"-12"), -12);
  EXPECT_EQ(ParseInt(L"x", 7), 7);
  RECT partial = ParseRect(L"5");
  EXPECT_EQ(partial.left, 5);
  EXPECT_EQ(partial.right, 0);
  EXPECT_TRUE(ParseBool(L"true"));
  EXPECT_FALSE(ParseBool(L"TRUE"));
  EXPECT_FALSE(ParseBool(L"yes"));
}

// Tests the image mini-syntax: a bare path and key='value' lists as the skin writes them.
TEST(AttributesTest, ImageSpecs) {
  ImageSpec bare = ParseImageSpec(L"res\\mainWnd\\bg1.png");
  EXPECT_EQ(bare.file, L"res\\mainWnd\\bg1.png");
  EXPECT_FALSE(bare.hasDest);
  EXPECT_EQ(bare.fade, 255);

  ImageSpec cb = ParseImageSpec(L"file='res\\mainWnd\\Cb1.png' dest='0,2,15,16' ");
  EXPECT_EQ(cb.file, L"res\\mainWnd\\Cb1.png");
  ASSERT_TRUE(cb.hasDest);
  EXPECT_EQ(cb.dest.top, 2);
  EXPECT_EQ(cb.dest.right, 15);
  EXPECT_EQ(cb.dest.bottom, 16);

  ImageSpec prg = ParseImageSpec(
      L"file='res\\mainWnd\\installPrg1.png' corner='2,2,2,2' mask='#FF0000' fade='128' hole='true' xtiled='false' "
      L"ytiled='true'");
  EXPECT_EQ(prg.file, L"res\\mainWnd\\installPrg1.png");
  EXPECT_EQ(prg.corner.left, 2);
  EXPECT_EQ(prg.corner.bottom, 2);
  EXPECT_TRUE(prg.hasMask);
  EXPECT_EQ(prg.mask, 0xFF0000u);
  EXPECT_EQ(prg.fade, 128);
  EXPECT_TRUE(prg.hole);
  EXPECT_FALSE(prg.xtiled);
  EXPECT_TRUE(prg.ytiled);

  ImageSpec src = ParseImageSpec(L"file='a.png'   source='1,2,3,4'  unknown='9' fade='999'");
  EXPECT_EQ(src.file, L"a.png");
  ASSERT_TRUE(src.hasSource);
  EXPECT_EQ(src.source.right, 3);
  EXPECT_EQ(src.fade, 255);
  EXPECT_TRUE(ParseImageSpec(L"").IsEmpty());
}

// Tests that "%[id]" text references resolve through the language table and that anything
// else stays as written.
TEST(AttributesTest, LanguageReferences) {
  LanguageTable table;
  table.Set(104, L"磁盘空间不足");
  EXPECT_EQ(table.Resolve(L"%[104]"), L"磁盘空间不足");
  EXPECT_EQ(table.Resolve(L"%[105]"), L"%[105]");
  EXPECT_EQ(table.Resolve(L"%[10x]"), L"%[10x]");
  EXPECT_EQ(table.Resolve(L"正在安装中:0%，请稍候..."), L"正在安装中:0%，请稍候...");
  EXPECT_EQ(table.Resolve(L"x%[104]"), L"x%[104]");
  ASSERT_NE(table.Find(104), nullptr);
  table.Clear();
  EXPECT_EQ(table.Find(104), nullptr);
}
