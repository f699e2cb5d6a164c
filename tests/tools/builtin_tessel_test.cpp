// The built-in Tessel set on the simulated printer: installed by a
// hand-built job, started with the confirmation page, and used by KORO jobs
// and printable containers written by hand in the form the job library
// writes them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "sim_test_util.h"
#include "tools/printer_sim/process_runner.h"

using simtest::Job;
using simtest::SimPrinterTest;

namespace {

struct SetFile {
  std::string path;
  std::string file;
  std::string role;
};

std::vector<SetFile> builtinSet() {
  std::vector<SetFile> set;
  std::ifstream in(QM_BUILTIN_MANIFEST);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    SetFile f;
    std::getline(fields, f.path, '\t');
    std::getline(fields, f.file, '\t');
    std::getline(fields, f.role, '\t');
    if (!f.path.empty()) set.push_back(f);
  }
  return set;
}

std::string content(const SetFile& f) { return sdkReadWholeFile(f.file.c_str()).value_or(""); }

std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

const char* kEntries[] = {"PORT", "IPORT", "LAND", "ILAND", "STARTLM", "STARTDBM", "SETDBSEP", "SETJDT",
                          "SETLMFILE", "SETDLFILE", "TQF", "SETPROJECT", "TQFRESDEF", "SETMAXRES", "ORITL",
                          "STARTXML", "TQFDEBUG", "SETUNIT", "SETFPATH", "SETIPATH", "SETJPATH", "SETEPATH",
                          "SETMPATH", "SETPAGESIZE", "TWOUP", "SETMULTIUP", "SETTAB", "SETUTAB", "SETMEDIA",
                          "SETMEDIAT", "SHIFT", "SETCYCLECOPY", "DUPLEX_on", "TUMBLEDUPLEX_on", "SETFORM",
                          "SETFONT", "INDEXFONT", "SETGRID", "SETMARGIN", "PAGERANGE", "STAPLE_on", "RUN",
                          "FSHOW", "MAKEVMFILE", "MAKEVMFORM", "EKORO", "SETPARAMS"};

// The start-up file the job library writes as tqf/src/tqfdep.
std::string tqfdep() {
  std::string text = "%!\n%%Title: krmTQFDEP\n%%EndComments\n\n%%BeginSetup\n"
                     "/TQFENTRY { [ (tqf/src/tqfdep.run) /run cvx 3 index cvx ] cvx def } bind def\n";
  for (const char* e : kEntries) text += std::string("/") + e + " TQFENTRY\n";
  return text + "(tqf/errorh.ps) status {pop pop pop pop (tqf/errorh.ps) run} if\n%%EndSetup\n";
}

const char kConfiguration[] =
    "TQFdict begin\n"
    "[ (tqfc/formlib/)\t% customer forms\n  (tqf/formlib/)\n  (tqf/gshared/) ] SETFPATH\n\n"
    "[ (tqfc/imglib/)\n  (tqf/imglib/)\n  (tqfc/decomp/) ] SETIPATH\n\n"
    "[ (tqfc/jdtlib/)\n  (tqf/jdtlib/)\n  (tqf/gshared/) ] SETJPATH\n\n"
    "[ (tqfc/encoding/)\n  (tqf/encoding/) ] SETEPATH\n\n"
    "[ (tqfc/mislib/)\n  (tqfc/fontlib/)\n  (tqf/demo/)\n  (tqfc/formlib/)\n  (tqf/formlib/)\n"
    "  (tqf/encoding/)\n  () ] SETMPATH\n\n"
    "[ (tqfc/$$FOLDER./$$PROJECT./)\n  (tqfc/$$FOLDER./fshared/)\n  (tqfc/gshared/)\n  (tqfc/fontlib/)\n"
    "  (tqf/encoding/)\n  (tqf/gshared/) ] SETPPATH\n\n"
    "(tqf/tqfspool) SPOOLNAME\t% TQF spoolfile full name\n\n";

// The loader the job library writes as tqf/src/tqfdep.run.
std::string tqfdepRun(const std::vector<SetFile>& set, bool imaging) {
  std::string text = "%!\n%%Title: KORO link file for DEP printer (tqfdep.run)\n%%EndComments\n\n"
                     "(tqf/src/tqf.eeh) run\t% run tqf prolog\n\n";
  text += kConfiguration;
  for (const SetFile& f : set) {
    if (f.role == "module" || (imaging && f.role == "imaging")) text += "(" + f.path + ") run\t% module\n";
  }
  return text + "end\t\t\t\t% mandatory (remove TQFdict from dict stack)\n";
}

// The confirmation page of the start-up job.
std::string confirmationPage() {
  std::string text =
      "PORT\n1100 1775 MOVETO\n(tqflogb.seg) SCALL      % blue logo\n637 1556 1220 130 XLTB DRAWB\n"
      "70 SETLSP\n/NNCSB 12 15 SETFONT\n1247 1470 MOVETO\n(Tessel Component Version numbers) SHc\n"
      "647 1342 MOVETO\n/NNCSR 14 SETFONT\n(Tessel) SH [1847 B_D1] MOVEH TQFVER SHr NL\n";
  const char* modules[][2] = {{"KORO GRX", "GRXVER"},         {"KORO PDF417", "417VER"},
                              {"KORO MAXICODE", "MAXVER"},    {"KORO DATAMATRIX", "DMXVER"},
                              {"KORO QRCODE barcode", "QRCVER"}, {"KORO USPS4CB", "4CBVER"},
                              {"KORO Lustrine", "LUSVER"}};
  for (auto& m : modules) {
    text += std::string("(") + m[0] + ") SH [1847 B_D1] MOVEH\n";
    text += std::string("\tIF (") + m[1] + ") ($$.) VSUB3 (" + m[1] + ") eq\n";
    text += std::string("\t{ (Not enabled) SHr } ELSE { ") + m[1] + " SHr } ENDIF NL\n";
  }
  text +=
      "1250 150 MOVETO\n/NNCSBI 12 SETFONT\nBLUE SETTXC\n(Successfully started on ) PRODUCT CS SHC\n"
      "BLACK SETTXC\nIF (kxistamp.seg) /seg EXIST\n{\n\t1071 272 MOVETO\n\t(kxistamp.seg) CACHE .7 SCALL\n"
      "} ENDIF\nPAGEBRK\n";
  return text;
}

std::string pdfText(const std::string& pdf, const std::string& out) {
  ProcessRequest request;
  request.arguments = {"pdftotext", "-layout", pdf, out};
  if (runProcess(request).exitCode != 0) return "";
  return sdkReadWholeFile(out.c_str()).value_or("");
}

}  // namespace

class BuiltinTessel : public SimPrinterTest {
 protected:
  void SetUp() override {
    SimPrinterTest::SetUp();
    set_ = builtinSet();
    ASSERT_FALSE(set_.empty());
  }

  // The install job: every file of the set in hexadecimal, the generated
  // start-up files, auto-start on.
  Job installJob(bool imaging) const {
    Job job = Job::bare("%!\n%%Title: krmInstallKORO\n%%EndComments\n\n\ntrue () startjob pop\n"
                        "currentsystemparams /StartupMode known\n  { << /StartupMode 1 >> setsystemparams } if\n");
    job.add(simtest::readSource("krmsdk/ps/krmprolog.ps")).add("\n/DATE (today) def\n");
    job.hexLoad("tqf/src/tqfdep", tqfdep(), "(P1) true true");
    job.hexLoad("tqf/src/tqfdep.run", tqfdepRun(set_, imaging), "(P1) true true");
    for (const SetFile& f : set_) {
      if (f.role != "imaging" || imaging) job.hexLoad(f.path, content(f), "() true true");
    }
    job.hexLoad("tqf/devicetype", "/krmsdk\n", "(P1) true true");
    job.add("\n(P1) true 1 auto_start\nend_list\nfalse () startjob pop\n%EOF");
    return job;
  }

  PrinterSimResult install(bool imaging) {
    PrinterSimResult r = run(installJob(imaging), "install");
    EXPECT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
    return r;
  }

  std::vector<SetFile> set_;
};

TEST_F(BuiltinTessel, InstallStoresEveryFileByteForByte) {
  PrinterSimResult r = install(true);
  for (const SetFile& f : set_) {
    EXPECT_EQ(printer().readFile(f.path), content(f)) << f.path;
  }
  EXPECT_EQ(printer().readFile("tqf/src/tqfdep"), tqfdep());
  EXPECT_TRUE(printer().readFile("Sys/Start").has_value());
  EXPECT_EQ(r.pages.size(), 1u);
  // The images are real JPEG and TIFF files.
  EXPECT_EQ(printer().readFile("tqf/imglib/KOROins.jpg").value_or("").substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_EQ(printer().readFile("tqf/imglib/nlogo.tif").value_or("").substr(0, 4), std::string("II*\0", 4));
}

TEST_F(BuiltinTessel, EveryStartUpEntryLoadsTheInterpreter) {
  install(false);
  options_.powerOn = false;
  // Each entry of tqf/src/tqfdep is a stub that loads the interpreter, which
  // must define it for real: otherwise the stub would call itself for ever.
  std::string check = "%!\n(tqf/src/tqfdep) run\n/Stubs 60 dict def\n";
  for (const char* e : kEntries) check += std::string("Stubs /") + e + " /" + e + " load put\n";
  check += "(tqf/src/tqfdep.run) run\n";
  for (const char* e : kEntries) {
    check += std::string("/") + e + " load Stubs /" + e + " get eq { (stub left: " + e + ") = } if\n";
  }
  check += "(checked) =\n";
  PrinterSimResult r = run(Job::bare(check), "entries");
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.output, "checked\n");

  // First use through a stub.
  PrinterSimResult first = run(Job::bare("%!\n(tqf/src/tqfdep) run\n[ /KeepVMF true ] SETPARAMS TQFVER =\n"), "first");
  ASSERT_TRUE(first.ok()) << first.errorText;
  EXPECT_EQ(first.output, "11.0\n");
}

TEST_F(BuiltinTessel, StartupJobPrintsTheConfirmationPage) {
  install(true);
  std::string startup = "%!\n%%Title: krmStartupKORO\n%%EndComments\n\ntrue () startjob pop\n"
                        "(tqf/src/tqfdep) run\nfalse () startjob pop\n" +
                        confirmationPage() + "%EOF";
  options_.powerOn = false;
  PrinterSimResult png = run(Job::bare(startup), "startup");
  ASSERT_TRUE(png.ok()) << png.errorText << "\n" << png.log;
  ASSERT_EQ(png.pages.size(), 1u);

  if (!sdkFileExists("/usr/bin/pdftotext")) GTEST_SKIP() << "pdftotext not installed";
  options_.format = PageFormat::kPdf;
  PrinterSimResult pdf = run(Job::bare(startup), "startup");
  ASSERT_TRUE(pdf.ok()) << pdf.errorText;
  std::string text = pdfText(pdf.pages[0], path("startup.txt"));
  for (const char* expected : {"Tessel Component Version numbers", "11.0", "KORO GRX", "KORO PDF417",
                               "Not enabled", "KORO Lustrine", "Successfully started on", "Tessel", "KX"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  EXPECT_EQ(text.find("GRXVER"), std::string::npos) << text;

  // Without the imaging module its line reads "Not enabled".
  std::string lus = text.substr(text.find("KORO Lustrine"));
  EXPECT_NE(lus.find("1.0"), std::string::npos) << lus;
}

TEST_F(BuiltinTessel, PowerOnStartServesKoroJobs) {
  install(false);
  // Auto-start is on: the printer ran tqf/src/tqfdep at power-on, so a job
  // can use the commands straight away.
  std::string job =
      "%!\n[ /DefinedDate [2025 01 02 03 04 05 0] /KeepVMF true ] SETPARAMS\nTQF\n"
      "[/PageRange 2] SETPARAMS\n2 3 PAGERANGE\nRSAVE\n"
      "PORT /NHB 24 SETFONT 300 3000 MOVETO (Page one) SH PAGEBRK\n"
      "300 3000 MOVETO (Page two) SH NL (second line) SH PAGEBRK\n"
      "/NTR 18 SETFONT 300 3000 MOVETO (Page three) SH PAGEBRK\n"
      "300 3000 MOVETO (Page four) SH PAGEBRK\n"
      "[/KeepVMF false] SETPARAMS\nTQFEND\n";
  PrinterSimResult r = run(Job::bare(job), "koro");
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_TRUE(r.poweredOn);
  EXPECT_TRUE(r.powerOnError.empty()) << r.powerOnError;
  EXPECT_EQ(r.pages.size(), 2u);  // pages 2 and 3 of 4

  if (!sdkFileExists("/usr/bin/pdftotext")) GTEST_SKIP() << "pdftotext not installed";
  options_.format = PageFormat::kPdf;
  PrinterSimResult pdf = run(Job::bare(job), "koro");
  std::string text = pdfText(pdf.pages[0], path("koro.txt"));
  EXPECT_NE(text.find("Page two"), std::string::npos) << text;
  EXPECT_NE(text.find("Page three"), std::string::npos) << text;
  EXPECT_EQ(text.find("Page one"), std::string::npos) << text;
  EXPECT_EQ(text.find("Page four"), std::string::npos) << text;
}

TEST_F(BuiltinTessel, MemoryResourcesFormsAndImages) {
  install(true);
  std::string binary = simtest::allBytes(300);
  std::string job =
      "%!\nTQF /A4 SETPAPER\n"
      // a text file, a binary file and a form held in memory
      "(hello.ps)\nMAKEVMFILE\n(hello from memory) =\n%%EOD_TQF TQFRESDEF\n"
      "(blob.bin)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" + simtest::ascii85(binary) +
      "TQFRESDEF\n"
      "\n/FSHOW /FCACHE ld\n"
      "(box.frm)\n{ 100 100 2000 3000 XLBB DRAWB } FSHOW\nFBIND TQFRESDEF\n"
      "(hello.ps) RUN\n"
      "(blob.bin) /mis EXIST { (blob found) = } if\n"
      "(nothing.seg) /seg EXIST { (wrong) = } if\n"
      "(tqflogo.seg) /seg EXIST { (logo found) = } if\n"
      "(box.frm) SETFORM\n"
      "PORT 300 2500 MOVETO (KOROins.jpg) ICALL (KOROins.jpg) IMGSIZE exch = =\n"
      "300 2000 MOVETO (nlogo.tif) /img EXIST { (tif found) = } if\n"
      "300 1800 MOVETO 400 1800 100 DRAWC 200 1600 800 1600 DRAWL\n"
      "PAGEBRK\nTQFEND\n";
  PrinterSimResult r = run(Job::bare(job), "memory");
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.output, "hello from memory\nblob found\nlogo found\n240\n120\ntif found\n");
  EXPECT_EQ(r.pages.size(), 1u);
}

// A self-contained container as the job library writes one from the
// built-in set, kept resident or not.
std::string containerJob(const std::vector<SetFile>& set, bool resident) {
  const char* leave = "\ntrue () startjob pop\n";
  std::string job = "%!\n%%Title: sub.ps\n%%EndComments\n\n";
  if (resident) job += leave;
  if (!resident) job += "\nuserdict /KOROSAVE save put clear\n";
  for (const SetFile& f : set) {
    if (f.role == "prolog") job += content(f) + (resident ? leave : "");
  }
  job += "[ /DefinedDate [2025 01 02 03 04 05 0] /KeepVMF true ] SETPARAMS\n\nTQF\n";
  for (const SetFile& f : set) {
    if (f.role == "encoding") job += "\n(" + baseName(f.path) + ") {\n" + content(f) + "\n} TQFRESDEF\n";
  }
  job += "TQFdict begin\n";
  job += std::string(kConfiguration).substr(std::string("TQFdict begin\n").size());
  for (const SetFile& f : set) {
    if (f.role == "module") job += content(f) + "\n\n";
  }
  job += "end     % mandatory (remove TQFdict from dict stack)\n";
  if (resident) job += "\nfalse () startjob pop\n";
  job += "\n[/PageRange 2] SETPARAMS\n1 1 PAGERANGE\n\nRSAVE\n";
  job += "PORT /NNCSR 20 SETFONT 300 3000 MOVETO (Container page \\344) SH GRXVER SH PAGEBRK\n"
         "(second page) SH PAGEBRK\n";
  job += "\n[/KeepVMF false] SETPARAMS\nTQFEND\n%%EOF\n\nclear TQF end end";
  job += resident ? "\n%%EOF" : " KOROSAVE restore\n%%EOF";
  return job;
}

TEST_F(BuiltinTessel, SelfContainedContainerRunsWithoutTheDisk) {
  // Nothing installed: the container carries the interpreter.
  for (bool resident : {false, true}) {
    PrinterSimResult r = run(Job::bare(containerJob(set_, resident)), resident ? "resident" : "container");
    ASSERT_TRUE(r.ok()) << resident << " " << r.errorText << "\n" << r.log;
    EXPECT_EQ(r.pages.size(), 1u) << resident;
    EXPECT_TRUE(r.disk.empty());
  }
}

TEST_F(BuiltinTessel, ProjectResourcesAreFoundThroughTheProjectPaths) {
  install(false);
  ASSERT_TRUE(printer().writeFile("tqfc/F/P/own.seg", "0 0 100 100 rectfill\n"));
  ASSERT_TRUE(printer().writeFile("tqfc/F/fshared/shared.seg", "0 0 50 50 rectfill\n"));
  ASSERT_TRUE(printer().writeFile("tqfc/gshared/global.seg", "0 0 20 20 rectfill\n"));
  std::string job =
      "%!\nTQF\n(own.seg) /seg EXIST { (wrong) = } if\n(F) (P) SETPROJECT\n"
      "[(own.seg) (shared.seg) (global.seg) (tqfc/F/P/own.seg) (missing.seg)] {\n"
      "  dup /seg EXIST { (found ) print = } { (missing ) print = } ifelse } forall\n"
      "PORT 500 500 MOVETO (own.seg) SCALL 800 500 MOVETO (shared.seg) 2 SCALL PAGEBRK\nTQFEND\n";
  PrinterSimResult r = run(Job::bare(job), "project");
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.output,
            "found own.seg\nfound shared.seg\nfound global.seg\nfound tqfc/F/P/own.seg\nmissing missing.seg\n");
  EXPECT_EQ(r.pages.size(), 1u);
}

TEST_F(BuiltinTessel, EveryCommandRuns) {
  install(false);
  std::string job =
      "%!\nTQF\n2 TQFDEBUG 50 SETMAXRES STAPLE_on (Plain) SETMEDIA 1 SETMEDIAT 1 SETCYCLECOPY DUPLEX_on\n"
      "TUMBLEDUPLEX_on 2480 3508 SETPAGESIZE 600 SETUNIT 300 SETUNIT 10 20 SHIFT 5 5 SETMARGIN\n"
      "/QMF /Helvetica INDEXFONT /QMF 10 SETFONT\n"
      "LAND 100 100 MOVETO (landscape) SH 300 MOVEV (up) SH [400 800] SETTAB 2 TAB (tab) SH PAGEBRK\n"
      "IPORT 100 100 MOVETO (inverted) SHr PAGEBRK ILAND 100 100 MOVETO (inverted landscape) SHc PAGEBRK\n"
      "PORT ORITL 100 100 MOVETO (from the top) SH NL (next) SH\n"
      "RED SETLNC 6 SETLW 100 200 300 50 XLTB DRAWB GREEN SETTXC 100 400 300 50 XLTB FILLB\n"
      "DARKBLUE SETTXC (coated) SH TESSELBLUEU SETTXC (uncoated) SH 500 500 60 FILLC\n"
      "(plain.frm) MAKEVMFORM\n{ 50 50 MOVETO (form text) SH } FSHOW\n%%EOD_TQF\n"
      "(plain.frm) SETFORM PAGEBRK () SETFORM\n"
      "(tqflogo.seg) CACHE SCALL (x) (y) CS (xy) eq { (cs ok) = } if\n"
      "(TQFVER) (v$$.) VSUB3 = (NOPE) (v$$.) VSUB3 =\n"
      "IF false { (wrong) = } ENDIF IF false { (wrong) = } ELSE { (else ok) = } ENDIF\n"
      "PAGEBRK EKORO\n";
  PrinterSimResult r = run(Job::bare(job), "all");
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.output, "cs ok\nv11.0\nvNOPE\nelse ok\n");
  EXPECT_EQ(r.pages.size(), 5u);

  // The data merge and multi-up features stop the job naming the command.
  PrinterSimResult merge = run(Job::bare("%!\nTQF STARTLM\n"), "merge");
  EXPECT_EQ(merge.errorText, "undefined in STARTLM");
}
