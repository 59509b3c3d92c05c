#include "utils/CommandLine.h"

#include <gtest/gtest.h>

#include <cmath>

using Utils::CommandLine;
using Utils::NumberStatus;

TEST(CommandLineTest, SplitsKeysAndValuesAtTheFirstEquals) {
  CommandLine cl(LR"("C:\Program Files\QuilloraSetup.exe" -instcmd=a=b -downloadurl= plain -ischecknet "-dlappversion=1 2")");
  EXPECT_TRUE(cl.Has(LR"(C:\Program Files\QuilloraSetup.exe)"));  // the program path is an argument too
  EXPECT_EQ(cl.GetString(L"-instcmd"), L"a=b");
  EXPECT_TRUE(cl.Has(L"-downloadurl"));
  EXPECT_EQ(cl.GetString(L"-downloadurl"), L"");
  EXPECT_TRUE(cl.Has(L"plain"));
  EXPECT_TRUE(cl.Has(L"-ischecknet"));
  EXPECT_EQ(cl.GetString(L"-dlappversion"), L"1 2");
  EXPECT_EQ(cl.GetString(L"-absent"), L"");
}

TEST(CommandLineTest, FirstOccurrenceWinsAndKeysAreCaseSensitive) {
  CommandLine cl(L"setup.exe -downloadtype=3 -downloadtype=1 -ISCHECKNET=true");
  EXPECT_EQ(cl.GetInt(L"-downloadtype"), 3);
  EXPECT_FALSE(cl.GetBool(L"-ischecknet"));
  EXPECT_TRUE(cl.GetBool(L"-ISCHECKNET"));
}

TEST(CommandLineTest, GettersFollowTheConversionRules) {
  CommandLine cl(
      L"setup.exe -a=true -b=True -c=1 -d= -i1=42abc -i2=abc -i3=\"  -7\" -i4=99999999999 -d1=0.5x -d2=abc "
      L"-d3=1e999 -d4=nan");
  EXPECT_TRUE(cl.GetBool(L"-a"));
  EXPECT_FALSE(cl.GetBool(L"-b"));
  EXPECT_FALSE(cl.GetBool(L"-c"));
  EXPECT_FALSE(cl.GetBool(L"-d"));
  EXPECT_FALSE(cl.GetBool(L"-absent"));

  EXPECT_EQ(cl.GetInt(L"-i1"), 42);
  EXPECT_EQ(cl.GetInt(L"-i2"), 0);
  EXPECT_EQ(cl.GetInt(L"-i3"), -7);
  EXPECT_EQ(cl.GetInt(L"-i4"), std::nullopt);  // does not fit 32 bits
  EXPECT_EQ(cl.GetInt(L"-absent"), 0);

  EXPECT_DOUBLE_EQ(cl.GetDouble(L"-d1", 9.0), 0.5);
  EXPECT_DOUBLE_EQ(cl.GetDouble(L"-d2", 9.0), 9.0);
  EXPECT_DOUBLE_EQ(cl.GetDouble(L"-d3", 9.0), 9.0);
  EXPECT_DOUBLE_EQ(cl.GetDouble(L"-d4", 9.0), 9.0);
  EXPECT_DOUBLE_EQ(cl.GetDouble(L"-absent", 9.0), 9.0);
}

TEST(NumberParseTest, IntegersAndDoublesByTheirRanges) {
  struct IntCase {
    const wchar_t* text;
    NumberStatus status;
    int value;
  };
  const IntCase ints[] = {
      {L"2147483647", NumberStatus::kOk, 2147483647},   {L"-2147483648", NumberStatus::kOk, -2147483647 - 1},
      {L"2147483648", NumberStatus::kOutOfRange, 0},    {L"-2147483649", NumberStatus::kOutOfRange, 0},
      {L"+12", NumberStatus::kOk, 12},                  {L"", NumberStatus::kNotANumber, 0},
      {L"x1", NumberStatus::kNotANumber, 0},            {L"99999999999999999999999", NumberStatus::kOutOfRange, 0},
  };
  for (const IntCase& c : ints) {
    const auto r = Utils::ParseInt32(c.text);
    EXPECT_EQ(r.status, c.status) << c.text;
    EXPECT_EQ(r.value, c.value) << c.text;
  }
  EXPECT_EQ(Utils::ParseDouble(L" 0.25").status, NumberStatus::kOk);
  EXPECT_DOUBLE_EQ(Utils::ParseDouble(L" 0.25").value, 0.25);
  EXPECT_EQ(Utils::ParseDouble(L"-1e400").status, NumberStatus::kOutOfRange);
  EXPECT_EQ(Utils::ParseDouble(L"inf").status, NumberStatus::kOutOfRange);
  EXPECT_EQ(Utils::ParseDouble(L"1e-400").status, NumberStatus::kOk);  // underflow reads as (nearly) zero
  EXPECT_EQ(Utils::ParseDouble(L".").status, NumberStatus::kNotANumber);
}
