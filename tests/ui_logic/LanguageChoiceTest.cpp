#include "ui/LanguageChoice.h"

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"
#include "utils/CommandLine.h"
#include "utils/InstallerSettings.h"

namespace {

TEST(LanguageChoiceTest, WindowsUiLanguagesMapToTheirIndexes) {
  const struct {
    LANGID langId;
    int index;
    const wchar_t* code;
  } cases[] = {
      {0x0409, 0, L"en-US"},
      {0x0404, 2, L"zh-TW"},
      {0x0421, 3, L"id-ID"},
      {0x041F, 4, L"tr-TR"},
      {0x0407, 5, L"de-DE"},
      {0x040C, 6, L"fr-FR"},
      {0x040A, 7, L"es-ES"},
      {0x080A, 7, L"es-ES"},
      {0x500A, 7, L"es-ES"},
      {0x0416, 8, L"pt-PT"},
      {0x0411, 9, L"ja-JP"},
      {0x0412, 10, L"ko-KR"},
      {0x0415, 11, L"pl-PL"},
      {0x0413, 12, L"nl-NL"},
      {0x0813, 12, L"nl-NL"},
      {0x0410, 13, L"it-IT"},
      // Not in the table: Simplified Chinese, UK English, a twenty-first Spanish variant.
      {0x0804, 0, L"en-US"},
      {0x0809, 0, L"en-US"},
      {0x540A, 0, L"en-US"},
      {0x0000, 0, L"en-US"},
  };
  for (const auto& c : cases) {
    const int index = language::IndexForLangId(c.langId);
    EXPECT_EQ(index, c.index) << std::hex << c.langId;
    EXPECT_STREQ(language::CodeOf(index), c.code) << std::hex << c.langId;
  }
  EXPECT_EQ(language::CodeOf(14), nullptr);
  EXPECT_EQ(language::CodeOf(-1), nullptr);
}

TEST(LanguageChoiceTest, CodesAndIndexesResolve) {
  const struct {
    int index;
    const wchar_t* code;
    int resolved;
  } cases[] = {
      {0, L"fr-FR", 6}, {3, L"ja-JP", 9}, {5, L"xx-XX", 5}, {2, L"", 2}, {13, L"", 13}, {14, L"", 0}, {-1, L"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(language::ResolveIndex(c.index, c.code), c.resolved) << c.code;
}

TEST(LanguageChoiceTest, CommandLineChoiceBeatsTheUiLanguage) {
  Utils::InstallerSettings settings;
  settings.ParseCommandLine(Utils::CommandLine(L"QuilloraSetup.exe -language=9"));
  EXPECT_EQ(language::InitialIndex(settings.Language, 0x0407), 9);
  EXPECT_STREQ(language::CodeOf(language::InitialIndex(settings.Language, 0x0407)), L"ja-JP");
  Utils::InstallerSettings none;
  EXPECT_EQ(language::InitialIndex(none.Language, 0x0407), 5);
  EXPECT_EQ(language::InitialIndex(none.Language, 0x0804), 0);
}

TEST(LanguageChoiceTest, TableTextsOfOneLanguage) {
  const std::string json =
      R"([{"id": 104, "en-US": "Low disk", "de-DE": "Wenig Platz"},
           {"id": 7, "de-DE": "Größe \u00fc"},
           {"id": 7, "de-DE": "zweite"},
           {"id": "x", "de-DE": "ohne Nummer"},
           17,
           {"id": 8, "de-DE": 5}])";
  const std::map<int, std::wstring> german = language::ParseTable(json, L"de-DE");
  EXPECT_EQ(german, (std::map<int, std::wstring>{{7, L"zweite"}, {8, L""}, {104, L"Wenig Platz"}}));
  const std::map<int, std::wstring> english = language::ParseTable(json, L"en-US");
  EXPECT_EQ(english.at(104), L"Low disk");
  EXPECT_EQ(english.at(7), L"");
  // An object root is read the same way.
  EXPECT_EQ(language::ParseTable(R"({"a": {"id": 1, "fr-FR": "un"}})", L"fr-FR"),
            (std::map<int, std::wstring>{{1, L"un"}}));
}

TEST(LanguageChoiceTest, UnreadableTablesGiveNothing) {
  EXPECT_TRUE(language::ParseTable("", L"en-US").empty());
  EXPECT_TRUE(language::ParseTable("[{\"id\": 1, \"en-US\": ", L"en-US").empty());
  EXPECT_TRUE(language::ParseTable("\"text\"", L"en-US").empty());
  std::string huge = "[{\"id\": 1, \"en-US\": \"";
  huge += std::string(language::kMaxTableBytes, 'a');
  huge += "\"}]";
  EXPECT_TRUE(language::ParseTable(huge, L"en-US").empty());
}

// Tests that read the language of an installed copy from its folder.
TEST(LanguageChoiceTest, InstalledCopysLanguage) {
  testing_support::ScratchDir dir(L"lang");
  EXPECT_EQ(language::ReadInstalledCode(dir.Path()), L"");
  EXPECT_EQ(language::ResolveIndex(0, language::ReadInstalledCode(dir.Path())), 0);
  ASSERT_TRUE(testing_support::WriteFileBytes(dir.File(L"config.ini"), "[Install]\r\nLanguage=fr-FR\r\n"));
  EXPECT_EQ(language::ReadInstalledCode(dir.Path()), L"fr-FR");
  EXPECT_EQ(language::ResolveIndex(0, language::ReadInstalledCode(dir.Path())), 6);
  ASSERT_TRUE(testing_support::WriteFileBytes(dir.File(L"config.ini"), "[Install]\r\nOther=1\r\n"));
  EXPECT_EQ(language::ReadInstalledCode(dir.Path()), L"en-US");
}

}  // namespace
