#include "tools/demo_package/DemoCommandLine.h"

#include <gtest/gtest.h>

namespace {

// Tests that the directory item is cut at its last occurrence and keeps its blanks, and
// that a line without it is left whole.
TEST(DemoCommandLineTest, CutsTheLastDirectoryItem) {
  struct Case {
    const wchar_t* line;
    const wchar_t* marker;
    bool found;
    const wchar_t* head;
    const wchar_t* tail;
  };
  const Case cases[] = {
      {LR"("C:\a b\p.exe" /S -dsc=true -instdir="C:\x y\Quillora" /D=C:\x y\Quillora)", L"/D=", true,
       LR"("C:\a b\p.exe" /S -dsc=true -instdir="C:\x y\Quillora")", LR"(C:\x y\Quillora)"},
      {LR"(p.exe /D=C:\one /D=C:\two words  )", L"/D=", true, LR"(p.exe /D=C:\one)", LR"(C:\two words)"},
      {LR"(C:\Temp dir\Quillora_un_asa.exe /S -adminact=true -console=show _?=C:\Program Files\Quillora)", L"_?=", true,
       LR"(C:\Temp dir\Quillora_un_asa.exe /S -adminact=true -console=show)", LR"(C:\Program Files\Quillora)"},
      {LR"(p.exe /S -instdir=x/D=C:\no)", L"/D=", false, LR"(p.exe /S -instdir=x/D=C:\no)", L""},
      {LR"(p.exe /S)", L"_?=", false, LR"(p.exe /S)", L""},
  };
  for (const Case& c : cases) {
    const demo::TailSplit split = demo::SplitAtLastItem(c.line, c.marker);
    EXPECT_EQ(split.found, c.found) << c.line;
    EXPECT_EQ(split.head, c.head) << c.line;
    EXPECT_EQ(split.tail, c.tail) << c.line;
  }
}

// Tests that quotes group blanks without escapes and that options are found by name.
TEST(DemoCommandLineTest, SplitsArgumentsAndFindsOptions) {
  const std::vector<std::wstring> args =
      demo::SplitArguments(LR"("C:\a b\p.exe"  /S -inslang="zh-CN" -instdir="C:\x y\" -DSC=true -dsc=false "")");
  const std::vector<std::wstring> expected = {
      LR"(C:\a b\p.exe)", L"/S", L"-inslang=zh-CN", LR"(-instdir=C:\x y\)", L"-DSC=true", L"-dsc=false", L""};
  EXPECT_EQ(args, expected);
  EXPECT_EQ(demo::FindOption(args, L"-inslang").value_or(L"?"), L"zh-CN");
  EXPECT_EQ(demo::FindOption(args, L"-instdir").value_or(L"?"), LR"(C:\x y\)");
  EXPECT_EQ(demo::FindOption(args, L"-dsc").value_or(L"?"), L"false");  // the last one wins
  EXPECT_FALSE(demo::FindOption(args, L"-ssc").has_value());
  EXPECT_FALSE(demo::FindOption(args, L"-insl").has_value());
  EXPECT_TRUE(demo::HasSwitch(args, L"/s"));
  EXPECT_FALSE(demo::HasSwitch(args, L"/D"));
}

// Tests the milliseconds and folder checks on good and bad input.
TEST(DemoCommandLineTest, ReadsMillisecondsAndChecksFolders) {
  EXPECT_EQ(demo::ParseMilliseconds(L"250", 7), 250u);
  EXPECT_EQ(demo::ParseMilliseconds(L"0", 7), 0u);
  EXPECT_EQ(demo::ParseMilliseconds(L"", 7), 7u);
  EXPECT_EQ(demo::ParseMilliseconds(L"-5", 7), 7u);
  EXPECT_EQ(demo::ParseMilliseconds(L"12ms", 7), 7u);
  EXPECT_EQ(demo::ParseMilliseconds(L"99999999999999", 7), 600000u);

  EXPECT_TRUE(demo::IsAbsoluteFolder(LR"(C:\Program Files\Quillora)"));
  EXPECT_TRUE(demo::IsAbsoluteFolder(LR"(d:\)"));
  EXPECT_TRUE(demo::IsAbsoluteFolder(LR"(\\server\share\Quillora)"));
  EXPECT_FALSE(demo::IsAbsoluteFolder(LR"(C:Quillora)"));
  EXPECT_FALSE(demo::IsAbsoluteFolder(LR"(\C:\Quillora)"));
  EXPECT_FALSE(demo::IsAbsoluteFolder(LR"(relative\Quillora)"));
  EXPECT_FALSE(demo::IsAbsoluteFolder(L""));
}

}  // namespace
