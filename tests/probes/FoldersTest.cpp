#include "utils/Folders.h"

#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"

namespace {

using testing_support::ScratchDir;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Tests that missing parents are made below an existing one, in order.
TEST(CreateDirectoryTreeTest, CreatesMissingPartsBelowExistingOnes) {
  ScratchDir scratch;
  ASSERT_TRUE(::CreateDirectoryW(scratch.File(L"a").c_str(), nullptr));
  EXPECT_TRUE(Utils::CreateDirectoryTree(scratch.File(L"a\\b\\c")));
  EXPECT_TRUE(IsFolder(scratch.File(L"a\\b")));
  EXPECT_TRUE(IsFolder(scratch.File(L"a\\b\\c")));
}

TEST(CreateDirectoryTreeTest, ExistingFoldersAndTrailingSeparator) {
  ScratchDir scratch;
  const std::wstring cases[] = {scratch.Path(), scratch.Path() + L"\\", scratch.File(L"x\\y\\"), scratch.File(L"x\\y"),
                                scratch.File(L"x\\y\\z")};
  for (const std::wstring& folder : cases) {
    EXPECT_TRUE(Utils::CreateDirectoryTree(folder)) << folder.size();
    EXPECT_TRUE(IsFolder(folder));
  }
}

// Tests that an over-long folder is refused before anything is created.
TEST(CreateDirectoryTreeTest, RefusesMoreThanMaxPathCharacters) {
  ScratchDir scratch;
  const std::wstring base = scratch.File(L"long\\");
  ASSERT_LT(base.size(), 200u);
  const std::wstring tooLong = base + std::wstring(MAX_PATH + 1 - base.size(), L'n');
  ASSERT_EQ(tooLong.size(), static_cast<size_t>(MAX_PATH + 1));
  EXPECT_FALSE(Utils::CreateDirectoryTree(tooLong));
  EXPECT_FALSE(::PathFileExistsW(scratch.File(L"long").c_str()));
}

// Tests that a file standing where a folder must go fails the call.
TEST(CreateDirectoryTreeTest, FileInTheWayFails) {
  ScratchDir scratch;
  ASSERT_TRUE(testing_support::WriteFileBytes(scratch.File(L"file"), "x"));
  EXPECT_FALSE(Utils::CreateDirectoryTree(scratch.File(L"file\\sub")));
  EXPECT_FALSE(Utils::CreateDirectoryTree(scratch.File(L"file\\sub\\deeper")));
}

// Tests the scratch folder rule under a given base folder.
TEST(TempFolderTest, CreatedOnceUnderTheBase) {
  ScratchDir scratch;
  const std::wstring base = scratch.Path() + L"\\";
  const std::wstring expected = base + L"~VelToTemp.92482B06FB471E17\\";
  EXPECT_EQ(Utils::TempFolderUnder(base), expected);
  EXPECT_TRUE(IsFolder(expected));
  EXPECT_EQ(Utils::TempFolderUnder(base), expected);
  EXPECT_EQ(Utils::TempFolderUnder(scratch.File(L"missing\\")), L"");
  EXPECT_FALSE(::PathFileExistsW(scratch.File(L"missing").c_str()));
}

// Tests the real scratch folder inside the system temporary folder; removes it again when
// this test made it.
TEST(TempFolderTest, LivesInTheSystemTemporaryFolder) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring expected = std::wstring(temp) + L"~VelToTemp.92482B06FB471E17\\";
  const bool existedBefore = IsFolder(expected);
  const std::wstring folder = Utils::GetTempFolder();
  EXPECT_EQ(folder, expected);
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_EQ(Utils::GetTempFolder(), expected);
  if (!existedBefore) {
    EXPECT_TRUE(::RemoveDirectoryW(expected.c_str()));
  }
}

}  // namespace
