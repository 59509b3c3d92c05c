#include "utils/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>

#include "utils/Exception.h"

namespace {

// Reads a pipe until end of file.
std::string ReadAll(HANDLE pipe) {
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

DWORD WaitForExitCode(HANDLE process) {
  EXPECT_EQ(::WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process, &code);
  return code;
}

}  // namespace

// Tests that the child's standard output and error arrive on their pipes, end of file is
// seen once the child is gone (no stray inherited ends), and the exit code is observed.
TEST(ChildProcessTest, ReadsOutputAndErrorAndObservesExit) {
  Utils::ChildProcess child;
  child.Launch(L"cmd.exe /c \"echo hello-out& echo hello-err 1>&2& exit 7\"");
  ASSERT_NE(child.ProcessHandle(), nullptr);
  EXPECT_NE(child.ProcessId(), 0u);
  const std::string out = ReadAll(child.OutputReadEnd());
  const std::string err = ReadAll(child.ErrorReadEnd());
  EXPECT_NE(out.find("hello-out"), std::string::npos) << out;
  EXPECT_EQ(out.find("hello-err"), std::string::npos) << out;
  EXPECT_NE(err.find("hello-err"), std::string::npos) << err;
  EXPECT_EQ(WaitForExitCode(child.ProcessHandle()), 7u);
}

// Tests that the child reads what the parent writes to its standard input.
TEST(ChildProcessTest, FeedsStandardInput) {
  Utils::ChildProcess child;
  child.Launch(L"cmd.exe /c \"set /p line=& call echo got:%line%\"");
  const char input[] = "abc\r\n";
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(child.InputWriteEnd(), input, sizeof(input) - 1, &written, nullptr));
  child.CloseInput();
  const std::string out = ReadAll(child.OutputReadEnd());
  EXPECT_NE(out.find("got:abc"), std::string::npos) << out;
  WaitForExitCode(child.ProcessHandle());
}

// Tests that failures to start throw the helpers' exception type.
TEST(ChildProcessTest, ThrowsWhenTheProgramCannotStartOrTheLineIsTooLong) {
  Utils::ChildProcess missing;
  EXPECT_THROW(missing.Launch(L"C:\\no\\such\\program-4711.exe"), Utils::Exception);

  Utils::ChildProcess tooLong;
  const std::wstring line = L"cmd.exe /c echo " + std::wstring(Utils::ChildProcess::kCommandLineCapacity, L'x');
  EXPECT_THROW(tooLong.Launch(line), Utils::Exception);
  EXPECT_EQ(tooLong.ProcessHandle(), nullptr);
}

TEST(PipeTest, CarriesBytesBetweenItsEnds) {
  Utils::Pipe pipe;
  ASSERT_NE(pipe.ReadEnd(), nullptr);
  ASSERT_NE(pipe.WriteEnd(), nullptr);
  DWORD flags = 0;
  ASSERT_TRUE(::GetHandleInformation(pipe.ReadEnd(), &flags));
  EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);
  DWORD n = 0;
  ASSERT_TRUE(::WriteFile(pipe.WriteEnd(), "xyz", 3, &n, nullptr));
  pipe.CloseWriteEnd();
  EXPECT_EQ(ReadAll(pipe.ReadEnd()), "xyz");
}
