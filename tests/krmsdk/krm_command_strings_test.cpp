// Operands of interpreter command files.
#include <gtest/gtest.h>

#include "base/sdk_list.h"
#include "krm_test_util.h"
#include "krmsdk/krm_command_file.h"

using namespace krmtest;

namespace {

std::vector<std::string> operands(const std::string& text, const char* keyword, int all = 1,
                                  int convert = 0, int* found = nullptr) {
  ScratchDir dir;
  writeFile(dir / "cmd.run", text);
  SdkList out;
  int rc = krmGetCommandStrings((dir / "cmd.run").c_str(), keyword, all, convert, out);
  if (found) *found = rc;
  return out.toVector();
}

using V = std::vector<std::string>;

}  // namespace

TEST(KrmCommandStrings, ArraysRunsAndComments) {
  EXPECT_EQ(operands("[ (a) (b) ] SETPPATH\n", "SETPPATH"), (V{"a", "b"}));
  EXPECT_EQ(operands("(x) run % (y) run\n", "run"), (V{"x"}));
  // An array across lines with comments between its strings.
  EXPECT_EQ(operands("[ (tqfc/formlib/)   % customer forms\r\n"
                     "  (tqf/formlib/)    % ours\r\n"
                     "] SETFPATH\r\n",
                     "SETFPATH"),
            (V{"tqfc/formlib/", "tqf/formlib/"}));
  // Another operator between the strings and the keyword drops them.
  EXPECT_EQ(operands("(a) load (b) run\n", "run"), (V{"b"}));
  // Nested parentheses and escapes stay in the operand.
  EXPECT_EQ(operands("(a(b)c) run\n(d\\)e) run\n", "run"), (V{"a(b)c", "d\\)e"}));
  // After a match the rest of its line is skipped.
  EXPECT_EQ(operands("(a) run (b) run\n", "run"), (V{"a"}));
  // Keyword tokens are case-sensitive and whole.
  EXPECT_EQ(operands("(a) RUN (b) runx (c) run\n", "run"), (V{"c"}));
  // "/run" as in an entry procedure.
  EXPECT_EQ(operands("{ [ (c:\\\\koro\\\\src\\\\tqfdos.run) /run cvx ] cvx }\n", "/run"),
            (V{"c:\\\\koro\\\\src\\\\tqfdos.run"}));
  // Repeats are kept once; first occurrence only without "all".
  EXPECT_EQ(operands("(a) run\n(b) run\n(a) run\n", "run"), (V{"a", "b"}));
  EXPECT_EQ(operands("(a) run\n(b) run\n", "run", 0), (V{"a"}));
  int found = -1;
  EXPECT_EQ(operands("[ ] SETPPATH\n", "SETPPATH", 1, 0, &found), V{});
  EXPECT_EQ(found, 0);
  operands("(a) run", "run", 1, 0, &found);  // no final newline
  EXPECT_EQ(found, 1);
}

TEST(KrmCommandStrings, OsMarkerConversion) {
  V got = operands("(%os%/c/KORO/src/tqf.gep) run\n(tqf.def) run\n", "run", 1, 1);
#ifdef _WIN32
  EXPECT_EQ(got, (V{"c:\\KORO\\src\\tqf.gep", "tqf.def"}));
#else
  EXPECT_EQ(got, (V{"/c/KORO/src/tqf.gep", "tqf.def"}));
#endif
  EXPECT_EQ(operands("(%os%/c/x) run\n", "run", 1, 0), (V{"%os%/c/x"}));
}

TEST(KrmCommandStrings, MissingFileLeavesListAlone) {
  SdkList out;
  out.add("kept");
  EXPECT_EQ(krmGetCommandStrings("/nonexistent/cmd.run", "run", 1, 0, out), 0);
  EXPECT_EQ(out.toVector(), (V{"kept"}));
}

// Operands near and across the 64 KiB read boundaries come out whole and
// once, and no piece of one line leaks into another.
TEST(KrmCommandStrings, LargeFilesAcrossReadBoundaries) {
  std::string text;
  V expected;
  int n = 0;
  while (text.size() < 300000) {
    std::string name = "tqf/src/module" + std::to_string(n++) + ".def";
    text += "(" + name + ") run\t% a comment with (parens) and [brackets] run\r\n";
    expected.push_back(name);
    text += "% filler line " + std::string(n % 97, 'x') + "\n";
  }
  EXPECT_EQ(operands(text, "run"), expected);
  // A string opened right before a boundary and closed after it.
  std::string cut(65536 - 3, ' ');
  cut += "(abcdef) run\n";
  EXPECT_EQ(operands(cut, "run"), (V{"abcdef"}));
}
