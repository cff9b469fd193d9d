#include "framework/util/UtilString.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(Util_String, NeverSetReadsAsEmptyText)
{
  Util_String s;
  ASSERT_NE(s.Get(), nullptr);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.DeleteSub(0, 3);
  EXPECT_STREQ(s.Get(), "");
}

TEST(Util_String, SetAppendInsertAndDeleteRespectBounds)
{
  Util_String s;
  s.Set("abcdef", 3);
  EXPECT_STREQ(s.Get(), "abc");
  s.Append("XYZ", 2);
  EXPECT_STREQ(s.Get(), "abcXY");
  s.Insert("12", -5);
  EXPECT_STREQ(s.Get(), "12abcXY");
  s.Insert("!", 100);
  EXPECT_STREQ(s.Get(), "12abcXY!");
  s.DeleteSub(2, 3);
  EXPECT_STREQ(s.Get(), "12XY!");
  s.DeleteSub(3, 100);
  EXPECT_STREQ(s.Get(), "12X");
  s.DeleteSub(3, 1); // at the end: nothing
  s.DeleteSub(-1, 1);
  EXPECT_STREQ(s.Get(), "12X");
  EXPECT_EQ(s.GetLength(), 3);
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  s.Set("a\0b", 3); // stops at the zero byte
  EXPECT_EQ(s.GetLength(), 1);
}

TEST(Util_String, FormattingIsCutToTheGivenLength)
{
  Util_String s;
  s.SetFormatted(5, "%s", "abcdefgh");
  EXPECT_STREQ(s.Get(), "abcde");
  s.AppendFormatted(3, "%d", 123456);
  EXPECT_STREQ(s.Get(), "abcde123");
  s.SetFormatted(0, "%s", "ignored");
  EXPECT_STREQ(s.Get(), "");
  std::string longText(3000, 'q');
  s.SetFormatted(2500, "<%s>", longText.c_str());
  EXPECT_EQ(s.GetLength(), 2500);
  EXPECT_EQ(s.Get()[0], '<');
}

TEST(Util_String, SourcesInsideTheOwnTextAreSafe)
{
  Util_String s("0123456789");
  s.Append(s.Get()); // the buffer grows while the source is inside it
  EXPECT_STREQ(s.Get(), "01234567890123456789");
  s.Set(s.Get() + 15);
  EXPECT_STREQ(s.Get(), "56789");
  s.Insert(s.Get() + 1, 1, 2);
  EXPECT_STREQ(s.Get(), "5676789");
  s.SetFormatted(100, "[%s|%s]", s.Get(), s.Get());
  EXPECT_STREQ(s.Get(), "[5676789|5676789]");
}

TEST(Util_String, SnprintfAppendNeverPassesTheBuffer)
{
  char buffer[8] = "ab";
  snprintf_append(buffer, sizeof(buffer), "%s", "cdefghijk");
  EXPECT_STREQ(buffer, "abcdefg");
  snprintf_append(buffer, sizeof(buffer), "%s", "more"); // full: nothing
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(Util_String, NumbersIgnoreADecimalCommaLocale)
{
  testsupport::CommaLocale comma;
  if (!comma.Active())
    GTEST_SKIP() << "no decimal-comma locale could be made (localedef or locale sources missing)";
  char probe[16];
  std::snprintf(probe, sizeof(probe), "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5") << "the locale must really use a comma";

  Util_String s;
  s.SetFormatted(32, "%f|%.2f|%g", 1.5, -0.25, 1e-3);
  EXPECT_STREQ(s.Get(), "1.500000|-0.25|0.001");
  s.AppendFormatted(32, " %.1f", 2.0);
  EXPECT_STREQ(s.Get(), "1.500000|-0.25|0.001 2.0");
  char buffer[32];
  Util_snprintf(buffer, sizeof(buffer), "%.3f", 3.25);
  EXPECT_STREQ(buffer, "3.250");
  EXPECT_DOUBLE_EQ(Util_AtoF("2.5"), 2.5);
  EXPECT_DOUBLE_EQ(Util_AtoF("2,5"), 2.0); // the comma ends the number
  char* end = nullptr;
  EXPECT_DOUBLE_EQ(Util_StrToDouble("  -1.75e1xyz", &end), -17.5);
  EXPECT_STREQ(end, "xyz");
  EXPECT_DOUBLE_EQ(Util_AtoF(nullptr), 0.0);
}
