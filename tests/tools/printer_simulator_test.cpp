// The simulator itself: error reports, job control, confinement to its
// directories, fonts from the disk and the command-line program.
#include <gtest/gtest.h>

#include "sim_test_util.h"
#include "tools/printer_sim/process_runner.h"

using simtest::Job;
using simtest::SimPrinterTest;

class PrinterSim : public SimPrinterTest {};

TEST_F(PrinterSim, ReportsAPostScriptErrorAndTheOutputBeforeIt) {
  PrinterSimResult r = run(Job::bare("%!\n(before) =\nshowpage\n1 0 div\n(after) =\n"));
  EXPECT_TRUE(r.ran);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.errorText, "undefinedresult in --div--");
  EXPECT_EQ(r.output, "before\n");
  EXPECT_EQ(r.pages.size(), 1u);  // the page printed before the error
}

TEST_F(PrinterSim, MissingJobOrGhostscriptIsReportedNotRun) {
  PrinterSimResult missing = printer().run(path("absent.ps"));
  EXPECT_FALSE(missing.ran);
  EXPECT_FALSE(missing.ok());
  EXPECT_FALSE(missing.errorText.empty());

  options_.ghostscript = "qm-no-such-ghostscript";
  PrinterSimResult noGs = run(Job::bare("%!\n"));
  EXPECT_FALSE(noGs.ran);
  EXPECT_FALSE(noGs.errorText.empty());
}

TEST_F(PrinterSim, AcceptsStartJobWithAnEmptyPassword) {
  PrinterSimResult r = run(Job::bare("%!\ntrue () startjob =\n/Persist 1 def\nfalse () startjob =\n"
                                     "/Persist where { pop (kept) = } if\n"));
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.output, "true\ntrue\nkept\n");
}

TEST_F(PrinterSim, ConfinesTheJobToItsDisk) {
  // Plain names, "/" and ".." included, stay on the disk; host paths are refused.
  std::string outside = path("outside.txt");
  PrinterSimResult r = run(Job::bare("%!\n(../escape) (w) file (x) writestring\n(/etc/x) (w) file closefile\n"
                                     "(%os%" + outside + ") (w) file closefile\n"));
  EXPECT_EQ(r.errorText, "invalidfileaccess in --file--");
  EXPECT_FALSE(sdkFileExists(outside.c_str()));
  EXPECT_EQ(printer().readFile("../escape"), "x");
  EXPECT_TRUE(printer().readFile("/etc/x").has_value());

  PrinterSimResult tmp = run(Job::bare("%!\n(%os%/tmp/qm-printer-sim-escape) (w) file closefile\n"));
  EXPECT_EQ(tmp.errorText, "invalidfileaccess in --file--");
  EXPECT_FALSE(sdkFileExists("/tmp/qm-printer-sim-escape"));
}

TEST_F(PrinterSim, FileOperatorsSeeTheDiskUnderPrinterNames) {
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/a.frm", "12345"));
  ASSERT_TRUE(printer().writeFile("tqfc/imglib/b.jpg", "1"));
  PrinterSimResult r = run(Job::bare(
      "%!\n(tqfc/formlib/*) { = } 200 string filenameforall\n"
      "(%disk0%tqfc/img*) { = } 200 string filenameforall\n"
      "(tqfc/formlib/a.frm) status { pop pop exch pop = } if\n"
      "(tqfc/formlib/a.frm) (tqfc/formlib/c.frm) renamefile\n"
      "(tqfc/imglib/b.jpg) deletefile\n"
      "(tqfc/formlib/c.frm) (r) file 10 string readstring pop =\n"));
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.output, "tqfc/formlib/a.frm\n%disk0%tqfc/imglib/b.jpg\n5\n12345\n");
  ASSERT_EQ(r.disk.size(), 1u);
  EXPECT_EQ(r.disk[0].name, "tqfc/formlib/c.frm");
  EXPECT_EQ(r.disk[0].size, 5u);
}

TEST_F(PrinterSim, FindsFontsStoredOnTheDisk) {
  // A small Type 3 font stored as a printer font file.
  ASSERT_TRUE(printer().writeFile("fonts/QmBoxes",
                                  "%!\n10 dict begin /FontName /QmBoxes def /FontType 3 def /FontMatrix [.001 0 0 .001 0 0] def\n"
                                  "/FontBBox [0 0 1000 1000] def /Encoding 256 array def\n"
                                  "0 1 255 { Encoding exch /box put } for\n"
                                  "/BuildChar { pop pop 1000 0 0 0 1000 1000 setcachedevice\n"
                                  "  0 0 moveto 1000 0 rlineto 0 1000 rlineto closepath fill } def\n"
                                  "currentdict end /QmBoxes exch definefont pop\n"));
  PrinterSimResult r = run(Job::bare("%!\n/QmBoxes findfont 40 scalefont setfont 100 500 moveto (ab) show\n"
                                     "/QmBoxes 20 selectfont (c) show currentfont /FontName get =\nshowpage\n"));
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.output, "QmBoxes\n");
  EXPECT_EQ(r.pages.size(), 1u);
}

TEST_F(PrinterSim, PowerOnErrorsAreReportedAndTheJobStillRuns) {
  ASSERT_TRUE(printer().writeFile("Sys/Start", "%!\nbogus\n"));
  PrinterSimResult r = run(Job::bare("%!\n(job ran) =\n"));
  EXPECT_TRUE(r.ok()) << r.errorText;
  EXPECT_TRUE(r.poweredOn);
  EXPECT_EQ(r.powerOnError, "undefined in bogus");
  EXPECT_EQ(r.output, "job ran\n");

  options_.powerOn = false;
  PrinterSimResult cold = run(Job::bare("%!\n(job ran) =\n"));
  EXPECT_FALSE(cold.poweredOn);
  EXPECT_TRUE(cold.powerOnError.empty());
}

TEST_F(PrinterSim, PagesOfOneNameAreReplacedByTheNextRun) {
  PrinterSimResult two = run(Job::bare("%!\nshowpage showpage\n"), "same");
  EXPECT_EQ(two.pages.size(), 2u);
  PrinterSimResult one = run(Job::bare("%!\nshowpage\n"), "same");
  EXPECT_EQ(one.pages.size(), 1u);
  PrinterSimResult other = run(Job::bare("%!\nshowpage\n"), "other");
  EXPECT_EQ(other.pages.size(), 1u);
  EXPECT_NE(other.pages[0], one.pages[0]);
}

TEST_F(PrinterSim, CommandLineReportsTheDiskAndFailsOnErrors) {
  ASSERT_TRUE(printer().writeFile("tqf/VER", "11.0"));
  std::string good = path("good.ps");
  std::string bad = path("bad.ps");
  ASSERT_EQ(sdkWriteTextFile(good.c_str(), "%!\nshowpage\n"), 1);
  ASSERT_EQ(sdkWriteTextFile(bad.c_str(), "%!\nnosuchcommand\n"), 1);
  auto runCli = [&](const std::string& job, std::string& report, std::vector<std::string> more = {}) {
    ProcessRequest request;
    request.arguments = {QM_PRINTER_SIM, job, "--disk", options_.diskDir, "--pages", options_.pagesDir};
    request.arguments.insert(request.arguments.end(), more.begin(), more.end());
    request.stdoutPath = path("report.txt");
    int code = runProcess(request).exitCode;
    report = sdkReadWholeFile(request.stdoutPath.c_str()).value_or("");
    return code;
  };
  std::string report;
  EXPECT_EQ(runCli(good, report), 0);
  EXPECT_NE(report.find("Pages (1):"), std::string::npos) << report;
  EXPECT_NE(report.find("tqf/VER"), std::string::npos) << report;
  EXPECT_NE(report.find("PostScript errors: none"), std::string::npos) << report;
  EXPECT_EQ(runCli(bad, report), 1);
  EXPECT_NE(report.find("PostScript error: undefined in nosuchcommand"), std::string::npos) << report;

  std::string writer = path("writer.ps");
  ASSERT_EQ(sdkWriteTextFile(writer.c_str(), "%!\n(w) (w) file 3000 string writestring\n"), 1);
  EXPECT_EQ(runCli(writer, report, {"--disk-size", "2K"}), 1);
  EXPECT_NE(report.find("PostScript error: ioerror"), std::string::npos) << report;
  EXPECT_EQ(runCli(writer, report, {"--disk-size", "2X"}), 2);
}

TEST_F(PrinterSim, DiskOfAGivenSizeRefusesWritesPastItWhileWriting) {
  options_.diskSize = 64 * 1024;
  ASSERT_TRUE(printer().writeFile("old", std::string(16 * 1024, 'o')));
  EXPECT_FALSE(printer().writeFile("huge", std::string(60 * 1024, 'h')));
  // Without end: stopped while writing, not after. A short time-out shows it.
  options_.timeoutSeconds = 20;
  PrinterSimResult endless = run(Job::bare("%!\n/f (big) (w) file def /s 1000 string def { f s writestring } loop\n"));
  EXPECT_FALSE(endless.timedOut);
  EXPECT_EQ(endless.errorText.rfind("ioerror", 0), 0u) << endless.errorText;
  EXPECT_LE(printer().diskUsed(), options_.diskSize);

  // Deleting and truncating give space back; a job's save and restore do not.
  PrinterSimResult freed = run(Job::bare(
      "%!\n(big) deletefile (old) deletefile\n"
      "save (a) (w) file dup 40000 string writestring closefile restore\n"
      "(a) (w) file dup 40000 string writestring closefile\n"
      "save (b) (w) file dup 40000 string writestring closefile restore\n"));
  EXPECT_EQ(freed.errorText.rfind("ioerror", 0), 0u) << freed.errorText;
  EXPECT_EQ(printer().readFile("a").value_or("").size(), 40000u);
  EXPECT_LE(printer().diskUsed(), options_.diskSize);

  // A load that does not fit is refused and leaves no part behind; the job goes on.
  PrinterSimResult load =
      run(Job().hexLoad("tqfc/formlib/x.frm", simtest::allBytes(30000), "(P1) false true").add("\n(after) =\n"));
  EXPECT_TRUE(load.ok()) << load.errorText;
  EXPECT_EQ(load.output, "after\n");
  EXPECT_FALSE(printer().readFile("tqfc/formlib/x.frm"));
  EXPECT_FALSE(printer().readFile("tqfc/formlib/x.frm.krmtmp"));
}

TEST_F(PrinterSim, RunsTheJobsOwnErrorHandlerAndStillReportsTheError) {
  PrinterSimResult r = run(Job::bare(
      "%!\nerrordict /handleerror {\n  $error begin (handler saw ) print errorname ==only ( in ) print\n"
      "  /command load ==only (\\n) print 100 100 moveto /Courier findfont 12 scalefont setfont\n"
      "  (error page) show showpage /newerror false def end\n} bind put\n"
      "1 2 nosuchcommand\n(not reached) =\n"));
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.errorText, "undefined in nosuchcommand");
  EXPECT_EQ(r.output, "");
  EXPECT_NE(r.log.find("handler saw /undefined in nosuchcommand"), std::string::npos) << r.log;
  EXPECT_EQ(r.log.find("not reached"), std::string::npos) << r.log;
  EXPECT_EQ(r.pages.size(), 1u);
}

TEST_F(PrinterSim, ABrokenErrorHandlerCannotLoop) {
  options_.timeoutSeconds = 30;
  PrinterSimResult r = run(Job::bare("%!\nerrordict /handleerror { clear 1 0 div } put\nnosuchcommand\n"));
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.errorText, "undefined in nosuchcommand");
}

TEST_F(PrinterSim, DiskDirectoryNamesNeedNoCare) {
  // Wildcards, blanks and parentheses in the host path are not patterns.
  options_.diskDir = path("we*ird ?(disk)");
  ASSERT_TRUE(printer().writeFile("x/1", "1"));
  PrinterSimResult r = run(Job::bare("%!\n(x/2) (w) file closefile (*) { = } 100 string filenameforall\n"));
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.output.size(), 8u);
  EXPECT_EQ(r.disk.size(), 2u);
}
