// The disk prolog run on the simulated printer: transfers, refusals,
// listing and removal, project records, the status page and auto-start.
#include <gtest/gtest.h>

#include "sim_test_util.h"
#include "tools/printer_sim/process_runner.h"

using simtest::Job;
using simtest::SimPrinterTest;

namespace {

const char kOpts[] = "(P1) true true";        // status page, overwrite
const char kKeep[] = "(P1) true false";       // status page, keep existing

bool hasFile(const PrinterSimResult& r, const std::string& name) {
  for (const DiskFile& f : r.disk) {
    if (f.name == name) return true;
  }
  return false;
}

std::int64_t fileSize(const std::string& path) { return sdkFileSize(path.c_str()); }

}  // namespace

class DiskProlog : public SimPrinterTest {};

TEST_F(DiskProlog, StoresHexAndAscii85DataByteForByte) {
  Job job;
  // Sizes around the encoders' group and line lengths and the prolog's
  // 8192-byte transfer buffer, all 256 byte values, zero runs for "z".
  const std::size_t sizes[] = {1, 2, 3, 4, 5, 255, 256, 512, 513, 8192, 8193, 20000};
  for (std::size_t size : sizes) {
    std::string data = simtest::allBytes(size);
    job.hexLoad("tqfc/mislib/h" + std::to_string(size), data, kOpts);
    job.a85Load("tqfc/mislib/a" + std::to_string(size), data, kOpts);
  }
  job.a85Load("tqfc/mislib/zeros", std::string(1000, '\0'), kOpts);
  // Hexadecimal data may hold any white space between the digits.
  job.add("\n\n3 (tqfc/mislib/hex-crlf) (P1) true true load_file\r\n01\r\n0 2\t03");
  job.add("\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  for (std::size_t size : sizes) {
    std::string data = simtest::allBytes(size);
    EXPECT_EQ(printer().readFile("tqfc/mislib/h" + std::to_string(size)), data) << size;
    EXPECT_EQ(printer().readFile("tqfc/mislib/a" + std::to_string(size)), data) << size;
  }
  EXPECT_EQ(printer().readFile("tqfc/mislib/zeros"), std::string(1000, '\0'));
  EXPECT_EQ(printer().readFile("tqfc/mislib/hex-crlf"), "\x01\x02\x03");
  // No temporary transfer file is left behind.
  for (const DiskFile& f : r.disk) EXPECT_EQ(f.name.find(".krmtmp"), std::string::npos) << f.name;
}

TEST_F(DiskProlog, OverwriteFalseKeepsTheFileAndStillConsumesTheData) {
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/a.frm", "original"));
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/b.frm", "original"));
  Job job;
  job.a85Load("tqfc/formlib/a.frm", "replacement", kKeep)
      .hexLoad("tqfc/formlib/b.frm", "replacement", kKeep)
      .a85Load("tqfc/formlib/c.frm", "new file", kKeep)
      .a85Load("tqfc/formlib/a2.frm", "second", kOpts)
      .hexLoad("tqfc/formlib/b.frm", "overwritten", kOpts)
      .add("\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(printer().readFile("tqfc/formlib/a.frm"), "original");
  EXPECT_EQ(printer().readFile("tqfc/formlib/c.frm"), "new file");
  EXPECT_EQ(printer().readFile("tqfc/formlib/a2.frm"), "second");
  EXPECT_EQ(printer().readFile("tqfc/formlib/b.frm"), "overwritten");
}

TEST_F(DiskProlog, DamagedAscii85DataIsRefusedWithoutDerailingTheJob) {
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/old.frm", "keep me"));
  Job job;
  job.add("\n\n0 (tqfc/formlib/old.frm) (P1) true true load_file\n9jqo^vvvv{{{~>\n")
      .a85Load("tqfc/formlib/next.frm", "after the damage", kOpts)
      .add("\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  EXPECT_EQ(printer().readFile("tqfc/formlib/old.frm"), "keep me");
  EXPECT_EQ(printer().readFile("tqfc/formlib/next.frm"), "after the damage");
}

TEST_F(DiskProlog, NamesWithParenthesesAndBackslashesStayIntact) {
  Job job;
  job.a85Load("tqfc/formlib/a\\(b\\).frm", "paren", kOpts)
      .hexLoad("tqfc/formlib/x\\)\\\\y.frm", "odd", kOpts)
      .add("\n(tqfc/formlib/a\\(*) (P1) true false list&remove\nend_list\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(printer().readFile("tqfc/formlib/a(b).frm"), "paren");
  EXPECT_EQ(printer().readFile("tqfc/formlib/x)\\y.frm"), "odd");
  EXPECT_EQ(r.pages.size(), 1u);
}

TEST_F(DiskProlog, ListAndRemoveByPattern) {
  for (const char* name : {"tqfc/formlib/a.frm", "tqfc/formlib/b.frm", "tqfc/formlib/c.seg", "tqfc/imglib/a.frm",
                           "tqf/VER", "fonts/Courier"}) {
    ASSERT_TRUE(printer().writeFile(name, name));
  }
  // Listing removes nothing; "?" , sets and "*" across "/" work.
  Job list;
  list.add("\n(tqfc/*) (P1) true false list&remove\n(fonts/Cour?er) (P1) true false list&remove\nend_list\n%EOF");
  PrinterSimResult listed = run(list, "list");
  ASSERT_TRUE(listed.ok()) << listed.errorText;
  EXPECT_EQ(listed.disk.size(), 6u);
  EXPECT_EQ(listed.pages.size(), 1u);

  Job remove;
  remove.add("\n(tqfc/formlib/*.frm) (P1) false true list&remove\n(tqf/[UV]E[^X]) (P1) false true list&remove\n%EOF");
  PrinterSimResult r = run(remove, "remove");
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_FALSE(hasFile(r, "tqfc/formlib/a.frm"));
  EXPECT_FALSE(hasFile(r, "tqfc/formlib/b.frm"));
  EXPECT_FALSE(hasFile(r, "tqf/VER"));
  EXPECT_TRUE(hasFile(r, "tqfc/formlib/c.seg"));
  EXPECT_TRUE(hasFile(r, "tqfc/imglib/a.frm"));
  EXPECT_TRUE(hasFile(r, "fonts/Courier"));
  EXPECT_TRUE(r.pages.empty());  // no end_list, no page
}

TEST_F(DiskProlog, StatusPageShowsTheNamesAndIsNotBlank) {
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/listed-one.frm", "1"));
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/removed-two.frm", "2"));
  Job job;
  job.a85Load("tqfc/formlib/stored-three.frm", "3", kOpts)
      .add("\n(tqfc/formlib/listed-*) (Printer Seven) true false list&remove"
           "\n(tqfc/formlib/removed-*) (Printer Seven) true true list&remove"
           "\n(tqfc/nothing-*) (Printer Seven) true false list&remove"
           "\nend_list\n%EOF");
  PrinterSimResult page = run(job, "status");
  ASSERT_TRUE(page.ok()) << page.errorText;
  ASSERT_EQ(page.pages.size(), 1u);

  // A blank page of the same size compresses far smaller.
  PrinterSimResult blank = run(Job::bare("%!\nshowpage\n"), "blank");
  ASSERT_EQ(blank.pages.size(), 1u);
  EXPECT_GT(fileSize(page.pages[0]), fileSize(blank.pages[0]) + 2000);

  if (!sdkFileExists("/usr/bin/pdftotext")) GTEST_SKIP() << "pdftotext not installed";
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/removed-two.frm", "2"));
  printer().removeFile("tqfc/formlib/stored-three.frm");
  options_.format = PageFormat::kPdf;
  PrinterSimResult pdf = run(job, "status");
  ASSERT_TRUE(pdf.ok()) << pdf.errorText;
  ASSERT_EQ(pdf.pages.size(), 1u);
  std::string textFile = path("status.txt");
  ProcessRequest request;
  request.arguments = {"pdftotext", "-layout", pdf.pages[0], textFile};
  ASSERT_EQ(runProcess(request).exitCode, 0);
  std::string text = sdkReadWholeFile(textFile.c_str()).value_or("");
  for (const char* expected : {"Printer disk report", "Printer Seven", "01/02/25 10:20:30", "Stored",
                               "tqfc/formlib/stored-three.frm", "Listed", "tqfc/formlib/listed-one.frm",
                               "Removed", "tqfc/formlib/removed-two.frm", "No match", "tqfc/nothing-*"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
}

TEST_F(DiskProlog, StatusPageNamesThePrinterItselfElseTheJobsName) {
  if (!sdkFileExists("/usr/bin/pdftotext")) GTEST_SKIP() << "pdftotext not installed";
  options_.format = PageFormat::kPdf;
  auto pageText = [&](const Job& job) {
    PrinterSimResult r = run(job, "named");
    EXPECT_TRUE(r.ok()) << r.errorText;
    if (r.pages.size() != 1) return std::string();
    ProcessRequest request;
    request.arguments = {"pdftotext", "-layout", r.pages[0], path("named.txt")};
    EXPECT_EQ(runProcess(request).exitCode, 0);
    return sdkReadWholeFile(path("named.txt").c_str()).value_or("");
  };
  Job job;
  job.add("\n(tqfc/*) (Floor_2) true false list&remove\nend_list\n%EOF");

  // A group's job carries the group's name; each printer names itself.
  options_.printerName = "Tessel_7";
  std::string text = pageText(job);
  EXPECT_NE(text.find("Printer: Tessel_7"), std::string::npos) << text;
  EXPECT_EQ(text.find("Floor_2"), std::string::npos) << text;

  // A printer without a name of its own, or one that fails to say it.
  options_.printerName.clear();
  EXPECT_NE(pageText(job).find("Printer: Floor_2"), std::string::npos);
  Job failing = Job::bare("%!\nstatusdict /printername { pop 1 0 idiv } put\n");
  failing.add(Job().text()).add("\n(tqfc/*) (Floor_2) true false list&remove\nend_list\n%EOF");
  EXPECT_NE(pageText(failing).find("Printer: Floor_2"), std::string::npos);
}

TEST_F(DiskProlog, LongStatusPagesContinueOnFurtherPages) {
  Job job;
  for (int i = 0; i < 150; ++i) job.a85Load("tqfc/mislib/f" + std::to_string(i), "x", kOpts);
  job.add("\nend_list\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_GE(r.pages.size(), 2u);
  EXPECT_EQ(r.disk.size(), 150u);
}

TEST_F(DiskProlog, ProjectRemovalTakesTheSharedFilesRecordedForTheProject) {
  // Project F/P: own file, a folder-shared and a global-shared file, a font
  // and a reference to a global file already on the disk. Project F/Q
  // shares one of the folder files.
  ASSERT_TRUE(printer().writeFile("tqfc/gshared/old.frm", "on disk"));
  Job load;
  load.a85Load("tqfc/F/P/own.frm", "own", kOpts)
      .a85Load("tqfc/F/fshared/s1.frm", "s1", "[1 (F) (P)] (P1) true true")
      .a85Load("tqfc/F/fshared/both.frm", "both", "[1 (F) (P)] (P1) true true")
      .a85Load("tqfc/gshared/g.frm", "g", "[2 (F) (P)] (P1) true true")
      .a85Load("tqfc/fontlib/Font1", "font", "[2 (F) (P)] (P1) true true")
      .add("\n\n-1 (tqfc/gshared/old.frm) [2 (F) (P)] (P1) true true load_file")
      .a85Load("tqfc/F/Q/own.frm", "own q", kOpts)
      .a85Load("tqfc/F/fshared/both.frm", "both", "[1 (F) (Q)] (P1) true false")
      .add("\n%EOF");
  PrinterSimResult loaded = run(load, "load");
  ASSERT_TRUE(loaded.ok()) << loaded.errorText;
  std::string record = printer().readFile("tqfc/F/P/.krmuses").value_or("");
  EXPECT_NE(record.find("1 tqfc/F/fshared/s1.frm\n"), std::string::npos) << record;
  EXPECT_NE(record.find("2 tqfc/gshared/old.frm\n"), std::string::npos) << record;
  EXPECT_NE(record.find("2 tqfc/fontlib/Font1\n"), std::string::npos) << record;
  EXPECT_EQ(record.find("own.frm"), std::string::npos) << record;

  // Digit 3: only the project's own files.
  PrinterSimResult own = run(Job().add("\n[(F) (P) 3] (P1) true true list&remove\nend_list\n%EOF"), "own");
  ASSERT_TRUE(own.ok()) << own.errorText;
  EXPECT_FALSE(hasFile(own, "tqfc/F/P/own.frm"));
  EXPECT_FALSE(hasFile(own, "tqfc/F/P/.krmuses"));
  EXPECT_TRUE(hasFile(own, "tqfc/F/fshared/s1.frm"));
  EXPECT_TRUE(hasFile(own, "tqfc/gshared/g.frm"));

  // Load again and remove with digit 0: the shared files go too, except the
  // one that project Q still uses.
  ASSERT_TRUE(run(load, "load").ok());
  PrinterSimResult all = run(Job().add("\n[(F) (P) 0] (P1) true true list&remove\nend_list\n%EOF"), "all");
  ASSERT_TRUE(all.ok()) << all.errorText;
  EXPECT_FALSE(hasFile(all, "tqfc/F/P/own.frm"));
  EXPECT_FALSE(hasFile(all, "tqfc/F/fshared/s1.frm"));
  EXPECT_FALSE(hasFile(all, "tqfc/gshared/g.frm"));
  EXPECT_FALSE(hasFile(all, "tqfc/gshared/old.frm"));
  EXPECT_FALSE(hasFile(all, "tqfc/fontlib/Font1"));
  EXPECT_TRUE(hasFile(all, "tqfc/F/fshared/both.frm"));
  EXPECT_TRUE(hasFile(all, "tqfc/F/Q/own.frm"));

  // Digit 1 and 2 keep folder-shared and global-shared files respectively.
  ASSERT_TRUE(run(load, "load").ok());
  PrinterSimResult keepFolder = run(Job().add("\n[(F) (P) 1] (P1) false true list&remove\n%EOF"), "d1");
  EXPECT_TRUE(hasFile(keepFolder, "tqfc/F/fshared/s1.frm"));
  EXPECT_FALSE(hasFile(keepFolder, "tqfc/gshared/g.frm"));
  ASSERT_TRUE(run(load, "load").ok());
  PrinterSimResult keepGlobal = run(Job().add("\n[(F) (P) 2] (P1) false true list&remove\n%EOF"), "d2");
  EXPECT_FALSE(hasFile(keepGlobal, "tqfc/F/fshared/s1.frm"));
  EXPECT_TRUE(hasFile(keepGlobal, "tqfc/gshared/g.frm"));
}

// Records on the disk may have been written by anyone: a project's record
// only ever makes its own folder's or the global shared files go, and a
// record the procedures cannot have written stops that project's removal
// alone.
TEST_F(DiskProlog, ForgedAndDamagedRecordsRemoveNothingOfOtherProjects) {
  Job load;
  load.a85Load("tqfc/Demo/Invoice/invoice.frm", "invoice", kOpts)
      .a85Load("tqfc/Demo/fshared/logo.seg", "logo", "[1 (Demo) (Invoice)] (P1) true true")
      .a85Load("tqfc/Demo/Evil/own.frm", "evil", kOpts)
      // A reference the procedures will not record: another project's file.
      .add("\n\n-1 (tqfc/Demo/Invoice/invoice.frm) [2 (Demo) (Evil)] (P1) true true load_file")
      .add("\n%EOF");
  const std::string longLine = "1 tqfc/Z/fshared/" + std::string(5000, 'a') + "\n";
  const struct {
    const char* name;
    std::string record;
  } forged[] = {
      {"global scope naming a project file", "2 tqfc/Demo/Invoice/invoice.frm\n"},
      {"folder scope naming a project file", "1 tqfc/Demo/Invoice/invoice.frm\n"},
      {"climbing out of the shared folder", "2 tqfc/gshared/../Demo/Invoice/invoice.frm\n"},
      {"another folder's shared files", "1 tqfc/Other/fshared/x.seg\n"},
      {"unknown scope", "3 tqfc/gshared/g.frm\n"},
      {"a line over the line buffer", "2 tqfc/gshared/g.frm\n" + longLine},
  };
  for (const auto& f : forged) {
    printer().removeFile("tqfc/Demo/Evil/.krmuses");
    ASSERT_TRUE(run(load, "load").ok());
    EXPECT_EQ(printer().readFile("tqfc/Demo/Evil/.krmuses"), std::nullopt) << "a reference to a project file was recorded";
    ASSERT_TRUE(printer().writeFile("tqfc/gshared/g.frm", "global"));
    ASSERT_TRUE(printer().writeFile("tqfc/Demo/Evil/.krmuses", f.record));
    // A damaged record of an unrelated folder, read while Demo/Invoice's
    // shared files are checked, and one that still names the logo.
    ASSERT_TRUE(printer().writeFile("tqfc/Z/Long/.krmuses", longLine));
    ASSERT_TRUE(printer().writeFile("tqfc/Demo/Other/.krmuses", "1 tqfc/Demo/fshared/logo.seg\njunk\n"));

    PrinterSimResult evil = run(Job().add("\n[(Demo) (Evil) 0] (P1) true true list&remove\nend_list\n%EOF"), "evil");
    ASSERT_TRUE(evil.ok()) << f.name << ": " << evil.errorText;
    EXPECT_TRUE(hasFile(evil, "tqfc/Demo/Invoice/invoice.frm")) << f.name;
    EXPECT_TRUE(hasFile(evil, "tqfc/gshared/g.frm")) << f.name;
    EXPECT_TRUE(hasFile(evil, "tqfc/Demo/Evil/own.frm")) << f.name << ": a damaged record's project is not removed";

    PrinterSimResult invoice =
        run(Job().add("\n[(Z) (Long) 0] (P1) true true list&remove\n[(Demo) (Invoice) 0] (P1) true true list&remove"
                      "\nend_list\n%EOF"),
            "invoice");
    ASSERT_TRUE(invoice.ok()) << f.name << ": " << invoice.errorText;
    EXPECT_FALSE(hasFile(invoice, "tqfc/Demo/Invoice/invoice.frm")) << f.name;
    EXPECT_TRUE(hasFile(invoice, "tqfc/Demo/fshared/logo.seg")) << "still named by a damaged record";
    EXPECT_TRUE(hasFile(invoice, "tqfc/Z/Long/.krmuses"));
  }
}

// "tqfc/<folder>/fshared/" and "tqfc/gshared/" are the shared scopes, and a
// project's record and a transfer's part file are the procedures' own.
TEST_F(DiskProlog, SharedFoldersAndOwnFilesAreNoProjectsOrTargets) {
  ASSERT_TRUE(printer().writeFile("tqfc/Demo/fshared/logo.seg", "logo"));
  ASSERT_TRUE(printer().writeFile("tqfc/gshared/X/a.frm", "a"));
  ASSERT_TRUE(printer().writeFile("tqfc/Demo/Invoice/.krmuses", "1 tqfc/Demo/fshared/logo.seg\n"));
  // A project's own file that another project's record names (a font
  // "P/x.pfa" of the font library, where a folder "fontlib" keeps project P).
  ASSERT_TRUE(printer().writeFile("tqfc/fontlib/P/x.pfa", "font"));
  ASSERT_TRUE(printer().writeFile("tqfc/F/Q/.krmuses", "2 tqfc/fontlib/P/x.pfa\n"));
  Job job;
  job.a85Load("tqfc/Demo/Invoice/.krmuses", "2 tqfc/gshared/X/a.frm\n", kOpts)
      .a85Load("tqfc/Demo/Invoice/x.frm.krmtmp", "part", kOpts)
      .a85Load("tqfc/Demo/fshared/s.frm", "s", "[1 (Demo) (fshared)] (P1) true true")
      .add("\n[(Demo) (fshared) 0] (P1) true true list&remove\n[(gshared) (X) 0] (P1) true true list&remove"
           "\n[(Demo) (..) 0] (P1) true true list&remove\n[(Demo/Invoice) (x) 0] (P1) true true list&remove"
           "\n[(fontlib) (P) 0] (P1) true true list&remove"
           "\nend_list\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(printer().readFile("tqfc/Demo/Invoice/.krmuses"), "1 tqfc/Demo/fshared/logo.seg\n");
  for (const char* refused : {"tqfc/Demo/Invoice/x.frm.krmtmp", "tqfc/Demo/fshared/.krmuses"})
    EXPECT_FALSE(hasFile(r, refused)) << refused;
  for (const char* kept : {"tqfc/Demo/fshared/logo.seg", "tqfc/Demo/fshared/s.frm", "tqfc/gshared/X/a.frm",
                           "tqfc/fontlib/P/x.pfa"})
    EXPECT_TRUE(hasFile(r, kept)) << kept;
}

TEST_F(DiskProlog, AutoStartWritesAndRemovesThePowerOnFile) {
  ASSERT_TRUE(printer().writeFile("tqf/src/tqfdep", "(tqfdep ran at power-on) =\n/TQFDEPMARK true def\n"));
  ASSERT_TRUE(printer().writeFile("tqf/src/tqfdep.run", "(tqfdep.run ran at power-on) =\n"));
  PrinterSimResult on = run(Job().add("\n(P1) true 1 auto_start\nend_list\n%EOF"), "on");
  ASSERT_TRUE(on.ok()) << on.errorText;
  EXPECT_FALSE(on.poweredOn);
  EXPECT_NE(printer().readFile("Sys/Start").value_or("").find("(tqf/src/tqfdep)"), std::string::npos);

  // The next job finds what the power-on start defined.
  PrinterSimResult next = run(Job::bare("%!\n/TQFDEPMARK where { pop (mark seen) = } if\n"), "next");
  ASSERT_TRUE(next.ok()) << next.errorText;
  EXPECT_TRUE(next.poweredOn);
  EXPECT_EQ(next.output, "tqfdep ran at power-on\nmark seen\n");

  ASSERT_TRUE(run(Job().add("\n(P1) false 2 auto_start\n%EOF"), "mode2").ok());
  PrinterSimResult two = run(Job::bare("%!\n"), "next");
  EXPECT_EQ(two.output, "tqfdep.run ran at power-on\n");

  ASSERT_TRUE(run(Job().add("\n(P1) false 0 auto_start\n%EOF"), "off").ok());
  EXPECT_FALSE(printer().readFile("Sys/Start").has_value());
  PrinterSimResult off = run(Job::bare("%!\n"), "next");
  EXPECT_FALSE(off.poweredOn);
  EXPECT_EQ(off.output, "");

  // A start-up file that is not ours is left alone.
  ASSERT_TRUE(printer().writeFile("Sys/Start", "%!\n% someone else's\n"));
  ASSERT_TRUE(run(Job().add("\n(P1) false 0 auto_start\n%EOF"), "off").ok());
  EXPECT_EQ(printer().readFile("Sys/Start"), "%!\n% someone else's\n");
}

TEST_F(DiskProlog, WorksOutsideJobEncapsulation) {
  // Removal and install jobs leave encapsulation before the prolog.
  ASSERT_TRUE(printer().writeFile("tqf/VER", "1"));
  Job job = Job::bare("%!\n%%Title: x\n%%EndComments\n\n\ntrue () startjob pop\n");
  job.add(simtest::readSource("krmsdk/ps/krmprolog.ps"))
      .add("\n/DATE (now) def\n\n(tqf/*) (P1) true true list&remove\n(P1) true 0 auto_start\nend_list"
           "\nfalse () startjob pop\n%EOF");
  PrinterSimResult r = run(job);
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_TRUE(r.disk.empty());
  EXPECT_EQ(r.pages.size(), 1u);
}
