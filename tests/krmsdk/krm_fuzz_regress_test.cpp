// Inputs found by fuzzing the job library's readers, kept so that the
// faults they showed stay fixed. Files are in tests/data/regress/.
#include <gtest/gtest.h>

#include "base/sdk_list.h"
#include "krm_test_util.h"
#include "krmsdk/krm_command_file.h"

using namespace krmtest;

namespace {

const std::string kRegress = std::string(QM_TEST_DATA) + "/regress/";

std::vector<std::string> operands(const std::string& path, const char* keyword) {
  SdkList out;
  krmGetCommandStrings(path.c_str(), keyword, 1, 1, out);
  return out.toVector();
}

}  // namespace

// An operand that is itself a wildcard pattern ("a[1]") was not found in the
// list by the wildcard test, so a command file naming it twice gave it
// twice (and the install job would send the file twice). The matcher now
// takes equal texts as matching.
TEST(KrmFuzzRegress, OperandsThatArePatternsAreListedOnce) {
  ScratchDir dir;
  // The fuzz input starts with two option bytes of the fuzz target.
  std::string found = readFile(kRegress + "command-strings-pattern-duplicates.bin").substr(2);
  writeFile(dir / "found.ps", found);
  std::vector<std::string> got = operands(dir / "found.ps", "run");
  ASSERT_FALSE(got.empty());
  for (std::size_t i = 0; i < got.size(); ++i)
    for (std::size_t j = i + 1; j < got.size(); ++j) EXPECT_NE(got[i], got[j]);

  writeFile(dir / "twice.ps", "(a[1]) run\n(a[1]) run\n(A) run\n(a) run\n([x]*) run\n([x]*) run\n");
  EXPECT_EQ(operands(dir / "twice.ps", "run"), (std::vector<std::string>{"a[1]", "A", "[x]*"}));
}
