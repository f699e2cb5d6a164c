// Jobs followed to their end, printer groups kept in the configuration,
// JSON listings, status pages that name their printer, driverless queues,
// questions on a terminal, containers unpacked without overwriting, and
// the installed manual page and completion. All of it needs a CUPS
// scheduler, a terminal of its own or the Linux install.
#ifndef _WIN32
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>

#include "base/sdk_fs.h"
#include "cli_fixture.h"
#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "delivery/send_history.h"

namespace fs = std::filesystem;

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string admin(const std::vector<std::string>& args) {
  std::string out;
  EXPECT_EQ(runProgram(args, out), 0) << args[0] << ": " << out;
  return out;
}

// Runs the program on a terminal of its own and answers its question.
CliRun onTerminal(const std::vector<std::string>& args, const std::string& answer) {
  CliRun r;
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) return r;
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  bool answered = false;
  char buffer[4096];
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 30000) <= 0) break;
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // the terminal closes when the program ends
    r.output.append(buffer, static_cast<std::size_t>(n));
    if (!answered && contains(r.output, "[y/N] ")) {
      std::string line = answer + "\n";
      if (write(master, line.data(), line.size()) < 0) break;
      answered = true;
    }
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Parses JSON with Python and runs a check on it; the check's output.
std::string checkJson(const std::string& json, const std::string& python, const std::string& folder) {
  std::string file = folder + "/out.json";
  std::ofstream(file, std::ios::binary) << json;
  std::string out;
  runProgram({"python3", "-c", "import json,sys\nd=json.load(open(sys.argv[1],encoding='utf-8'))\n" + python, file},
             out);
  return out;
}

// The send history of one test: QUAYMASTER_DATA_DIR points at folder for
// the object's life.
class PrivateHistory {
 public:
  explicit PrivateHistory(const std::string& folder) : file_(folder + "/history.sqlite") {
    if (const char* old = std::getenv("QUAYMASTER_DATA_DIR")) saved_ = old;
    setenv("QUAYMASTER_DATA_DIR", folder.c_str(), 1);
  }
  ~PrivateHistory() {
    if (saved_) setenv("QUAYMASTER_DATA_DIR", saved_->c_str(), 1);
    else unsetenv("QUAYMASTER_DATA_DIR");
  }
  const std::string& file() const { return file_; }

 private:
  std::string file_;
  std::optional<std::string> saved_;
};

// The state kept for printer's job in the newest send.
std::string keptState(const std::string& historyFile, const std::string& printer) {
  SendHistory history(historyFile);
  const std::vector<HistorySend> sends = history.query({});
  if (sends.empty()) return "no send";
  for (const HistoryMember& m : sends[0].members)
    if (m.member == printer) return m.jobState;
  return "no row";
}
}  // namespace

TEST_F(CliFixture, SentJobsAreNumberedAndFollowedToTheirEnd) {
  // The final states --wait learns are kept with the send.
  const PrivateHistory history(scratch_ + "/data");
  const std::string& historyFile = history.file();

  CliRun done = cli({"list", "fonts", "-d", "Tessel_1", "--wait"});
  ASSERT_EQ(done.status, 0) << done.output;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(done.output, m, std::regex("\nTessel_1: job ([0-9]+)\n"))) << done.output;
  EXPECT_TRUE(contains(done.output, "Tessel_1: job " + m[1].str() + " completed\n")) << done.output;
  EXPECT_EQ(pages(1).size(), 1u) << "the listing was printed before --wait returned";
  EXPECT_EQ(keptState(historyFile, "Tessel_1"), "completed");

  // A disabled queue holds the job: --wait says so instead of waiting.
  admin({"cupsdisable", "Tessel_2"});
  CliRun held = cli({"list", "fonts", "-g", "Floor_2", "--wait"});
  EXPECT_EQ(held.status, 1) << held.output;
  EXPECT_TRUE(std::regex_search(held.output, std::regex("Tessel_1: job [0-9]+ completed\n"))) << held.output;
  EXPECT_TRUE(std::regex_search(held.output, std::regex("quaymaster-cli: tessel_2: job [0-9]+ stopped \\(the printer is stopped"))) << held.output;
  EXPECT_EQ(keptState(historyFile, "Tessel_1"), "completed");
  EXPECT_EQ(keptState(historyFile, "tessel_2"), "stopped");
  admin({"cancel", "-a", "Tessel_2"});

  // A rejecting queue takes no job at all.
  admin({"cupsreject", "Raw_Capture"});
  CliRun refused = cli({"send-file", scratchFile("a.ps", "%!\n"), "-d", "Raw_Capture", "--wait"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(contains(refused.output, "Raw_Capture (")) << refused.output;
  EXPECT_TRUE(contains(refused.output, "not accepting jobs")) << refused.output;
  EXPECT_FALSE(contains(refused.output, "job 0"));
}

TEST_F(CliFixture, AGroupSendIsSummedUpUnlessATerminalShowsEachPrinter) {
  const PrivateHistory history(scratch_ + "/data");
  writeConfig("", "Half=Tessel_1,Gone,Raw_Capture\n");
  const std::string job = scratchFile("a.ps", "%!\n");
  const std::string errors = scratch_ + "/errors.txt";
  const auto piped = [&](const std::string& args, std::string& out) {
    return runProgram({"/bin/sh", "-c", std::string(QM_CLI) + " " + args + " -c " + config_ + " 2>" + errors}, out);
  };
  const std::string missed = "quaymaster-cli: Gone: not an installed printer that takes raw PostScript\n";

  // Through a pipe: the counts on standard output, each miss on standard error.
  std::string out;
  EXPECT_EQ(piped("send-file " + job + " -g Half", out), 1);
  EXPECT_EQ(out, "Sent to 2 of 3 printers.\n");
  EXPECT_EQ(sdkReadWholeFile(errors.c_str()).value_or(""), missed);
  // Sending again goes to the group's missed member only, and is summed up too.
  EXPECT_EQ(piped("resend --failed", out), 1);
  EXPECT_EQ(out, "Sent to 0 of 1 printer.\n");
  EXPECT_EQ(sdkReadWholeFile(errors.c_str()).value_or(""), missed);

  // On a terminal: a line per printer.
  CliRun shown = onTerminal({QM_CLI, "send-file", job, "-g", "Half", "-c", config_}, "");
  EXPECT_EQ(shown.status, 1);
  for (const char* line : {"\nTessel_1: job [0-9]+\r\n", "\nRaw_Capture: job [0-9]+\r\n", "quaymaster-cli: .*Gone"})
    EXPECT_TRUE(std::regex_search(shown.output, std::regex(line))) << line << "\n" << shown.output;
  EXPECT_FALSE(contains(shown.output, "Sent to")) << shown.output;
  waitIdle();
}

TEST_F(CliFixture, GroupsAreKeptAsTheDialogKeepsThem) {
  CliRun list = cli({"groups"});
  ASSERT_EQ(list.status, 0) << list.output;
  EXPECT_EQ(list.output, "Floor_2: Tessel_1, tessel_2\n");

  CliRun create = cli({"groups", "create", "Night_1", "tessel_2", "Tessel_1", "TESSEL_2"});
  ASSERT_EQ(create.status, 0) << create.output;
  {
    AppFileConfig config(kAppName, "", config_);
    EXPECT_EQ(ReadPrinterGroup(config, "Night_1"), (std::vector<std::string>{"Tessel_2", "Tessel_1"}))
        << "members as the spooler spells them, each once";
  }
  struct Refusal {
    std::string name, says;
  };
  for (const Refusal& r : std::vector<Refusal>{{std::string(33, 'a'), "at most 32 characters"},
                                               {"Night 2", "may only contain underscore"},
                                               {"tessel_1", "cannot be the same as a printer name: tessel_1"},
                                               {"night_1", "The group already exists: night_1"}}) {
    CliRun refused = cli({"groups", "create", r.name});
    EXPECT_EQ(refused.status, 1) << r.name;
    EXPECT_TRUE(contains(refused.output, r.says)) << r.says << "\n" << refused.output;
  }
  EXPECT_EQ(cli({"groups", "create", std::string(32, 'b')}).status, 0);
  CliRun unknownMember = cli({"groups", "set", "Night_1", "Tesel_1"});
  EXPECT_EQ(unknownMember.status, 1);
  EXPECT_TRUE(contains(unknownMember.output, "did you mean 'Tessel_1'?")) << unknownMember.output;

  ASSERT_EQ(cli({"groups", "set", "night_1"}).status, 0);
  {
    AppFileConfig config(kAppName, "", config_);
    EXPECT_TRUE(ReadPrinterGroup(config, "Night_1").empty());
  }
  CliRun empty = cli({"list", "fonts", "-g", "Night_1"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(contains(empty.output, "The printer group contains no printer: Night_1")) << empty.output;

  EXPECT_EQ(cli({"groups", "delete", "Nigth_1"}).status, 1);
  ASSERT_EQ(cli({"groups", "delete", "Night_1"}).status, 0) << "no terminal: no question";
  list = cli({"groups"});
  EXPECT_TRUE(contains(list.output, "Floor_2: Tessel_1, tessel_2\n")) << list.output;
  EXPECT_TRUE(contains(list.output, std::string(32, 'b') + ":\n")) << list.output;
  EXPECT_FALSE(contains(list.output, "Night_1"));
  std::string json = cli({"groups", "--json"}).output;
  EXPECT_EQ(checkJson(json, "print(sorted((g['name'], g['members']) for g in d['groups']))", scratch_),
            "[('Floor_2', ['Tessel_1', 'tessel_2']), ('" + std::string(32, 'b') + "', [])]\n");
}

TEST_F(CliFixture, JsonListingsCarryTheDocumentedFields) {
  std::string kpc = scratch_ + "/Invoice.kpc";
  ASSERT_EQ(cli({"container", "create", sampleKpf(), kpc}).status, 0);
  struct Case {
    std::vector<std::string> args;
    std::string python, expected;
  };
  for (const Case& c : std::vector<Case>{
           {{"printers", "--json"}, "print(sorted(d['printers']), d['groups'][0]['name'], len(d['groups'][0]['members']))",
            "['Raw_Capture', 'Tessel_1', 'Tessel_2'] Floor_2 2\n"},
           {{"list-project", sampleKpf(), "--json"},
            "r=[x for x in d['resources'] if x['name']=='invoice.frm'][0]\n"
            "print(r['type'], r['path'].endswith('/invoice.frm'), d['project'].endswith('Invoice.kpf'))",
            "frm True True\n"},
           {{"project", "info", sampleKpf(), "--json"},
            "print(d['folder'], d['project'], d['type'], sorted(set(r['scope'] for r in d['resources'])), "
            "len(d['submissionFiles']) > 0, type(d['messages']).__name__, sorted(d['resources'][0].keys()))",
            "Demo Invoice KORO ['folder-shared', 'global-shared', 'local'] True list ['name', 'path', 'scope', 'type']\n"},
           {{"container", "list", kpc, "--json"},
            "e=[x for x in d['entries'] if x['name'].endswith('Invoice.kpf')]\nprint(d['container'].endswith('.kpc'), len(e), e[0]['size'] > 0)",
            "True 1 True\n"},
       }) {
    CliRun r = cli(c.args);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(checkJson(r.output, c.python, scratch_), c.expected) << c.args[0] << "\n" << r.output;
  }
}

TEST_F(CliFixture, StatusPagesNameThePrinterTheyCameOutOf) {
  if (!sdkFileExists("/usr/bin/pdftotext")) GTEST_SKIP() << "pdftotext not installed";
  std::string diskA, pagesA, diskB, pagesB;
  ASSERT_TRUE(cups_->addSimulated("Page_A", diskA, pagesA, "pdf")) << cups_->lastError();
  ASSERT_TRUE(cups_->addSimulated("Page_B", diskB, pagesB, "pdf")) << cups_->lastError();
  ASSERT_EQ(cli({"groups", "create", "Pages", "Page_A", "Page_B"}).status, 0);
  std::string form = scratchFile("forms/formlib/a.frm", "%!\n% a form\n");
  CliRun load = cli({"load-files", form, "-g", "Pages", "--status-page", "--wait"});
  ASSERT_EQ(load.status, 0) << load.output;
  for (const auto& [name, folder] : {std::pair{"Page_A", pagesA}, std::pair{"Page_B", pagesB}}) {
    std::vector<std::string> pdfs;
    for (const auto& e : fs::directory_iterator(folder)) pdfs.push_back(e.path().string());
    ASSERT_EQ(pdfs.size(), 1u) << name;
    std::string text = pdfText(pdfs[0]);
    EXPECT_TRUE(contains(text, std::string("Printer: ") + name)) << text;
    EXPECT_FALSE(contains(text, "Pages")) << "not the group's name\n" << text;
  }
}

TEST_F(CliFixture, DriverlessQueuesOnlyWhenTheDeviceTakesPostScript) {
  if (geteuid() != 0) GTEST_SKIP() << "the IPP Everywhere printer needs D-Bus and Avahi started as root";
  std::string spoolPs, spoolPdf;
  ASSERT_TRUE(cups_->addDriverless("Eve_PS", 18000 + getpid() % 1000 * 2,
                                   "application/postscript,application/pdf,image/pwg-raster", spoolPs))
      << cups_->lastError();
  ASSERT_TRUE(cups_->addDriverless("Eve_PDF", 18001 + getpid() % 1000 * 2, "application/pdf,image/pwg-raster", spoolPdf))
      << cups_->lastError();
  CliRun printers = cli({"printers"});
  ASSERT_EQ(printers.status, 0) << printers.output;
  EXPECT_TRUE(contains(printers.output, "Eve_PS\n")) << printers.output;
  EXPECT_FALSE(contains(printers.output, "Eve_PDF")) << printers.output;

  std::string data = "%!PS-Adobe-3.0\n% byte for byte\n" + std::string(70000, 'x') + "\nshowpage\n";
  CliRun sent = cli({"send-file", scratchFile("eve.ps", data), "-d", "Eve_PS", "--wait"});
  ASSERT_EQ(sent.status, 0) << sent.output;
  std::vector<std::string> received;
  // The printer keeps each document as it came (.ps), beside its own output.
  for (const auto& e : fs::directory_iterator(spoolPs))
    if (e.path().extension() == ".ps") received.push_back(e.path().string());
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(sdkReadWholeFile(received[0].c_str()).value_or(""), data);
  EXPECT_EQ(cli({"send-file", scratchFile("eve2.ps", data), "-d", "Eve_PDF"}).status, 1);
}

TEST_F(CliFixture, DeleteAsksOnATerminalOnly) {
  const std::vector<std::string> args{QM_CLI, "delete", "tessel", "-d", "Tessel_1", "-c", config_};
  CliRun no = onTerminal(args, "n");
  EXPECT_EQ(no.status, 1) << no.output;
  EXPECT_TRUE(contains(no.output, "delete every Tessel file from printer Tessel_1? [y/N] ")) << no.output;
  EXPECT_TRUE(contains(no.output, "nothing deleted"));
  std::vector<std::string> withYes = args;
  withYes.push_back("--yes");
  CliRun yes = onTerminal(withYes, "unused");
  EXPECT_EQ(yes.status, 0) << yes.output;
  EXPECT_FALSE(contains(yes.output, "[y/N]"));
  CliRun asked = onTerminal(args, "y");
  EXPECT_EQ(asked.status, 0) << asked.output;
  EXPECT_TRUE(contains(asked.output, "[Delete Files] completed successfully"));
  waitIdle();
  EXPECT_EQ(pages(1).size(), 0u) << "no status page asked for";
}

TEST_F(CliFixture, ContainerExtractReplacesNothingWithoutForce) {
  std::string kpc = scratch_ + "/Invoice.kpc";
  ASSERT_EQ(cli({"container", "create", sampleKpf(), kpc}).status, 0);
  std::string out = scratch_ + "/unpacked";
  ASSERT_EQ(cli({"container", "extract", kpc, out}).status, 0);
  const std::string kpf = out + "/Demo/Invoice/Invoice.kpf";
  std::string original = sdkReadWholeFile(kpf.c_str()).value_or("");
  ASSERT_FALSE(original.empty());
  std::ofstream(kpf, std::ios::binary) << "changed by hand";
  fs::remove(out + "/Demo/Invoice/invoice.frm");

  CliRun again = cli({"container", "extract", kpc, out});
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(contains(again.output, "already there; nothing extracted (--force replaces them)")) << again.output;
  EXPECT_EQ(sdkReadWholeFile(kpf.c_str()).value_or(""), "changed by hand");
  EXPECT_FALSE(fs::exists(out + "/Demo/Invoice/invoice.frm")) << "all or nothing";

  ASSERT_EQ(cli({"container", "extract", kpc, out, "--force"}).status, 0);
  EXPECT_EQ(sdkReadWholeFile(kpf.c_str()).value_or(""), original);
  EXPECT_TRUE(fs::exists(out + "/Demo/Invoice/invoice.frm"));
  for (const auto& e : fs::directory_iterator(out))
    EXPECT_EQ(e.path().filename().string().rfind(".qm-extract", 0), std::string::npos) << "no staging left";

  // A folder of the target that is a link elsewhere is not written through.
  const std::string elsewhere = scratch_ + "/elsewhere";
  const std::string linked = scratch_ + "/linked";
  fs::create_directories(elsewhere);
  fs::create_directories(linked);
  fs::create_directory_symlink(elsewhere, linked + "/Demo");
  CliRun through = cli({"container", "extract", kpc, linked, "--force"});
  EXPECT_EQ(through.status, 1);
  EXPECT_TRUE(contains(through.output, "symbolic link")) << through.output;
  EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST(CliInstall, ManualPageAndCompletionAreInstalled) {
  SdkString dir;
  ASSERT_TRUE(sdkMakeTempDir(dir));
  const std::string prefix = dir.str();
  std::string out;
  ASSERT_EQ(runProgram({QM_CMAKE, "--install", QM_BINARY_DIR, "--prefix", prefix}, out), 0) << out;
  EXPECT_TRUE(fs::exists(prefix + "/bin/quaymaster-cli"));
  EXPECT_TRUE(fs::exists(prefix + "/share/man/man1/quaymaster-cli.1"));
  EXPECT_TRUE(fs::exists(prefix + "/share/bash-completion/completions/quaymaster-cli"));
  std::string page;
  EXPECT_EQ(runProgram({"groff", "-man", "-Tutf8", "-P-cbou", prefix + "/share/man/man1/quaymaster-cli.1"}, page), 0);
  EXPECT_TRUE(contains(page, "send-container")) << page.substr(0, 400);
  std::error_code ec;
  fs::remove_all(prefix, ec);
}

#else
#include <gtest/gtest.h>

TEST(CliJobs, NeedCupsATerminalOrTheLinuxInstall) {
  GTEST_SKIP() << "needs a private CUPS scheduler, a pseudo-terminal or the Linux install, which Windows does not "
                  "have";
}
#endif
