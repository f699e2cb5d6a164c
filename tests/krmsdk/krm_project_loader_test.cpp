// Project resource loader and resource list: opening by mode, selection,
// filter, transfer and reference commands, failures and clean-up.
#include <gtest/gtest.h>

#include "kpsdk/kx_project.h"
#include "krm_project_test_util.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_printer_names.h"
#include "krmsdk/krm_project.h"
#include "tests/common/part_files.h"

using namespace krmtest;

namespace {

// The load commands of a job ("count (target) options load_file"), one
// per entry, without their data.
std::vector<std::string> loadCommands(const std::string& job) {
  std::vector<std::string> out;
  static const std::regex command("\n\n(-?[0-9]+ \\((?:[^()\\\\]|\\\\.)*\\) .*? load_file)");
  for (std::sregex_iterator it(job.begin(), job.end(), command), end; it != end; ++it) out.push_back((*it)[1]);
  return out;
}

std::string a85(const std::string& data) { return krmConvertToAscii85(data.data(), data.size(), 0, 512); }

}  // namespace

class KrmProjectLoader : public ProjectJobTest {
 protected:
  int load() {
    notePreviousOutput();
    return krmCreateProjectResourceLoader(pps_.get(), vos_.get());
  }
  std::vector<TestResource> mixed() {
    return {{"a.frm", "frm", 0, "FORM A"},         {"logo.tif", "img", 1, "TIFF"},
            {"x.frm", "frm", 2, "FORM X"},         {"Z.FRM", "frm", 0, "FORM Z"},
            {"font.pfa", "fnt", 0, "FONT"},        {"g.fnt", "fnt", 2, "GFONT"},
            {"notes.oth", "oth", 0, "OTHER"},      {"m.mis", "mis", 0, "MISC"},
            {"job.ps", "sub", 0, "%!PS", "SubmissionOrder='1'"}};
  }
};

TEST_F(KrmProjectLoader, LoadsEverySelectedResourceOnceAtItsScopesPath) {
  makeProject(mixed());
  pps_->krmPPSSetPrinterName("Lp 1");
  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  EXPECT_STREQ(krmGetLastArgument(), out_.c_str());
  const std::string job = output();
  EXPECT_NE(job.find("%%Title: krmCreateProjectResourceLoader\n"), std::string::npos);
  EXPECT_NE(job.find("\n%%KORO_DEPLOY_JOB_RESOURCES \"true\"\n%%EndComments\n\n"), std::string::npos);
  EXPECT_EQ(afterHeader(job).rfind("\n%%Start deploying resources.\n" + std::string(krmPrologText()), 0), 0u);
  EXPECT_EQ(loadCommands(job), (std::vector<std::string>{
                                   "0 (tqfc/F/P/a.frm) (Lp 1) false false load_file",
                                   "0 (tqfc/F/fshared/logo.tif) [1 (F) (P)] (Lp 1) false false load_file",
                                   "0 (tqfc/gshared/x.frm) [2 (F) (P)] (Lp 1) false false load_file",
                                   "0 (tqfc/F/P/Z.FRM) (Lp 1) false false load_file",
                                   "0 (tqfc/fontlib/font.pfa) [2 (F) (P)] (Lp 1) false false load_file",
                                   "0 (tqfc/fontlib/g.fnt) [2 (F) (P)] (Lp 1) false false load_file",
                                   "0 (tqfc/F/P/m.mis) (Lp 1) false false load_file",
                               }));
  // Data follows each command; the job ends with the end line, no %EOF.
  EXPECT_NE(job.find("load_file\n" + a85("FORM A") + "\n\n"), std::string::npos);
  EXPECT_TRUE(job.ends_with("load_file\n" + a85("MISC") + "%% End deploying resources\n"));
}

TEST_F(KrmProjectLoader, SelectionIsCaseSensitiveAndPatternsMatchWholeNames) {
  makeProject(mixed());
  pps_->krmPPSAddResource("A.FRM");
  EXPECT_EQ(load(), 1013);
  EXPECT_STREQ(krmGetLastArgument(), "P");
  EXPECT_FALSE(outputExists());

  auto pps = krmNewPPS();
  pps->krmPPSSetKOROPath(koro_.c_str());
  pps->krmPPSSetProcessingMode(2002);
  pps->krmPPSSetProjectFile(kpf_.c_str());
  pps->krmPPSAddResource("*.frm");
  pps->krmPPSAddResource("a.fr?");  // a.frm, already loaded by the pattern
  pps->krmPPSAddResource("m.mis");
  pps->krmPPSAddFlags(0x1000);
  ASSERT_EQ(krmCreateProjectResourceLoader(pps.get(), vos_.get()), 1001);
  // The references to shared files left out are written for each chosen name.
  const std::string x = "-1 (tqfc/gshared/x.frm) [2 (F) (P)] () false false load_file";
  const std::string g = "-1 (tqfc/fontlib/g.fnt) [2 (F) (P)] () false false load_file";
  EXPECT_EQ(loadCommands(output()), (std::vector<std::string>{"0 (tqfc/F/P/a.frm) () false false load_file", x, g,
                                                              x, g, x, g,
                                                              "0 (tqfc/F/P/m.mis) () false false load_file"}));
}

TEST_F(KrmProjectLoader, GlobalSharedLeftOutBecomesAReferenceWithoutData) {
  makeProject(mixed());
  pps_->krmPPSSetFlags(0x1000 | 0x4000);
  ASSERT_EQ(load(), 1001);
  const std::string job = output();
  // A reference carries no data: the next piece follows at once.
  EXPECT_NE(job.find("\n\n-1 (tqfc/gshared/x.frm) [2 (F) (P)] () true false load_file\n\n"), std::string::npos);
  // The local font is left out without a reference, the global one gets it.
  EXPECT_EQ(job.find("fontlib/font.pfa"), std::string::npos);
  EXPECT_NE(job.find("\n\n-1 (tqfc/fontlib/g.fnt) [2 (F) (P)] () true false load_file"), std::string::npos);
  EXPECT_TRUE(job.ends_with(a85("MISC") + "\nend_list\n%% End deploying resources\n"));
}

TEST_F(KrmProjectLoader, FlagsSelectTypesAndScopes) {
  makeProject(mixed());
  pps_->krmPPSSetFlags(0x80 | 0x100 | 0x200 | 0x400 | 0x800 | 0x2000 | 0x20000);
  ASSERT_EQ(load(), 1001);
  EXPECT_EQ(loadCommands(output()), (std::vector<std::string>{
                                        "6 (tqfc/F/P/a.frm) () false false load_file",
                                        "-1 (tqfc/F/fshared/logo.tif) [1 (F) (P)] () false false load_file",
                                        "6 (tqfc/gshared/x.frm) [2 (F) (P)] () false false load_file",
                                        "6 (tqfc/F/P/Z.FRM) () false false load_file",
                                        "-1 (tqfc/fontlib/g.fnt) [2 (F) (P)] () false false load_file",
                                        "5 (tqfc/F/P/notes.oth) () false false load_file",
                                        "4 (tqfc/F/P/job.ps) () false false load_file",
                                    }));
  EXPECT_NE(output().find("load_file\n464F524D2041\n\n"), std::string::npos);
}

TEST_F(KrmProjectLoader, NothingToSendGives1013) {
  makeProject({{"job.ps", "sub", 0, "%!PS", "SubmissionOrder='1'"}, {"s.ps", "sub", 1, "%!", "SubmissionOrder='2'"}});
  EXPECT_EQ(load(), 1013);
  EXPECT_EQ(std::string(krmGetLastMessage()), "[krmCreateProjectResourceLoader] No resource file loaded. [P]");
  EXPECT_FALSE(outputExists());
  pps_->krmPPSAddFlags(0x2000);
  EXPECT_EQ(load(), 1001);
}

TEST_F(KrmProjectLoader, ResourceFileProblemsStopTheJob) {
  makeProject({{"a.frm", "frm", 0, "A"}, {"b.frm", "frm", 0, ""}});
  // An empty file is sent as one, in ASCII85 also when hexadecimal is asked
  // for (a count of 0 announces ASCII85 data).
  for (int hex : {0, 0x20000}) {
    pps_->krmPPSSetFlags(hex);
    ASSERT_EQ(load(), 1001) << krmGetLastMessage();
    EXPECT_NE(output().find("\n\n0 (tqfc/F/P/b.frm) () false false load_file\n~>\n"), std::string::npos);
  }
  pps_->krmPPSSetFlags(0);
  // One byte over the embedding limit (a sparse file) stops the job.
  fs::resize_file(scopeDir(0, "F", "P") + "b.frm", 134217728);
  EXPECT_EQ(load(), 1023);
  EXPECT_EQ(krmGetLastArgument(), scopeDir(0, "F", "P") + "b.frm");
  EXPECT_TRUE(outputKept());
  fs::remove(scopeDir(0, "F", "P") + "b.frm");
  EXPECT_EQ(load(), 1003);
  EXPECT_EQ(krmGetLastArgument(), scopeDir(0, "F", "P") + "b.frm");
}

TEST_F(KrmProjectLoader, APrinterPathTooLongForThePrinterStopsTheJobWhenSent) {
  QM_POSIX_ONLY("a local path longer than 260 characters");
  const std::string longName = std::string(240, 'r') + ".frm";
  makeProject({{"a.frm", "frm", 0, "A"}, {longName, "frm", 0, "LONG"}});
  EXPECT_EQ(load(), 1017);
  EXPECT_EQ(krmGetLastArgument(), krmShownName("tqfc/F/P/" + longName));
  EXPECT_FALSE(outputExists());
  pps_->krmPPSAddResource("a.frm");
  EXPECT_EQ(load(), 1001) << krmGetLastMessage();
}

TEST_F(KrmProjectLoader, OpeningChecks) {
  auto empty = krmNewPPS();
  EXPECT_EQ(krmCreateProjectResourceLoader(empty.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.KOROPath");
  empty->krmPPSSetFlags(0x8);
  EXPECT_EQ(krmCreateProjectResourceLoader(empty.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.stubPath");
  auto noOutput = krmNewVOS();
  EXPECT_EQ(load(), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.folderName");
  EXPECT_EQ(krmCreateProjectResourceLoader(pps_.get(), noOutput.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmVOS.outputPath");

  // Mode 2001 needs both names.
  pps_->krmPPSSetProjectNames("F", "");
  EXPECT_EQ(load(), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.projectName");

  // No start-up file in the Tessel folder.
  auto other = krmNewPPS();
  other->krmPPSSetKOROPath((dir_ / "nokoro").c_str());
  EXPECT_EQ(krmCreateProjectResourceLoader(other.get(), vos_.get()), 1004);
  EXPECT_EQ(krmGetLastArgument(), dir_ / "nokoro/src/tqfdos.run");

  // An existing output without the overwrite flag.
  writeFile(out_, "old");
  vos_->krmVOSSetFlags(0);
  makeProject({{"a.frm", "frm", 0, "A"}});
  EXPECT_EQ(load(), 1002);
  EXPECT_EQ(output(), "old");

  EXPECT_EQ(krmFinished(), 1001);
  EXPECT_EQ(load(), 1006);
  EXPECT_EQ(krmInitialize(), 1001);
}

TEST_F(KrmProjectLoader, Mode2001FindsTheProjectThroughTheStartupFile) {
  makeProject({{"a.frm", "frm", 0, "A"}});
  SdkString before;
  sdkGetCwd(before);
  pps_->krmPPSSetProcessingMode(2001);
  pps_->krmPPSSetProjectNames("F", "Q");
  EXPECT_EQ(load(), 1009);
  EXPECT_STREQ(krmGetLastArgument(), "F/Q");

  pps_->krmPPSSetProjectNames("F", "P");
  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  EXPECT_EQ(loadCommands(output()), std::vector<std::string>{"0 (tqfc/F/P/a.frm) () false false load_file"});
  std::optional<std::string> found = krmFindProjectFile("F", "P", startupFile().c_str());
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, sdkJoinPath(dir_.path() + "/tqfc/F/P", "P.kpf"));
  SdkString after;
  sdkGetCwd(after);
  EXPECT_EQ(after.str(), before.str());

  // Only the last SETPPATH array counts; the first directory with a
  // project file wins.
  writeFile(startupFile(), "[ (/nowhere/$$FOLDER./$$PROJECT./) ] SETPPATH\n" + startupText(""));
  EXPECT_TRUE(krmFindProjectFile("F", "P", startupFile().c_str()));
  writeFile(startupFile(), startupText("") + "[\n (/nowhere/$$FOLDER./$$PROJECT./)\n (/x/)\n] SETPPATH\n");
  EXPECT_FALSE(krmFindProjectFile("F", "P", startupFile().c_str()));
  EXPECT_EQ(load(), 1009);

  // A folder name holding a placeholder is looked up as it stands.
  writeFile(startupFile(), startupText(""));
  writeFile(dir_ / "tqfc/AQB/Q/Q.kpf", "decoy");
  writeFile(dir_ / "tqfc/A$$PROJECT.B/Q/Q.kpf", "own");
  const std::optional<std::string> own = krmFindProjectFile("A$$PROJECT.B", "Q", startupFile().c_str());
  ASSERT_TRUE(own);
  // The stub's own separators stay in the path (Windows reads both).
  EXPECT_EQ(fs::path(*own).lexically_normal(), fs::path(dir_ / "tqfc/A$$PROJECT.B/Q/Q.kpf").lexically_normal());
}

TEST_F(KrmProjectLoader, ProjectTypeAndOpenFailures) {
  makeProject({{"a.frm", "frm", 0, "A"}}, "PDF");
  EXPECT_EQ(load(), 1020);
  EXPECT_EQ(krmGetLastArgument(), kpf_);
  writeFile(kpf_, "not a project file");
  EXPECT_EQ(load(), 1010);
  EXPECT_EQ(krmGetLastArgument(), kpf_);
  pps_->krmPPSSetProjectFile((dir_ / "missing.kpf").c_str());
  EXPECT_EQ(load(), 1009);
  EXPECT_EQ(krmGetLastArgument(), dir_ / "missing.kpf");
  EXPECT_FALSE(outputExists());
}

TEST_F(KrmProjectLoader, ContainerLeavesNoExtractedFilesWhateverTheResult) {
  makeProject({{"a.frm", "frm", 0, "A"}, {"s.tif", "img", 1, "TIFF"}, {"job.ps", "sub", 0, "%!", "SubmissionOrder='1'"}});
  {
    std::unique_ptr<KxProject> project = kxProjectNew(startupFile());
    ASSERT_EQ(project->OpenProject(kpf_) & 8, 0) << project->GetMessages();
    ASSERT_EQ(project->CreateContainer(dir_ / "p.kpc") & 8, 0) << project->GetMessages();
  }
  pps_->krmPPSSetProcessingMode(2003);
  pps_->krmPPSSetContainerFile((dir_ / "p.kpc").c_str());
  const std::string pfd = dir_.path() + "/kpcpfd";
  auto leftOver = [&] {
    std::vector<std::string> files;
    if (fs::exists(pfd))
      for (auto& e : fs::recursive_directory_iterator(pfd)) files.push_back(e.path().string());
    return files;
  };

  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  // Everything of a print-and-forget container is local to the project.
  EXPECT_EQ(loadCommands(output()), (std::vector<std::string>{"0 (tqfc/F/P/a.frm) () false false load_file",
                                                              "0 (tqfc/F/P/s.tif) () false false load_file"}));
  EXPECT_EQ(leftOver(), std::vector<std::string>{});

  pps_->krmPPSAddResource("nothing");
  EXPECT_EQ(load(), 1013);
  EXPECT_EQ(leftOver(), std::vector<std::string>{});

  EXPECT_EQ(krmListProjectResources(pps_.get(), vos_.get()), 1001);
  EXPECT_EQ(leftOver(), std::vector<std::string>{});
}

TEST_F(KrmProjectLoader, ListNamesTypeAndLocalPath) {
  makeProject(mixed());
  pps_->krmPPSSetFlags(0x1000);
  ASSERT_EQ(krmListProjectResources(pps_.get(), vos_.get()), 1001);
  EXPECT_STREQ(krmGetLastArgument(), out_.c_str());
  EXPECT_EQ(output(), "frm " + scopeDir(0, "F", "P") + "a.frm\n" + "img " + scopeDir(1, "F", "P") + "logo.tif\n" +
                          "frm " + scopeDir(0, "F", "P") + "Z.FRM\n" + "mis " + scopeDir(0, "F", "P") + "m.mis\n");
  pps_->krmPPSSetFlags(0x2000 | 0x200 | 0x100);
  pps_->krmPPSAddResource("*.ps");
  pps_->krmPPSAddResource("*.FRM");
  ASSERT_EQ(krmListProjectResources(pps_.get(), vos_.get()), 1001);
  EXPECT_EQ(output(), "sub " + scopeDir(0, "F", "P") + "job.ps\n" + "frm " + scopeDir(0, "F", "P") + "Z.FRM\n");
}

TEST_F(KrmProjectLoader, TheJobNeverReplacesAFileItReads) {
  makeProject({{"a.frm", "frm", 0, "A"}, {"b.frm", "frm", 2, "B"}});
  const std::string resource = scopeDir(2, "F", "P") + "b.frm";
  for (const std::string& input : {kpf_, resource, startupFile()}) {
    const std::string before = readFile(input);
    vos_->krmVOSSetOutputPath(input.c_str());
    EXPECT_EQ(load(), 1017) << input;
    EXPECT_STREQ(krmGetLastArgument(), "krmVOS.outputPath");
    EXPECT_EQ(readFile(input), before) << input;
    EXPECT_TRUE(qmtest::partFilesOf(input).empty());
  }
}
