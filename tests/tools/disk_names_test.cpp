#include <gtest/gtest.h>

#include "tools/printer_sim/disk_names.h"
#include "tools/printer_sim/printer_simulator.h"

TEST(DiskNames, KeepsPrinterNamesReadableAndReversible) {
  EXPECT_EQ(encodeDiskName("tqfc/formlib/a.frm"), "tqfc%2Fformlib%2Fa.frm");
  EXPECT_EQ(encodeDiskName("Sys/Start"), "Sys%2FStart");
  // A leading dot would make "." and ".." or hidden files on the host.
  EXPECT_EQ(encodeDiskName(".."), "%2E.");
  EXPECT_EQ(encodeDiskName("a(b) c%"), "a%28b%29%20c%25");

  std::string every;
  for (int c = 0; c < 256; ++c) every += static_cast<char>(c);
  std::string host = encodeDiskName(every);
  EXPECT_EQ(host.find('/'), std::string::npos);
  EXPECT_EQ(host.find('\\'), std::string::npos);
  EXPECT_EQ(decodeDiskName(host), every);
}

TEST(DiskNames, RejectsHostNamesThatAreNotEscapes) {
  EXPECT_FALSE(decodeDiskName("abc%2").has_value());
  EXPECT_FALSE(decodeDiskName("abc%zz").has_value());
  EXPECT_EQ(decodeDiskName("tqf%2fVER"), "tqf/VER");
}

TEST(GhostscriptOutput, SeparatesJobTextErrorsAndPowerOnReports) {
  std::string job, error, powerOn;
  splitGhostscriptOutput(
      "%%[ PowerOn: running Sys/Start ]%%\n"
      "%%[ Error: undefined; OffendingCommand: bogus; During: power-on ]%%\n"
      "hello\nError: not a report\n"
      "Error: /rangecheck in --get--\nOperand stack:\n   1\n",
      job, error, powerOn);
  EXPECT_EQ(job, "hello\nError: not a report\n");
  EXPECT_EQ(error, "rangecheck in --get--");
  EXPECT_EQ(powerOn, "undefined in bogus");

  splitGhostscriptOutput("Error: /undefined in foo\n", job, error, powerOn);
  EXPECT_EQ(job, "");
  EXPECT_EQ(error, "undefined in foo");
  EXPECT_EQ(powerOn, "");

  // A job that printed without a newline: the report follows its text.
  splitGhostscriptOutput("beforeError: /undefined in foo\nOperand stack:\n", job, error, powerOn);
  EXPECT_EQ(job, "before");
  EXPECT_EQ(error, "undefined in foo");
  splitGhostscriptOutput("said Error: /undefined in foo\n", job, error, powerOn);
  EXPECT_EQ(job, "said Error: /undefined in foo\n") << "job text without the stacks is no report";
  EXPECT_EQ(error, "");
}
