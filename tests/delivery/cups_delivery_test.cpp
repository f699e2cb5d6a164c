// Delivery against a real CUPS scheduler: a private one per test, with
// byte-copying capture queues, simulated Tessel printers and driver queues.
#include <gtest/gtest.h>

#ifdef _WIN32

TEST(CupsDelivery, NeedsCups) {
  GTEST_SKIP() << "needs a private CUPS scheduler, which Windows does not have; the Windows spooler is "
                  "tried through Wine by scripts/test-windows.sh";
}

#else

#include <arpa/inet.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "delivery/app_config.h"
#include "delivery/send_job.h"
#include "delivery/spooler.h"
#include "delivery/spooler_jobs.h"
#include "tests/delivery/test_env.h"
#include "tools/cups/private_cups.h"

#ifdef QM_HAVE_KRMSDK
#include "krmsdk/krmsdk.h"
#endif

namespace {

namespace fs = std::filesystem;

const char* simulator() {
#ifdef QM_PRINTER_SIM
  return QM_PRINTER_SIM;
#else
  return "";
#endif
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(generator() & 0xff);
  return data;
}

// The final states of the printer's jobs, oldest first, once none is still
// pending or printing (or the timeout passes).
std::vector<ipp_jstate_t> finishedJobStates(const std::string& printer, int timeoutMs = 20000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<ipp_jstate_t> states;
  for (;;) {
    cups_job_t* jobs = nullptr;
    int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.c_str(), 0, CUPS_WHICHJOBS_ALL);
    states.clear();
    bool busy = false;
    for (int i = 0; i < count; ++i) {
      states.push_back(jobs[i].state);
      busy = busy || jobs[i].state < IPP_JSTATE_STOPPED;
    }
    cupsFreeJobs(count, jobs);
    if (!busy || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return states;
}

std::vector<std::string> filesIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().string().ends_with(suffix)) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class PrivateCupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!sdkFileExists("/usr/sbin/cupsd")) GTEST_SKIP() << "CUPS is not installed";
    std::string error;
    cups_ = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, simulator(), error);
    ASSERT_TRUE(cups_) << error;
    cups_->useForClients();
  }

  std::string addCapture(const std::string& name) {
    std::string jobs;
    EXPECT_TRUE(cups_->addCapture(name, jobs)) << cups_->lastError();
    return jobs;
  }

  std::unique_ptr<PrivateCups> cups_;
  ScratchDir scratch_;
};

TEST_F(PrivateCupsTest, EnumerationOffersRawAndPostScriptQueuesOnly) {
  EXPECT_EQ(EnumeratePrinters(), std::vector<std::string>{kNoPrintersAvailable});

  addCapture("Raw_Capture");
  std::string disk, pages;
  ASSERT_TRUE(cups_->addSimulated("Tessel_1", disk, pages)) << cups_->lastError();
  ASSERT_TRUE(cups_->addSimulated("Tessel_2", disk, pages)) << cups_->lastError();
  ASSERT_TRUE(cups_->addDriver("Laser_PCL", "drv:///sample.drv/laserjet.ppd")) << cups_->lastError();
  ASSERT_TRUE(cups_->addDriver("Generic_PS", "drv:///sample.drv/generic.ppd")) << cups_->lastError();

  std::vector<std::string> offered = EnumeratePrinters();
  std::sort(offered.begin(), offered.end());
  EXPECT_EQ(offered, (std::vector<std::string>{"Generic_PS", "Raw_Capture", "Tessel_1", "Tessel_2"}));
  EXPECT_TRUE(IsInstalledPrinter("raw_capture"));
  EXPECT_FALSE(IsInstalledPrinter("Laser_PCL"));

  // How queues of other kinds are read.
  EXPECT_TRUE(describeQueue({"PDF", "cups-pdf:/", "Generic CUPS-PDF Printer (w/ options)"}).pdfConverter);
  EXPECT_TRUE(describeQueue({"Conv", "koroconvert:/spool", "Local Raw Printer"}).conversionPort);
  QueueFacts toFile = describeQueue({"ToFile", "file:///tmp/out.ps", "Local Raw Printer"});
  EXPECT_TRUE(toFile.filePort && toFile.acceptsRawPostScript);
}

TEST_F(PrivateCupsTest, RawJobsArriveByteForByte) {
  const std::string jobs = addCapture("Raw_Capture");
  const std::string exact = randomBytes(65536, 1);
  const std::string large = randomBytes(5 * 1024 * 1024 + 123, 2);
  ASSERT_TRUE(WriteFileToPrinter("[Send Submission File] exact", scratch_.write("exact", exact), "Raw_Capture"));
  ASSERT_TRUE(WriteFileToPrinter("[Send Submission File] large", scratch_.write("large", large), "Raw_Capture"));

  std::vector<std::string> captured = waitForCapturedJobs(jobs, 2, 20000);
  ASSERT_EQ(captured.size(), 2u);
  EXPECT_TRUE(readFile(captured[0]) == exact);
  EXPECT_TRUE(readFile(captured[1]) == large);
  EXPECT_EQ(finishedJobStates("Raw_Capture"),
            (std::vector<ipp_jstate_t>{IPP_JSTATE_COMPLETED, IPP_JSTATE_COMPLETED}));
}

TEST_F(PrivateCupsTest, EmptyJobHasNothingToDeliverAndLeavesNoJobBehind) {
  const std::string jobs = addCapture("Raw_Capture");
  EXPECT_TRUE(WriteFileToPrinter("[List Files]", scratch_.write("empty", ""), "Raw_Capture"));
  EXPECT_EQ(finishedJobStates("Raw_Capture"), std::vector<ipp_jstate_t>{IPP_JSTATE_CANCELED});
  EXPECT_TRUE(waitForCapturedJobs(jobs, 1, 300).empty());
  // The queue is still checked: an empty file for a missing queue fails.
  EXPECT_FALSE(WriteFileToPrinter("[List Files]", scratch_.file("empty"), "No_Such_Queue"));
}

TEST_F(PrivateCupsTest, CopyFailingPartWayCancelsTheJob) {
  const std::string jobs = addCapture("Raw_Capture");
  int calls = 0;
  bool ok = WriteDataToPrinter("[Load PS Fonts]", "Raw_Capture", [&calls](char* buffer, std::size_t size) -> long {
    if (++calls > 3) return -1;  // the source breaks after three pieces
    std::fill(buffer, buffer + size, 'x');
    return static_cast<long>(size);
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(finishedJobStates("Raw_Capture"), std::vector<ipp_jstate_t>{IPP_JSTATE_CANCELED});
  EXPECT_TRUE(waitForCapturedJobs(jobs, 1, 500).empty());

  // Cancel half-way through a file's hand-over does the same, and says so.
  const std::string big = scratch_.write("big", randomBytes(4 * 1024 * 1024, 3));
  std::uint64_t seen = 0;
  Submission stopped = SubmitFileToPrinter("[Load PS Fonts]", big, "Raw_Capture", [&seen](const SendProgress& p) {
    seen = p.bytes;
    return p.bytes < 1024 * 1024 && p.total == 4u * 1024 * 1024 && p.printer == "Raw_Capture";
  });
  EXPECT_TRUE(stopped.cancelled && !stopped.ok);
  EXPECT_EQ(seen, 1024u * 1024);
  EXPECT_EQ(finishedJobStates("Raw_Capture"),
            (std::vector<ipp_jstate_t>{IPP_JSTATE_CANCELED, IPP_JSTATE_CANCELED}));
  EXPECT_TRUE(waitForCapturedJobs(jobs, 1, 500).empty());

  // The queue keeps working.
  ASSERT_TRUE(WriteFileToPrinter("[List Files]", scratch_.write("after", "%!PS\n"), "Raw_Capture"));
  ASSERT_EQ(waitForCapturedJobs(jobs, 1, 20000).size(), 1u);
}

TEST_F(PrivateCupsTest, MissingPrinterOrFileIsReportedByName) {
  addCapture("Raw_Capture");
  const std::string job = scratch_.write("job.ps", "%!PS\n");
  SendOutcome outcome = SendJob("[Delete Files]", job, "Gone_Printer");
  EXPECT_EQ(outcome.message, "Quaymaster cannot send the job to the printer(s).\n\nGone_Printer");
  EXPECT_FALSE(WriteFileToPrinter("[Delete Files]", scratch_.file("missing.ps"), "Raw_Capture"));
  EXPECT_TRUE(finishedJobStates("Raw_Capture", 1000).empty());
}

// A job that lists the printer disk and prints the list as a status page.
std::string writeListJob(const ScratchDir& dir, const std::string& printer) {
#ifdef QM_HAVE_KRMSDK
  const std::string path = dir.file("krmlist.ps");
  krmInitialize();
  krmVOS vos;
  vos.krmVOSSetOutputPath(path.c_str());
  vos.krmVOSSetFlags(0x8000);
  krmFOS fos;
  fos.krmFOSSetFilePattern("*");
  fos.krmFOSSetPrinterName(printer.c_str());
  const int result = krmListPrinterFiles(&fos, &vos);
  krmFinished();
  return result == kKrmOk ? path : std::string();
#else
  (void)dir;
  (void)printer;
  return std::string();
#endif
}

class SimulatedPrinterTest : public PrivateCupsTest {
 protected:
  void SetUp() override {
    if (std::string(simulator()).empty()) GTEST_SKIP() << "the printer simulator is not built";
    PrivateCupsTest::SetUp();
  }

  // The pages the printer printed once its one job has ended.
  std::vector<std::string> pagesOf(const std::string& printer, const std::string& pages) {
    EXPECT_EQ(finishedJobStates(printer, 120000), std::vector<ipp_jstate_t>{IPP_JSTATE_COMPLETED})
        << printer << ": " << readFile(cups_->folder() + "/log/error_log");
    return filesIn(pages, ".png");
  }
};

bool isPng(const std::string& path) { return readFile(path).starts_with("\x89PNG\r\n\x1a\n"); }

TEST_F(SimulatedPrinterTest, ListJobEndsAsAStatusPage) {
  std::string disk, pages;
  ASSERT_TRUE(cups_->addSimulated("Tessel_1", disk, pages)) << cups_->lastError();
  const std::string job = writeListJob(scratch_, "Tessel_1");
  if (job.empty()) GTEST_SKIP() << "the job library cannot write the list job yet";

  SendOutcome outcome = SendJob("[List Files]", job, "Tessel_1");
  EXPECT_TRUE(outcome.succeeded()) << outcome.message;
  EXPECT_EQ(outcome.statusText, "[List Files] completed successfully");
  std::vector<std::string> printed = pagesOf("Tessel_1", pages);
  ASSERT_FALSE(printed.empty());
  EXPECT_TRUE(isPng(printed.front()));
}

TEST_F(SimulatedPrinterTest, GroupReachesEveryInstalledMemberAndNamesTheMissingOne) {
  std::string disk1, pages1, disk2, pages2;
  ASSERT_TRUE(cups_->addSimulated("Tessel_1", disk1, pages1)) << cups_->lastError();
  ASSERT_TRUE(cups_->addSimulated("Tessel_2", disk2, pages2)) << cups_->lastError();
  const std::string job = writeListJob(scratch_, "Floor_2");
  if (job.empty()) GTEST_SKIP() << "the job library cannot write the list job yet";

  ScratchDir configDir;
  configDir.write("quaymaster.ini", "qmRootDir=/srv/qm\n[printer-groups]\nFloor_2=tessel_1,Tessel_9,TESSEL_2\n");
  ScopedEnv config(kConfigDirVariable, configDir.path().c_str());

  SendOutcome outcome = SendJob("[List Files]", job, "\\\\\\Floor_2");
  EXPECT_EQ(outcome.message, "Quaymaster cannot send the job to the printer(s).\n\nTessel_9");
  EXPECT_EQ(outcome.failedPrinters, std::vector<std::string>{"Tessel_9"});
  EXPECT_FALSE(outcome.beep);
  std::vector<std::string> first = pagesOf("Tessel_1", pages1);
  std::vector<std::string> second = pagesOf("Tessel_2", pages2);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_TRUE(isPng(first.front()) && isPng(second.front()));
}

// The same simulated printer through its socket:// queue and directly: a
// file the spooled job stores is there for the job sent straight to it.
TEST_F(SimulatedPrinterTest, DirectPrinterIsTheSameThroughTheSpoolerAndDirectly) {
  int port = 0;
  std::string disk, pages;
  ASSERT_TRUE(cups_->addDirect("Tessel_Direct", port, disk, pages)) << cups_->lastError();
  const std::string job = scratch_.write("store.ps", "%!\n(via-spool) (w) file dup (spooled) writestring closefile\n");
  SendOutcome outcome = SendJob("[test]", job, "Tessel_Direct");
  ASSERT_TRUE(outcome.succeeded()) << outcome.message;
  EXPECT_EQ(finishedJobStates("Tessel_Direct"), std::vector<ipp_jstate_t>{IPP_JSTATE_COMPLETED});

  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &where.sin_addr);
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
  const std::string ask = "%!\n(via-spool) status { pop pop exch pop = } { (none) = } ifelse\n";
  ASSERT_EQ(send(fd, ask.data(), ask.size(), MSG_NOSIGNAL), static_cast<ssize_t>(ask.size()));
  shutdown(fd, SHUT_WR);
  std::string answer;
  char buffer[256];
  for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  EXPECT_EQ(answer, "7\n");
}

}  // namespace

#endif
