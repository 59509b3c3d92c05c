#include "utils/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "utils/DebugLog.h"

namespace {

std::vector<std::wstring> g_lines;
CRITICAL_SECTION g_linesLock;
void CaptureLine(const wchar_t* line) {
  ::EnterCriticalSection(&g_linesLock);
  g_lines.push_back(line);
  ::LeaveCriticalSection(&g_linesLock);
}

class ThreadTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ::InitializeCriticalSection(&g_linesLock); }
  static void TearDownTestSuite() { ::DeleteCriticalSection(&g_linesLock); }
  void SetUp() override {
    g_lines.clear();
    previous_ = Utils::SetLogSinkForTesting(&CaptureLine);
  }
  void TearDown() override { Utils::SetLogSinkForTesting(previous_); }
  Utils::LogSink previous_ = nullptr;
};

std::wstring DescriptionOf(HANDLE thread) {
  using GetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  auto get = reinterpret_cast<GetThreadDescriptionFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  if (!get) return L"<unsupported>";
  PWSTR text = nullptr;
  if (FAILED(get(thread, &text)) || !text) return L"<failed>";
  std::wstring out = text;
  ::LocalFree(text);
  return out;
}

}  // namespace

// Tests that the body runs only after Resume, with its parameter, between the BEGIN and
// END log lines, and that Join forgets the thread.
TEST_F(ThreadTest, RunsTheBodyAfterResumeAndJoins) {
  std::atomic<uint32_t> seen{0};
  std::atomic<DWORD> ranOn{0};
  Utils::Thread thread(42, L"ABDEF", [&](uint32_t p) {
    seen = p;
    ranOn = ::GetCurrentThreadId();
  });
  ASSERT_TRUE(thread.IsCreated());
  const DWORD id = thread.Id();
  ::Sleep(50);
  EXPECT_EQ(seen.load(), 0u) << "a suspended thread ran";
  ASSERT_TRUE(thread.Resume());
  EXPECT_FALSE(thread.Resume());
  thread.Join();
  EXPECT_EQ(seen.load(), 42u);
  EXPECT_EQ(ranOn.load(), id);
  EXPECT_FALSE(thread.IsCreated());
  EXPECT_EQ(thread.Id(), static_cast<DWORD>(-1));
  thread.Join();  // a second join does nothing

  ASSERT_EQ(g_lines.size(), 2u);
  EXPECT_NE(g_lines[0].find(L"(Utils::Thread::CallBack)"), std::wstring::npos) << g_lines[0];
  EXPECT_NE(g_lines[0].find(L": THREAD BEGIN\r\n"), std::wstring::npos) << g_lines[0];
  EXPECT_NE(g_lines[1].find(L": THREAD END\r\n"), std::wstring::npos) << g_lines[1];
  wchar_t threadTag[32];
  swprintf(threadTag, 32, L"<T%05lu>", static_cast<unsigned long>(id));
  EXPECT_NE(g_lines[0].find(threadTag), std::wstring::npos) << g_lines[0];
}

// Tests that threads carry their debugger-visible names, "t" and the id when unnamed.
TEST_F(ThreadTest, NamesThreadsForDebuggers) {
  EXPECT_EQ(Utils::ThreadDebugName(L"", 77), L"t77");
  EXPECT_EQ(Utils::ThreadDebugName(L"ABDEF", 77), L"ABDEF");

  Utils::Thread named(0, L"ABDEF", [](uint32_t) {});
  Utils::Thread unnamed(0, L"", [](uint32_t) {});
  ASSERT_TRUE(named.IsCreated());
  ASSERT_TRUE(unnamed.IsCreated());
  const std::wstring namedText = DescriptionOf(named.Handle());
  if (namedText != L"<unsupported>") {
    EXPECT_EQ(namedText, L"ABDEF");
    EXPECT_EQ(DescriptionOf(unnamed.Handle()), L"t" + std::to_wstring(unnamed.Id()));
  }
  named.Resume();
  unnamed.Resume();
}

// Tests that the destructor waits for a running body, and that a thread never resumed
// neither runs nor blocks its owner.
TEST_F(ThreadTest, DestructorJoinsAndNeverResumedThreadDoesNotHang) {
  std::atomic<bool> finished{false};
  {
    Utils::Thread slow(0, L"slow", [&](uint32_t) {
      ::Sleep(200);
      finished = true;
    });
    slow.Resume();
  }
  EXPECT_TRUE(finished.load());

  std::atomic<bool> ran{false};
  { Utils::Thread idle(0, L"idle", [&](uint32_t) { ran = true; }); }
  EXPECT_FALSE(ran.load());
}
