#include "engine/OutputProtocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/engine_runners/RunnerSupport.h"
#include "utils/DebugLog.h"

using runner_tests::Encode;
using runner_tests::Event;
using runner_tests::EventLog;

namespace {

// Feeds |bytes| in one read and finishes; returns the events.
std::vector<Event> RunWhole(ProtocolDialect dialect, const std::string& bytes, TerminalResult* result = nullptr) {
  EventLog log;
  OutputProtocol protocol(dialect, log.Callback());
  const TerminalResult fed = protocol.Feed(bytes.data(), bytes.size());
  const TerminalResult finished = protocol.Finish();
  if (result) *result = finished != TerminalResult::kNone ? finished : fed;
  return log.Events();
}

// Feeds |bytes| cut at |cuts| (sorted positions), then finishes.
std::vector<Event> RunSplit(ProtocolDialect dialect, const std::string& bytes, const std::vector<size_t>& cuts) {
  EventLog log;
  OutputProtocol protocol(dialect, log.Callback());
  size_t from = 0;
  for (size_t cut : cuts) {
    protocol.Feed(bytes.data() + from, cut - from);
    from = cut;
  }
  protocol.Feed(bytes.data() + from, bytes.size() - from);
  protocol.Finish();
  return log.Events();
}

struct LineCase {
  const char* line;  // fed with a line feed after it
  std::vector<Event> events;
  TerminalResult result;
};

constexpr double kMinusOne = 4294967295.0;

}  // namespace

// Tests that every key of the package dialect gives its event with the value rules: raw
// values keep a trailing carriage return, empty values give empty text, trimmed keys ignore
// blanks, and keys are case-sensitive and must start the line.
TEST(OutputProtocolTest, PackageKeysAndValues) {
  const LineCase cases[] = {
      {"Progress=0.25", {{2002, 0.25, L""}}, TerminalResult::kNone},
      {"Progress= 0.5\r", {{2002, 0.5, L""}}, TerminalResult::kNone},
      {"Progress=", {{2002, 0.0, L""}}, TerminalResult::kNone},
      {"Progress=abc", {{2002, 0.0, L""}}, TerminalResult::kNone},
      {"Progress=inf", {{2002, 0.0, L""}}, TerminalResult::kNone},
      {"InstPath=C:\\Quillora\r", {{3000, 0.0, L"C:\\Quillora\r"}}, TerminalResult::kNone},
      {"InstPath=", {{3000, 0.0, L""}}, TerminalResult::kNone},
      {"InstPath= spaced ", {{3000, 0.0, L" spaced "}}, TerminalResult::kNone},
      {"State=Success", {{2003, 0.0, L""}}, TerminalResult::kSuccess},
      {"State=  Success \r", {{2003, 0.0, L""}}, TerminalResult::kSuccess},
      {"State=success", {}, TerminalResult::kNone},
      {"State=Fail", {{2004, 0.0, L"安装包安装失败"}}, TerminalResult::kFailure},
      {"State=Done", {}, TerminalResult::kNone},
      {"State=", {}, TerminalResult::kNone},
      {"InstallVersion=1.2.3", {}, TerminalResult::kNone},
      {"ExePath=C:\\Q\\Quillora.exe", {{3001, 0.0, L"C:\\Q\\Quillora.exe"}}, TerminalResult::kNone},
      {"StartExe=C:\\Q\\q.exe", {{3001, 0.0, L"C:\\Q\\q.exe"}}, TerminalResult::kNone},
      {"UninstExePath=C:\\Q\\un.exe", {{3002, 0.0, L"C:\\Q\\un.exe"}}, TerminalResult::kNone},
      {"UninstExe=C:\\Q\\u.exe", {{3002, 0.0, L"C:\\Q\\u.exe"}}, TerminalResult::kNone},
      {"UninstEp=C:\\Q\\uninst.ep", {{3003, 0.0, L"C:\\Q\\uninst.ep"}}, TerminalResult::kNone},
      {"Error=disk full", {{2004, 1000.0, L"disk full"}}, TerminalResult::kFailure},
      {"Error=", {{2004, 1000.0, L""}}, TerminalResult::kFailure},
      {"TopShowDetention=15", {{3007, 15.0, L""}}, TerminalResult::kNone},
      {"TopShowDetention=-1", {{3007, kMinusOne, L""}}, TerminalResult::kNone},
      {"TopShowDetention=soon", {{3007, 0.0, L""}}, TerminalResult::kNone},
      {"FinsihCloseDetention=7", {{3008, 7.0, L""}}, TerminalResult::kNone},
      {"FinsihCloseDetention=", {{3008, 0.0, L""}}, TerminalResult::kNone},
      {"StartUrl=https://quillora.example/welcome",
       {{3004, 0.0, L"https://quillora.example/welcome"}},
       TerminalResult::kNone},
      {"StartupStyle=NonStartup", {{3005, 0.0, L""}}, TerminalResult::kNone},
      {"StartupStyle=AutoStartup", {{3005, 1.0, L""}}, TerminalResult::kNone},
      {"StartupStyle= UserStartup\r", {{3005, 2.0, L""}}, TerminalResult::kNone},
      {"StartupStyle=Sometimes", {{3005, 0.0, L""}}, TerminalResult::kNone},
      {"Encode=UTF8", {}, TerminalResult::kNone},
      {"Message=Hello", {{3009, 0.0, L"Hello"}}, TerminalResult::kNone},
      {"Message=", {{3009, 0.0, L""}}, TerminalResult::kNone},
      {"progress=0.5", {}, TerminalResult::kNone},
      {" Progress=0.5", {}, TerminalResult::kNone},
      {"FinishCloseDetention=3", {}, TerminalResult::kNone},
      {"Unknown=1", {}, TerminalResult::kNone},
      {"", {}, TerminalResult::kNone},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    TerminalResult result = TerminalResult::kNone;
    EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, std::string(c.line) + "\n", &result), c.events);
    EXPECT_EQ(result, c.result);
  }
}

// Tests that the uninstaller dialect knows only its four keys, with its own codes and texts.
TEST(OutputProtocolTest, UninstallerKeysAndValues) {
  const LineCase cases[] = {
      {"Progress=0.75", {{5002, 0.75, L""}}, TerminalResult::kNone},
      {"Progress=x", {{5002, 0.0, L""}}, TerminalResult::kNone},
      {"State=Success", {{5003, 0.0, L""}}, TerminalResult::kSuccess},
      {"State= Success\r", {{5003, 0.0, L""}}, TerminalResult::kSuccess},
      {"State=Fail", {{5005, 0.0, L"安装包卸载失败"}}, TerminalResult::kFailure},
      {"State=SUCCESS", {}, TerminalResult::kNone},
      {"Error=in use\r", {{5005, 0.0, L"in use\r"}}, TerminalResult::kFailure},
      {"Error=", {{5005, 0.0, L""}}, TerminalResult::kFailure},
      {"Encode=UTF8", {}, TerminalResult::kNone},
      {"InstPath=C:\\Q", {}, TerminalResult::kNone},
      {"Message=hi", {}, TerminalResult::kNone},
      {"ExePath=C:\\Q\\q.exe", {}, TerminalResult::kNone},
      {"TopShowDetention=1", {}, TerminalResult::kNone},
      {"StartupStyle=AutoStartup", {}, TerminalResult::kNone},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    TerminalResult result = TerminalResult::kNone;
    EXPECT_EQ(RunWhole(ProtocolDialect::kUninstaller, std::string(c.line) + "\n", &result), c.events);
    EXPECT_EQ(result, c.result);
  }
}

// Tests the value length limit: 771 characters pass, 772 read as empty text (the line still
// counts, so an overlong "Error=" is still a failure). Lines beyond the byte limit keep the
// number at their head and the following line is read normally.
TEST(OutputProtocolTest, ValueLengthLimit) {
  const std::string fits(kMaxProtocolValue, 'a');
  const std::string tooLong(kMaxProtocolValue + 1, 'a');
  const std::wstring fitsWide(kMaxProtocolValue, L'a');
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Message=" + fits + "\n"), (std::vector<Event>{{3009, 0.0, fitsWide}}));
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Message=" + tooLong + "\n"), (std::vector<Event>{{3009, 0.0, L""}}));
  // The limit counts characters, not bytes: 771 three-byte characters fit.
  const std::wstring wideChinese(kMaxProtocolValue, L'蓝');
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Encode=UTF8\nMessage=" + Encode(wideChinese, CP_UTF8) + "\n"),
            (std::vector<Event>{{3009, 0.0, wideChinese}}));
  TerminalResult result = TerminalResult::kNone;
  EXPECT_EQ(RunWhole(ProtocolDialect::kUninstaller, "Error=" + tooLong + "\n", &result),
            (std::vector<Event>{{5005, 0.0, L""}}));
  EXPECT_EQ(result, TerminalResult::kFailure);
  // A state word padded beyond the limit is no state.
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "State=Success" + std::string(kMaxProtocolValue, ' ') + "\n"),
            (std::vector<Event>{}));

  const std::string huge(3 * kMaxProtocolLineBytes, 'z');
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Error=" + huge + "\nMessage=next\n"),
            (std::vector<Event>{{2004, 1000.0, L""}, {3009, 0.0, L"next"}}));
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Progress=0.5" + huge + "\nProgress=0.6\n"),
            (std::vector<Event>{{2002, 0.5, L""}, {2002, 0.6, L""}}));
  // The same overlong line arriving in small reads, cut inside a character at the limit.
  const std::string chinese = "Encode=UTF8\nProgress=0.5" + Encode(std::wstring(3000, L'蓝'), CP_UTF8) + "\nMessage=ok";
  std::vector<size_t> cuts;
  for (size_t at = 100; at < chinese.size(); at += 100) cuts.push_back(at);
  EXPECT_EQ(RunSplit(ProtocolDialect::kPackage, chinese, cuts),
            (std::vector<Event>{{2002, 0.5, L""}, {3009, 0.0, L"ok"}}));
}

// Tests "InstallVersion=": all three numbers are stored; a shorter value changes only what
// it names; no event is sent.
TEST(OutputProtocolTest, InstallVersion) {
  EventLog log;
  OutputProtocol protocol(ProtocolDialect::kPackage, log.Callback());
  EXPECT_EQ(protocol.Version().major, 0);
  const std::string first = "InstallVersion=2.5.13\n";
  protocol.Feed(first.data(), first.size());
  EXPECT_EQ(protocol.Version().major, 2);
  EXPECT_EQ(protocol.Version().minor, 5);
  EXPECT_EQ(protocol.Version().patch, 13);
  const std::string second = "InstallVersion=3\n";
  protocol.Feed(second.data(), second.size());
  EXPECT_EQ(protocol.Version().major, 3);
  EXPECT_EQ(protocol.Version().minor, 5);
  EXPECT_EQ(protocol.Version().patch, 13);
  EXPECT_TRUE(log.Events().empty());
}

struct CodePageCase {
  ProtocolDialect dialect;
  const char* value;
  unsigned codePage;
};

// Tests the "Encode=" values of both dialects, each starting from a code page other than the
// expected one.
TEST(OutputProtocolTest, EncodeValues) {
  const CodePageCase cases[] = {
      {ProtocolDialect::kPackage, "UTF8", 65001},
      {ProtocolDialect::kPackage, " UTF8 \r", 65001},
      {ProtocolDialect::kPackage, "utf8", 0},
      {ProtocolDialect::kPackage, "ACP", 0},
      {ProtocolDialect::kPackage, "936", 936},
      {ProtocolDialect::kPackage, "936 (GBK)", 936},
      {ProtocolDialect::kPackage, " 1252\r", 1252},
      {ProtocolDialect::kPackage, "GBK", 0},
      {ProtocolDialect::kPackage, "", 0},
      {ProtocolDialect::kPackage, "-1", 0},
      {ProtocolDialect::kPackage, "65536", 0},
      {ProtocolDialect::kPackage, "4294968232", 0},
      {ProtocolDialect::kUninstaller, "UTF8", 65001},
      {ProtocolDialect::kUninstaller, "936", 0},
      {ProtocolDialect::kUninstaller, "ACP", 0},
      {ProtocolDialect::kUninstaller, "utf-8", 0},
  };
  for (const CodePageCase& c : cases) {
    SCOPED_TRACE(c.value);
    OutputProtocol protocol(c.dialect, {});
    const std::string start = c.codePage == 65001 ? "Encode=ACP\n" : "Encode=UTF8\n";
    protocol.Feed(start.data(), start.size());
    ASSERT_NE(protocol.CodePage(), c.codePage);
    const std::string line = std::string("Encode=") + c.value + "\n";
    protocol.Feed(line.data(), line.size());
    EXPECT_EQ(protocol.CodePage(), c.codePage);
  }
}

// Tests that the code page of an "Encode=" line applies from the very next line, also within
// the same read, and that one undecodable line loses only itself.
TEST(OutputProtocolTest, CodePageAppliesFromTheNextLine) {
  const std::wstring text = L"正在安装青蓝工坊";
  const std::string bytes = "Encode=936\nMessage=" + Encode(text, 936) +
                            "\r\nEncode=UTF8\nMessage=" + Encode(text, CP_UTF8) +
                            "\nMessage=\xFF\xFE broken\nEncode=ACP\nMessage=plain\n";
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, bytes),
            (std::vector<Event>{{3009, 0.0, text + L"\r"}, {3009, 0.0, text}, {3009, 0.0, L"plain"}}));
  // UTF-8 text announced to the uninstaller.
  EXPECT_EQ(RunWhole(ProtocolDialect::kUninstaller, "Encode=UTF8\nError=" + Encode(text, CP_UTF8) + "\n"),
            (std::vector<Event>{{5005, 0.0, text}}));
}

// Tests that a line split between reads is put together (a number split in two gives one
// event with all digits), a character split between reads survives, and a last line without
// a line feed is read at the end.
TEST(OutputProtocolTest, LinesSplitBetweenReads) {
  EventLog log;
  OutputProtocol protocol(ProtocolDialect::kPackage, log.Callback());
  const auto feed = [&](std::string_view bytes) { return protocol.Feed(bytes.data(), bytes.size()); };
  const std::string blue = Encode(L"蓝", CP_UTF8);
  ASSERT_EQ(blue.size(), 3u);
  EXPECT_EQ(feed("Progress=0."), TerminalResult::kNone);
  EXPECT_TRUE(log.Events().empty());
  EXPECT_EQ(feed("75\nStat"), TerminalResult::kNone);
  EXPECT_EQ(feed("e=Fa"), TerminalResult::kNone);
  EXPECT_EQ(feed("il\nEncode=UTF8\nMessage=" + blue.substr(0, 1)), TerminalResult::kFailure);
  EXPECT_EQ(feed(blue.substr(1)), TerminalResult::kNone);
  EXPECT_EQ(protocol.Finish(), TerminalResult::kNone);
  EXPECT_EQ(log.Events(), (std::vector<Event>{{2002, 0.75, L""}, {2004, 0.0, L"安装包安装失败"}, {3009, 0.0, L"蓝"}}));
  // Nothing left over: finishing again sends nothing.
  EXPECT_EQ(protocol.Finish(), TerminalResult::kNone);
  EXPECT_EQ(log.Events().size(), 3u);

  TerminalResult result = TerminalResult::kNone;
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Progress=0.5\nState=Fail", &result),
            (std::vector<Event>{{2002, 0.5, L""}, {2004, 0.0, L"安装包安装失败"}}));
  EXPECT_EQ(result, TerminalResult::kFailure);
}

// Tests that every line of a read is interpreted, also after a terminal line, and that the
// read's result is its last terminal line.
TEST(OutputProtocolTest, EveryLineOfAReadCountsAndTheLastResultWins) {
  TerminalResult result = TerminalResult::kNone;
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "State=Success\nError=late\nMessage=after\n", &result),
            (std::vector<Event>{{2003, 0.0, L""}, {2004, 1000.0, L"late"}, {3009, 0.0, L"after"}}));
  EXPECT_EQ(result, TerminalResult::kFailure);
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, "Error=first\nState=Success\n", &result),
            (std::vector<Event>{{2004, 1000.0, L"first"}, {2003, 0.0, L""}}));
  EXPECT_EQ(result, TerminalResult::kSuccess);
}

// Tests that a zero byte ends its line's text without swallowing the lines after it.
TEST(OutputProtocolTest, ZeroByteEndsTheLineText) {
  const std::string bytes("Message=ab\0cd\nMessage=ef\n", 25);
  EXPECT_EQ(RunWhole(ProtocolDialect::kPackage, bytes), (std::vector<Event>{{3009, 0.0, L"ab"}, {3009, 0.0, L"ef"}}));
}

namespace {
std::vector<std::wstring> g_logLines;
void CaptureLogLine(const wchar_t* line) {
  g_logLines.push_back(line);
}
}  // namespace

// Tests that "ExePath=" writes its diagnostic line under the package runner's label.
TEST(OutputProtocolTest, ExePathIsLogged) {
  g_logLines.clear();
  const Utils::LogSink previous = Utils::SetLogSinkForTesting(&CaptureLogLine);
  RunWhole(ProtocolDialect::kPackage, "ExePath=C:\\Q\\Quillora.exe\n");
  Utils::SetLogSinkForTesting(previous);
  ASSERT_EQ(g_logLines.size(), 1u);
  EXPECT_NE(g_logLines[0].find(L"(CInstaller::Parse)"), std::wstring::npos) << g_logLines[0];
  EXPECT_NE(g_logLines[0].find(L">: ExePath: C:\\Q\\Quillora.exe\r\n"), std::wstring::npos) << g_logLines[0];
}

// Tests that for outputs whose result line comes last, every way of splitting the bytes into
// reads (each single cut, and random sets of cuts, also inside multibyte characters) gives the
// same events as reading the output in one piece.
TEST(OutputProtocolTest, SplitReadsGiveTheSameEvents) {
  struct Output {
    ProtocolDialect dialect;
    std::string bytes;
    std::vector<Event> events;
  };
  const Output outputs[] = {
      {ProtocolDialect::kPackage, runner_tests::PackageScriptOutput(), runner_tests::PackageScriptEvents()},
      {ProtocolDialect::kUninstaller, runner_tests::UninstallerScriptOutput(), runner_tests::UninstallerScriptEvents()},
  };
  std::mt19937 random(20261211);
  for (const Output& output : outputs) {
    ASSERT_EQ(RunWhole(output.dialect, output.bytes), output.events);
    for (size_t cut = 1; cut < output.bytes.size(); ++cut) {
      ASSERT_EQ(RunSplit(output.dialect, output.bytes, {cut}), output.events) << "cut at " << cut;
    }
    for (int round = 0; round < 400; ++round) {
      const std::vector<size_t> cuts = runner_tests::RandomCuts(random, output.bytes.size(), 40);
      ASSERT_EQ(RunSplit(output.dialect, output.bytes, cuts), output.events) << "round " << round;
    }
  }
}
