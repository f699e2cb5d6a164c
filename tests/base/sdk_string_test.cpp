#include "base/sdk_string.h"

#include <gtest/gtest.h>

#include <string>

TEST(SdkString, NewStringIsEmptyAndNullSetKeepsItEmpty) {
  SdkString s;
  EXPECT_EQ(s.isEmpty(), 1);
  EXPECT_EQ(s.length(), 0);
  ASSERT_NE(s.text(), nullptr);
  EXPECT_STREQ(s.text(), "");
  s.set("x");
  s.set(static_cast<const char*>(nullptr));
  ASSERT_NE(s.text(), nullptr);
  EXPECT_EQ(s.isEmpty(), 1);
}

TEST(SdkString, ComparisonsAreCaseSensitiveAndAltSlotsAgree) {
  SdkString empty;
  EXPECT_EQ(empty.equals(""), 1);
  SdkString abc("abc");
  EXPECT_EQ(abc.equals("ABC"), 0);
  for (const char* t : {"abc", "ABC", "", "ab"}) {
    EXPECT_EQ(abc.equals(t), abc.equalsAlt(t));
    EXPECT_EQ(abc.contains(t), abc.containsAlt(t));
  }
  EXPECT_EQ(abc.contains(""), 1);
  EXPECT_EQ(abc.contains("bc"), 1);
  EXPECT_EQ(abc.contains("BC"), 0);
}

TEST(SdkString, Searching) {
  SdkString s("abcabc");
  EXPECT_EQ(s.indexOf(""), 0);
  EXPECT_EQ(s.indexOf("abcabcx"), -1);
  EXPECT_EQ(s.indexOf("ca"), 2);
  SdkString dots("a.b.c");
  EXPECT_EQ(dots.lastIndexOfChar('.'), 3);
  EXPECT_EQ(dots.indexOfChar('.'), 1);
  EXPECT_EQ(dots.indexOfChar('z'), -1);
  EXPECT_EQ(dots.indexOfChar(0), -1);
  EXPECT_EQ(dots.indexOfChar('.' + 256), 1) << "only the low byte counts";
}

TEST(SdkString, CutsClampOutOfRangeArguments) {
  SdkString s("abc"), d;
  s.left(d, 10);
  EXPECT_STREQ(d.text(), "abc");
  s.right(d, 0);
  EXPECT_STREQ(d.text(), "");
  s.right(d, 2);
  EXPECT_STREQ(d.text(), "bc");
  s.right(d, 99);
  EXPECT_STREQ(d.text(), "abc");
  s.substring(d, 1, 1);
  EXPECT_STREQ(d.text(), "b");
  s.substring(d, 2, 50);
  EXPECT_STREQ(d.text(), "c");
  s.substring(d, 7, 2);
  EXPECT_STREQ(d.text(), "");
  s.tailFrom(d, 9);
  EXPECT_STREQ(d.text(), "");
  s.left(d, -4);
  EXPECT_STREQ(d.text(), "");
}

TEST(SdkString, CutsIntoItself) {
  SdkString s("prefix:rest");
  s.tailFrom(s, 7);
  EXPECT_STREQ(s.text(), "rest");
  s.left(s, 2);
  EXPECT_STREQ(s.text(), "re");
}

TEST(SdkString, SetFromOwnText) {
  SdkString s("hello world");
  s.set(s.text() + 6);
  EXPECT_STREQ(s.text(), "world");
  s.set(s.text());
  EXPECT_STREQ(s.text(), "world");
}

TEST(SdkString, ReplaceAllIsLeftToRightAndNonOverlapping) {
  SdkString crlf("a\r\nb\r\n");
  crlf.replaceAll("\r", "\n");
  EXPECT_STREQ(crlf.text(), "a\n\nb\n\n");
  SdkString aaaa("aaaa");
  aaaa.replaceAll("aa", "a");
  EXPECT_STREQ(aaaa.text(), "aa");
  SdkString grow("aXa");
  grow.replaceAll("a", "aa");
  EXPECT_STREQ(grow.text(), "aaXaa") << "replaced text is not searched again";
  SdkString del("a\\b\\c");
  del.replaceAll("\\", "");
  EXPECT_STREQ(del.text(), "abc");
  SdkString same("abc");
  same.replaceAll("", "zz");
  EXPECT_STREQ(same.text(), "abc");
}

TEST(SdkString, AppendingCharacters) {
  SdkString s("x");
  s.appendChar(13);
  EXPECT_EQ(s.length(), 2);
  EXPECT_EQ(s.text()[1], '\r');
  s.appendChar(0);
  EXPECT_EQ(s.length(), 2);
  s.appendChar(0x141);  // low byte 'A'
  EXPECT_STREQ(s.text(), "x\rA");
}

TEST(SdkString, FormatNeverOverflows) {
  SdkString s;
  std::string big(20000, 'q');
  s.format("<%s>%d", big.c_str(), 7);
  EXPECT_EQ(s.length(), 20003);
  EXPECT_EQ(s.str().substr(20001), ">7");
  s.format("%%%s", "x");
  EXPECT_STREQ(s.text(), "%x");
}

TEST(SdkString, ReleaseLeavesNullUntilSetAgain) {
  SdkString s("abc");
  s.release();
  EXPECT_EQ(s.text(), nullptr);
  s.append("d");
  EXPECT_STREQ(s.text(), "d");
  s.release();
  s.clear();
  EXPECT_STREQ(s.text(), "");
}
