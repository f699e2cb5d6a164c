// The list job: exact text, patterns, escaping, and the common checks.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_framing.h"

using namespace krmtest;

class KrmListJob : public StartedLibrary {
 protected:
  int run(const char* pattern, const char* printer = "P1", int vosFlags = 0x8000) {
    auto fos = krmNewFOS();
    if (pattern) fos->krmFOSSetFilePattern(pattern);
    if (printer) fos->krmFOSSetPrinterName(printer);
    auto vos = krmNewVOS();
    vos->krmVOSSetOutputPath(out_.c_str());
    vos->krmVOSSetFlags(vosFlags);
    return krmListPrinterFiles(fos.get(), vos.get());
  }
  std::string body() { return afterHeader(readFile(out_)); }
  std::string out_ = dir_ / "list.ps";
};

TEST_F(KrmListJob, WholeJobForEverything) {
  ASSERT_EQ(run(nullptr), 1001);
  EXPECT_EQ(std::string(krmGetLastMessage()), "[krmListPrinterFiles] Task completes successfully. [" + out_ + "]");
  EXPECT_EQ(std::string(krmGetLastArgument()), out_);
  std::string job = readFile(out_);
  // Header lines in order; the creation date ends with its own newline.
  ASSERT_EQ(job.rfind("%!\n%%Title: krmListPrinterFiles\n%%Creator: KRMSDK 1.8.7\n%%CreationDate: ", 0), 0u);
  std::size_t dateEnd = job.find('\n', 60);
  EXPECT_EQ(job.compare(dateEnd + 1, 2, "%%"), 0);
  EXPECT_NE(job.find("\n%%EndComments\n\n"), std::string::npos);
  std::string rest = body();
  std::string prolog(krmPrologText());
  ASSERT_EQ(rest.compare(0, prolog.size(), prolog), 0);
  ASSERT_TRUE(prolog.ends_with("%%EndProlog\n"));
  rest = rest.substr(prolog.size());
  ASSERT_EQ(rest.rfind("\n/DATE (", 0), 0u);
  rest = rest.substr(rest.find(") def\n") + 6);
  EXPECT_EQ(rest,
            "\n(tqf/*) (P1) true false list&remove\n"
            "\n(tqfc/*) (P1) true false list&remove\n"
            "\nend_list\n%EOF");
}

TEST_F(KrmListJob, PatternsAndEscaping) {
  for (const char* all : {"*.*", "/", "*", "\\"}) {
    ASSERT_EQ(run(all), 1001);
    EXPECT_TRUE(body().ends_with("\n(tqf/*) (P1) true false list&remove\n"
                                 "\n(tqfc/*) (P1) true false list&remove\n\nend_list\n%EOF"))
        << all;
  }
  ASSERT_EQ(run("fonts/*"), 1001);
  EXPECT_TRUE(body().ends_with(") def\n\n(fonts/*) (P1) true false list&remove\nend_list\n%EOF"));
  ASSERT_EQ(run("tqfc/formlib/a(1).frm", "Hall (B) \\2"), 1001);
  EXPECT_TRUE(body().ends_with("\n(tqfc/formlib/a\\(1\\).frm) (Hall \\(B\\) \\\\2) true false list&remove"
                               "\nend_list\n%EOF"));
  // No printer name: an empty operand.
  ASSERT_EQ(run("fonts/*", nullptr), 1001);
  EXPECT_TRUE(body().ends_with("\n(fonts/*) () true false list&remove\nend_list\n%EOF"));
}

TEST_F(KrmListJob, CommonChecks) {
  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1017);
  EXPECT_STREQ(krmGetLastMessage(), "[krmListPrinterFiles] Invalid parameter. [krmVOS.outputPath]");
  vos->krmVOSSetOutputPath("");
  EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1017);
  EXPECT_EQ(krmListPrinterFiles(fos.get(), nullptr), 1017);

  writeFile(out_, "keep me");
  EXPECT_EQ(run("*", "P1", 0), 1002);
  EXPECT_EQ(std::string(krmGetLastMessage()),
            "[krmListPrinterFiles] Flag not set to overwrite existing file. [" + out_ + "]");
  EXPECT_EQ(readFile(out_), "keep me");
  EXPECT_EQ(run("*", "P1", 0x8000), 1001);
  EXPECT_NE(readFile(out_), "keep me");

  // Unwritable output: 1005.
  writeFile(dir_ / "afile", "x");
  out_ = dir_ / "afile/list.ps";
  EXPECT_EQ(run("*"), 1005);
}

// The listing on the connection comes only on request, right after the
// prolog; without its flag the other one changes nothing.
TEST_F(KrmListJob, ConnectionListingOnlyOnRequest) {
  auto jobWith = [&](int flags, const char* pattern) {
    auto fos = krmNewFOS();
    if (pattern) fos->krmFOSSetFilePattern(pattern);
    fos->krmFOSSetPrinterName("P1");
    fos->krmFOSSetFlags(flags);
    auto vos = krmNewVOS();
    vos->krmVOSSetOutputPath(out_.c_str());
    vos->krmVOSSetFlags(0x8000);
    EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1001);
    std::string text = body();
    return text.substr(text.find(") def\n", text.find("\n/DATE (")) + 6);
  };
  const std::string plain = jobWith(0, nullptr);
  EXPECT_EQ(jobWith(kKrmFlagNoListPage, nullptr), plain);

  const std::string both = jobWith(kKrmFlagAnswerListing, nullptr);
  ASSERT_TRUE(both.starts_with("\n%%BeginResource: procset QuaymasterAnswerList"));
  EXPECT_TRUE(both.ends_with("%%EndResource\n(*) answer_list\n" + plain)) << both;

  const std::string only = jobWith(kKrmFlagAnswerListing | kKrmFlagNoListPage, "fonts/a(1)*");
  EXPECT_TRUE(only.ends_with("%%EndResource\n(fonts/a\\(1\\)*) answer_list\n\n%EOF")) << only;
  EXPECT_EQ(only.find("end_list"), std::string::npos);
}
