// What an operator meets when something is wrong: a missing configuration,
// --output next to a destination, unknown printers and groups, the default
// destination, an unreachable scheduler, bad arguments; every failure one
// line with the program's name, and nothing left in the temporary folder.
#include <filesystem>
#include <thread>

#include "base/sdk_fs.h"
#include "cli_fixture.h"
#include "tests/delivery/test_env.h"

namespace fs = std::filesystem;

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One line, the program's name first.
::testing::AssertionResult oneErrorLine(const CliRun& r) {
  if (r.output.rfind("quaymaster-cli: ", 0) != 0 || r.output.find('\n') != r.output.size() - 1)
    return ::testing::AssertionFailure() << "not one error line:\n" << r.output;
  return ::testing::AssertionSuccess();
}

std::vector<std::string> krmFiles(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec))
    if (e.path().filename().string().rfind("krm", 0) == 0) found.push_back(e.path().string());
  return found;
}
}  // namespace

TEST_F(CliFixture, MissingOrWrongConfigurationIsNamedWithTheWayOut) {
  ScopedEnv noConfig("QUAYMASTER_CONFIG_DIR", (scratch_ + "/nowhere").c_str());
  CliRun install = cliBare({"install", "-d", "Tessel_1"});
  EXPECT_EQ(install.status, 1);
  EXPECT_TRUE(oneErrorLine(install));
  for (const char* part : {"/nowhere/quaymaster.ini", "install-config.sh", "QUAYMASTER_CONFIG_DIR", "--tessel DIR",
                           "--builtin-tessel"})
    EXPECT_TRUE(contains(install.output, part)) << part << "\n" << install.output;
  EXPECT_FALSE(contains(install.output, "tqfdos"));

  // Commands that need no configuration say so, and run.
  EXPECT_TRUE(contains(cliBare({"help", "preview"}).output, "Needs no configuration file."));
  EXPECT_TRUE(contains(cliBare({"help", "list"}).output, "Runs without a configuration file"));
  EXPECT_EQ(cliBare({"printers"}).status, 0);
  EXPECT_EQ(cliBare({"list", "all", "-d", "Tessel_1"}).status, 0);
  CliRun group = cliBare({"list", "all", "-g", "Floor_2"});
  EXPECT_EQ(group.status, 1);
  EXPECT_TRUE(contains(group.output, "printer groups")) << group.output;

  // --config names a file that is there, given before or after the command.
  CliRun missing = cliBare({"-c", scratch_ + "/nonexist.ini", "printers"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(contains(missing.output, "'" + scratch_ + "/nonexist.ini' does not exist")) << missing.output;
  CliRun folder = cliBare({"printers", "--config", scratch_});
  EXPECT_EQ(folder.status, 2);
  EXPECT_TRUE(contains(folder.output, "is a folder")) << folder.output;
  CliRun before = cliBare({"--config", config_, "printers"});
  EXPECT_EQ(before.status, 0);
  EXPECT_TRUE(contains(before.output, "\\\\\\Floor_2\n")) << before.output;

  // The installer step's defaults choose no Tessel; the command says how to.
  std::string out;
  ASSERT_EQ(runProgram({std::string(QM_SOURCE_DIR) + "/scripts/install-config.sh", "--dir", scratch_ + "/cfg"}, out),
            0);
  EXPECT_TRUE(contains(out, "no Tessel chosen")) << out;
  CliRun noTessel = cliBare({"install", "-d", "Tessel_1", "-c", scratch_ + "/cfg/quaymaster.ini"});
  EXPECT_EQ(noTessel.status, 1);
  EXPECT_TRUE(contains(noTessel.output, "no Tessel chosen")) << noTessel.output;
  EXPECT_TRUE(contains(noTessel.output, "--tessel DIR or --builtin-tessel --stub FILE"));
  CliRun nope = cli({"install", "-d", "Tessel_1", "--tessel", "/nope"});
  EXPECT_EQ(nope.status, 2);
  EXPECT_TRUE(contains(nope.output, "--tessel: the folder '/nope' does not exist")) << nope.output;
}

TEST_F(CliFixture, OutputWritesAJobAndIsNoDestination) {
  std::string sub = scratchFile("job.ps", "%!\nshowpage\n");
  CliRun lpHabit = cli({"send-file", sub, "-d", "Raw_Capture", "-o", "raw"});
  EXPECT_EQ(lpHabit.status, 2);
  EXPECT_TRUE(oneErrorLine(lpHabit));
  EXPECT_TRUE(contains(lpHabit.output, "--output writes the job to a file instead of sending it"));
  EXPECT_FALSE(fs::exists("raw"));
  EXPECT_EQ(cli({"list", "all", "-o", scratch_ + "/l.ps", "--wait"}).status, 2);

  ScopedEnv tmp("TMPDIR", (scratch_ + "/tmp").c_str());
  fs::create_directories(scratch_ + "/tmp");
  CliRun toStdout = cli({"list", "fonts", "-o", "-"});
  ASSERT_EQ(toStdout.status, 0) << toStdout.output;
  EXPECT_EQ(toStdout.output.rfind("%!", 0), 0u);
  EXPECT_TRUE(contains(toStdout.output, "(fonts/*) () true false list&remove"));
  CliRun fileToStdout = cli({"send-file", sub, "--output", "-"});
  EXPECT_EQ(fileToStdout.output, "%!\nshowpage\n");
  EXPECT_TRUE(krmFiles(scratch_ + "/tmp").empty());
  waitIdle();
  EXPECT_TRUE(capturedJobs().empty());
}

TEST_F(CliFixture, DestinationsAreCheckedNamedAndSuggested) {
  CliRun typo = cli({"list", "fonts", "-d", "Tesel_1"});
  EXPECT_EQ(typo.status, 1);
  EXPECT_TRUE(oneErrorLine(typo));
  EXPECT_TRUE(contains(typo.output, "unknown printer 'Tesel_1'; did you mean 'Tessel_1'?")) << typo.output;
  EXPECT_TRUE(contains(typo.output, "quaymaster-cli printers"));
  CliRun group = cli({"list", "fonts", "-g", "Flor_2"});
  EXPECT_EQ(group.status, 1);
  EXPECT_TRUE(contains(group.output, "unknown printer group 'Flor_2'; did you mean 'Floor_2'?")) << group.output;
  EXPECT_FALSE(contains(group.output, "contains no printer"));
  EXPECT_TRUE(contains(cli({"list", "fonts", "-d", "Floor_2"}).output, "give --group Floor_2"));
  for (const char* option : {"-d", "--destination"}) {
    CliRun placeholder = cli({"list", "fonts", option, "[No Printers Available]"});
    EXPECT_EQ(placeholder.status, 2) << option;
    EXPECT_TRUE(contains(placeholder.output, "is not a printer")) << placeholder.output;
  }

  // A group with a member that is gone: the others get the job, and the
  // counts (no terminal here) say how many did, the error which did not.
  writeConfig("", "Mixed=Tessel_1,Gone_9\n");
  CliRun mixed = cli({"list", "fonts", "-g", "Mixed"});
  EXPECT_EQ(mixed.status, 1);
  EXPECT_TRUE(contains(mixed.output, "Sent to 1 of 2 printers.\n")) << mixed.output;
  EXPECT_TRUE(contains(mixed.output, "quaymaster-cli: Gone_9: not an installed printer")) << mixed.output;

  // No destination given: lastPrinter, then $PRINTER, then the spooler's
  // default, and the program says which.
  writeConfig("lastPrinter=Floor_2\n", "");
  CliRun last = cli({"list", "fonts"});
  EXPECT_EQ(last.status, 0) << last.output;
  EXPECT_TRUE(contains(last.output, "sending to printer group Floor_2 (lastPrinter in '" + config_ + "')"));
  EXPECT_TRUE(contains(last.output, "Sent to 2 of 2 printers.\n")) << last.output;
  writeConfig("lastPrinter=[No Printers Available]\n", "");
  {
    ScopedEnv printer("PRINTER", "Tessel_2");
    CliRun env = cli({"list", "fonts"});
    EXPECT_EQ(env.status, 0) << env.output;
    EXPECT_TRUE(contains(env.output, "sending to Tessel_2 ($PRINTER)")) << env.output;
    ScopedEnv wrong("PRINTER", "Tesel_2");
    CliRun bad = cli({"list", "fonts"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(contains(bad.output, "unknown printer 'Tesel_2' ($PRINTER); did you mean 'Tessel_2'?")) << bad.output;
  }
  CliRun none = cli({"list", "fonts"});
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(contains(none.output, "no destination")) << none.output;
  std::string out;
  ASSERT_EQ(runProgram({"lpadmin", "-d", "Tessel_1"}, out), 0) << out;
  CliRun spoolerDefault = cli({"list", "fonts"});
  EXPECT_EQ(spoolerDefault.status, 0) << spoolerDefault.output;
  EXPECT_TRUE(contains(spoolerDefault.output, "sending to Tessel_1 (the spooler's default printer)"));

  // A scheduler that is not there is an error with what to check, not an
  // empty printer list.
  ScopedEnv away("CUPS_SERVER", (scratch_ + "/no-such.sock").c_str());
  for (std::vector<std::string> args : {std::vector<std::string>{"printers"}, {"list", "fonts", "-d", "Tessel_1"}}) {
    CliRun r = cli(args);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_TRUE(oneErrorLine(r));
    EXPECT_TRUE(contains(r.output, "cannot reach the CUPS scheduler at " + scratch_ + "/no-such.sock")) << r.output;
    EXPECT_FALSE(contains(r.output, "[No Printers Available]"));
  }
}

TEST_F(CliFixture, ArgumentsAreCheckedBeforeAnythingRuns) {
  CliRun help = cli({"help", "install"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("Usage: quaymaster-cli install", 0), 0u) << help.output;
  EXPECT_EQ(help.output, cli({"install", "--help"}).output);
  CliRun typo = cli({"instal"});
  EXPECT_EQ(typo.status, 2);
  EXPECT_TRUE(oneErrorLine(typo));
  EXPECT_TRUE(contains(typo.output, "unknown command 'instal'; did you mean 'install'?")) << typo.output;

  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::string kpf = sampleKpf();
  const std::string form = scratchFile("recv/a.frm", "form");
  const std::string demo = scratchFile("recv/demo/d.frm", "demo");
  for (const Case& c : std::vector<Case>{
           {{"delete", "project", "", "P", "-d", "Tessel_1"}, "delete: the folder name is empty"},
           {{"delete", "project", "Demo", "", "-d", "Tessel_1"}, "delete: the project name is empty"},
           {{"list", "project", "Demo", "", "-d", "Tessel_1"}, "list: the project name is empty"},
           // Printer names the printer refuses, and the printer's own files.
           {{"load-files", form + "=../../x.frm", "-d", "Tessel_1"},
            "load-files: '" + form + "=../../x.frm': the printer name '../../x.frm' holds a '..' level"},
           {{"load-files", form + "=%os%/etc/x", "-d", "Tessel_1"}, "starts with '%'"},
           {{"load-files", form + "=tqfc/a\x1b[2Jb", "-d", "Tessel_1"}, "'tqfc/a\\x1b[2Jb' holds a control character"},
           {{"load-files", form + "=Sys/Start", "-d", "Tessel_1"},
            "'Sys/Start' belongs to the printer's start-up; give --allow-system-names"},
           {{"load-files", form + "=tqf/src/tqfdep", "-d", "Tessel_1"}, "belongs to Tessel"},
           {{"load-files", demo, "-d", "Tessel_1"}, "the printer name 'tqf/demo/d.frm' belongs to Tessel"},
           {{"load-files", form + "=fonts/Courier", "-d", "Tessel_1"}, "belongs to the printer's fonts"},
           {{"remove-files", "tqfc/*", "../../x", "-d", "Tessel_1"},
            "remove-files: '../../x': the printer name '../../x' holds a '..' level"},
           {{"list", "all", "extra", "-d", "Tessel_1"}, "unexpected argument 'extra'"},
           {{"load-project", kpf, "second.kpf", "-d", "Tessel_1"}, "unexpected argument 'second.kpf'"},
           {{"send-file", "-d", "Tessel_1"}, "missing arguments; usage: quaymaster-cli send-file FILE"},
           {{"send-container", kpf, "-d", "Tessel_1", "--pages", "1-x"}, "--pages: '1-x' is not a page range"},
           {{"send-container", kpf, "-d", "Tessel_1", "--if-bad-range", "foo"},
            "--if-bad-range takes stop or print-all, not 'foo'"},
           {{"send-container", kpf, "-d", "Tessel_1", "--keep"}, "--keep needs --embed-tessel"},
           {{"install", "-d", "Tessel_1", "--keep"}, "--keep needs --auto-start"},
           {{"install", "-d", "Tessel_1", "-e"}, "unknown option '-e'"},
           {{"preview", "job.ps", "--pages", "x"}, "unknown option '--pages'"},
           {{"preview", "job.ps", "--disk-size", "lots"}, "--disk-size: 'lots' is not a size"},
           {{"delete", "projct", "-d", "Tessel_1"}, "did you mean 'project'?"},
           {{"delete", "tessel", "--no-folder-shared", "-d", "Tessel_1"}, "go with 'delete project'"},
       }) {
    CliRun r = cli(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0] << " " << r.output;
    EXPECT_TRUE(oneErrorLine(r));
    EXPECT_TRUE(contains(r.output, c.says)) << c.says << "\n" << r.output;
  }
  waitIdle();
  EXPECT_TRUE(pages(1).empty()) << "nothing was sent";
}

TEST_F(CliFixture, FailuresAreOneLineAndLeaveNoTemporaryFiles) {
  const std::string tmp = scratch_ + "/tmp";
  fs::create_directories(tmp);
  ScopedEnv tmpdir("TMPDIR", tmp.c_str());
  std::string broken = scratchFile("broken/Broken.kpf", "<not a project>");
  std::string garbage = scratchFile("garbage.kpc", std::string(4000, 'x'));
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  for (const Case& c : std::vector<Case>{
           {{"load-fonts", scratchFile("dots.pfa", "%!PS-AdobeFont-1.0: Dots\n/FontName /.. def\n"), "-d", "Tessel_1"},
            "dots.pfa': the printer name 'fonts/..' holds a '..' level, which the printer refuses"},
           {{"load-fonts", scratch_ + "/missing.pfb", "-d", "Tessel_1"}, "the font file '" + scratch_ + "/missing.pfb' does not exist"},
           {{"load-files", scratch_ + "/gone.frm", "-d", "Tessel_1"}, "does not exist"},
           {{"preview", scratch_}, "is a folder, not a job file"},
           {{"list-project", broken}, "Quaymaster"},
           {{"load-project", broken, "-d", "Tessel_1"}, "Quaymaster"},
           {{"container", "list", garbage}, ""},
           {{"container", "extract", garbage, scratch_ + "/out"}, ""},
       }) {
    CliRun r = cli(c.args);
    EXPECT_EQ(r.status, 1) << c.args[0] << "\n" << r.output;
    EXPECT_TRUE(oneErrorLine(r)) << c.args[0];
    EXPECT_TRUE(contains(r.output, c.says)) << c.says << "\n" << r.output;
    EXPECT_FALSE(contains(r.output, "Minizip")) << r.output;
    EXPECT_FALSE(contains(r.output, "job file left at")) << r.output;
    EXPECT_FALSE(contains(r.output, "Ghostscript")) << r.output;
    EXPECT_TRUE(krmFiles(tmp).empty()) << c.args[0];
  }
  // The folder a failed extraction made for itself goes again.
  EXPECT_FALSE(fs::exists(scratch_ + "/out"));
  // The desktop's advice about its Edit button is not the command line's.
  std::string odd = scratchFile("misc/notes.xyz", "notes\n");
  CliRun guessed = cli({"load-files", odd, "-o", scratch_ + "/j.ps"});
  EXPECT_EQ(guessed.status, 0) << guessed.output;
  EXPECT_FALSE(contains(guessed.output, "Edit button"));
  EXPECT_TRUE(contains(guessed.output, "FILE=PRINTER-NAME")) << guessed.output;
}

TEST_F(CliFixture, GroupWritersAtOnceAllKeepTheirGroups) {
  constexpr int kWriters = 20;
  std::vector<CliRun> runs(kWriters);
  std::vector<std::thread> threads;
  for (int i = 0; i < kWriters; ++i)
    threads.emplace_back([this, &runs, i] { runs[i] = cli({"groups", "create", "C" + std::to_string(i), "Tessel_1"}); });
  for (std::thread& t : threads) t.join();
  for (const CliRun& r : runs) EXPECT_EQ(r.status, 0) << r.output;
  const std::string list = cli({"groups", "list"}).output;
  for (int i = 0; i < kWriters; ++i)
    EXPECT_TRUE(contains(list, "C" + std::to_string(i) + ": Tessel_1\n")) << i << "\n" << list;
  EXPECT_TRUE(contains(list, "Floor_2: Tessel_1, tessel_2\n")) << list;
}

TEST_F(CliFixture, ConfigurationThatDoesNotReadIsRefusedAndKept) {
  const std::string garbage("\x7f" "ELF\x02\x01\x01\x00\x00\x00 [\n", 14);
  std::ofstream(config_, std::ios::binary) << garbage;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"groups", "list"}, {"groups", "create", "C1", "Tessel_1"}, {"groups", "delete", "Floor_2", "--yes"}}) {
    CliRun r = cli(args);
    EXPECT_EQ(r.status, 1) << args[1];
    EXPECT_TRUE(oneErrorLine(r));
    EXPECT_TRUE(contains(r.output, "'" + config_ + "' cannot be read: line 1 ")) << r.output;
  }
  EXPECT_EQ(readFile(config_), garbage);
}
