// The README's command-line example runs as it stands from the source tree
// (with this build's folder for "build/") and leaves the tree as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/sdk_fs.h"
#include "tests/common/test_platform.h"
#include "tools/cups/private_cups.h"

namespace {
void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
    text.replace(pos, from.size(), to);
}

// The first shell block after the heading.
std::string exampleAfter(const std::string& readme, const std::string& heading) {
  std::size_t at = readme.find(heading);
  if (at == std::string::npos) return {};
  std::size_t open = readme.find("```sh\n", at);
  if (open == std::string::npos) return {};
  open += 6;
  std::size_t close = readme.find("```\n", open);
  return close == std::string::npos ? std::string() : readme.substr(open, close - open);
}
// A failing line ends the example early; its scheduler goes anyway.
const char kStopSchedulerOnExit[] =
    "trap '[ -z \"${QM_CUPS_DIR:-}\" ] || tools/cups/qm-private-cups.sh destroy \"$QM_CUPS_DIR\" "
    ">/dev/null 2>&1' EXIT\n";
}  // namespace

TEST(Readme, CommandLineExampleRunsAsWritten) {
  QM_POSIX_ONLY("the example is a shell session");
  const std::string source = QM_SOURCE_DIR;
  std::string block = exampleAfter(sdkReadWholeFile((source + "/README.md").c_str()).value_or(""),
                                   "## The command line");
  ASSERT_FALSE(block.empty());
  replaceAll(block, "$PWD/build/", "build/");
  replaceAll(block, "build/", "\x01");
  replaceAll(block, "\x01", std::string(QM_BINARY_DIR) + "/");
  const std::string sample = source + "/tests/data/sample-project/tqfc/Demo/Invoice/Invoice.kpf";
  const std::string before = sdkReadWholeFile(sample.c_str()).value_or("");

  std::string out;
  int status = runProgram({"env", "-u", "PRINTER", "-u", "LPDEST", "-u", "CUPS_SERVER", "-u",
                           "QUAYMASTER_CONFIG_DIR", "bash", "-e", "-c",
                           "cd '" + source + "'\n" + kStopSchedulerOnExit + block},
                          out);
  EXPECT_EQ(status, 0) << out;
  for (const char* expected : {"Tessel_1: job ", "completed\n", "Container written: ", "stored   tqfc/formlib/a.frm"})
    EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
  EXPECT_EQ(sdkReadWholeFile(sample.c_str()).value_or(""), before);
  EXPECT_FALSE(std::filesystem::exists(source + "/preview-pages"));
}
