#include "utils/DebugLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/Exception.h"

namespace {

std::vector<std::wstring> g_lines;
void CaptureLine(const wchar_t* line) { g_lines.push_back(line); }

// 5 March 2024 09:07:03.045, process 1234, thread 88.
Utils::LogStamp FixedStamp() {
  Utils::LogStamp stamp;
  stamp.processId = 1234;
  stamp.threadId = 88;
  stamp.time.wYear = 2024;
  stamp.time.wMonth = 3;
  stamp.time.wDay = 5;
  stamp.time.wHour = 9;
  stamp.time.wMinute = 7;
  stamp.time.wSecond = 3;
  stamp.time.wMilliseconds = 45;
  return stamp;
}

Utils::LogStamp WideIdsStamp() {
  Utils::LogStamp stamp = FixedStamp();
  stamp.processId = 4194304;
  stamp.threadId = 123456789;
  return stamp;
}

// Captures the lines written while it lives, with a fixed stamp.
class DebugLogTest : public testing::Test {
 protected:
  void SetUp() override {
    g_lines.clear();
    previousSink_ = Utils::SetLogSinkForTesting(&CaptureLine);
    previousStamp_ = Utils::SetLogStampSourceForTesting(&FixedStamp);
  }
  void TearDown() override {
    Utils::SetLogSinkForTesting(previousSink_);
    Utils::SetLogStampSourceForTesting(previousStamp_);
  }
  Utils::LogSink previousSink_ = nullptr;
  Utils::LogStampSource previousStamp_ = nullptr;
};

}  // namespace

namespace logprobe {

void ProbeAt245() {
#line 245
  DLOG(L"GetConnectivity %d", 0);
}

struct Stage {
  void Run() {
    auto handler = [](int code) {
#line 77
      DLOG(L"code %d\r\n", code);
    };
    handler(3);
  }
};

}  // namespace logprobe

// Tests that a statement produces exactly the documented line.
TEST_F(DebugLogTest, WritesTheExactLineForAKnownStampLabelAndLine) {
  Utils::LogStatement("int Utils::CheckNetwork()", 245, L"GetConnectivity %d", 0);
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0], L"<P01234><T00088><2024-03-05 09:07:03.045>(Utils::CheckNetwork)<0245>: GetConnectivity 0");
}

// Tests that the macro supplies the qualified function name and the source line.
TEST_F(DebugLogTest, MacroSuppliesQualifiedLabelAndLine) {
  logprobe::ProbeAt245();
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0], L"<P01234><T00088><2024-03-05 09:07:03.045>(logprobe::ProbeAt245)<0245>: GetConnectivity 0");
}

// Tests that a line written inside a lambda names the enclosing function and the lambda.
TEST_F(DebugLogTest, LambdaLabelNamesEnclosingFunction) {
  logprobe::Stage().Run();
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0],
            L"<P01234><T00088><2024-03-05 09:07:03.045>(logprobe::Stage::Run::<lambda>::operator ())<0077>: code 3\r\n");
}

// Tests that the widths of the ids are minimums, not limits.
TEST_F(DebugLogTest, IdsWiderThanFiveDigitsArePrintedInFull) {
  Utils::SetLogStampSourceForTesting(&WideIdsStamp);
  Utils::LogStatement("void CurlClient::Start()", 12345, L"x");
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0], L"<P4194304><T123456789><2024-03-05 09:07:03.045>(CurlClient::Start)<12345>: x");
}

// Tests that only the format is interpreted: "%" inside an argument is printed as is.
TEST_F(DebugLogTest, PercentInsideAnArgumentIsPrintedAsIs) {
  Utils::LogStatement("void f()", 1, L"url %s size %d%%", L"http://h/a%20b%s%d", 7);
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0], L"<P01234><T00088><2024-03-05 09:07:03.045>(f)<0001>: url http://h/a%20b%s%d size 7%");
}

// Tests that DebugPrintf uses the platform's wide rules ("%s" is a wide text) and that a
// long line is not cut.
TEST_F(DebugLogTest, DebugPrintfFormatsWideTextOfAnyLength) {
  const std::wstring longText(5000, L'x');
  Utils::DebugPrintf(L"[%s] %d", longText.c_str(), 42);
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0], L"[" + longText + L"] 42");
}

TEST(FunctionLabelTest, StripsReturnTypesParametersAndQualifiers) {
  struct Case {
    const char* signature;
    const wchar_t* label;
  };
  const Case cases[] = {
      {"void Utils::Thread::CallBack(void*)", L"Utils::Thread::CallBack"},
      {"static unsigned int Utils::Thread::CallBack(void*)", L"Utils::Thread::CallBack"},
      {"int CurlClient::Head(const std::wstring&) const", L"CurlClient::Head"},
      {"std::vector<int, std::allocator<int> > A::B(int)", L"A::B"},
      {"CDownloadInstaller::Start()::<lambda(int, double, const wchar_t*)>",
       L"CDownloadInstaller::Start::<lambda>::operator ()"},
      {"void T<X>::f() [with X = int]", L"T<X>::f"},
      {"main", L"main"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utils::FunctionLabel(c.signature), c.label) << c.signature;
}

TEST(ExceptionTest, AnswersUnknownExceptionWithoutMessage) {
  EXPECT_STREQ(Utils::Exception().what(), "Unknown exception");
  EXPECT_STREQ(Utils::Exception("pipe").what(), "pipe");
  try {
    throw Utils::Exception();
  } catch (const std::exception& e) {  // the runners catch it as a standard exception
    EXPECT_STREQ(e.what(), "Unknown exception");
  }
}
