#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/demo_package/DemoRun.h"
#include "tests/support/ProcessUtil.h"
#include "tests/support/TestPaths.h"

namespace {

// Tests that the demo product opens its window under the product's name and ends normally
// when the window is closed.
TEST(DemoProductTest, ShowsItsWindowAndClosesNormally) {
  testing_support::RunningProcess product;
  ASSERT_TRUE(product.Start(L"\"" + demo_testing::DemoFile(L"Quillora.exe") + L"\""));
  const HWND window = product.FindWindowWithTitle(L"青蓝工坊", 20000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::PostMessageW(window, WM_CLOSE, 0, 0));
  ASSERT_TRUE(product.WaitForExit(20000));
  EXPECT_EQ(product.ExitCode(), 0u);
}

// Tests that each product build carries the sentence that names its own version.
TEST(DemoProductTest, EachBuildNamesItsVersion) {
  const auto contains = [](const std::string& bytes, const std::wstring& text) {
    const std::string needle(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes.find(needle) != std::string::npos;
  };
  const std::string first = testing_support::ReadFileBytes(demo_testing::DemoFile(L"Quillora.exe"));
  const std::string second = testing_support::ReadFileBytes(demo_testing::DemoFile(L"Quillora-2.exe"));
  EXPECT_TRUE(contains(first, L"已安装成功。\n版本 1.0.0"));
  EXPECT_FALSE(contains(first, L"版本 2.0.0"));
  EXPECT_TRUE(contains(second, L"已安装成功。\n版本 2.0.0"));
}

}  // namespace
