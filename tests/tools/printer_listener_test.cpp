// The simulated printer on the loopback address: jobs sent by a minimal
// client (connect, write, shut the write side, read until the printer
// closes), the listing a job has it write back, errors as a printer
// answers them, one job at a time.
#include <gtest/gtest.h>

#ifdef _WIN32

TEST(PrinterListenerTest, NeedsPosix) {
  GTEST_SKIP() << "the simulated printer listens on POSIX systems only";
}

#else

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "delivery/printer_listing.h"
#include "krmsdk/krmsdk.h"
#include "sim_test_util.h"
#include "tools/printer_sim/printer_listener.h"

using simtest::Job;

namespace {

int connectTo(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &where.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void sendJob(int fd, const std::string& job) {
  for (std::size_t done = 0; done < job.size();) {
    ssize_t sent = send(fd, job.data() + done, job.size() - done, MSG_NOSIGNAL);
    ASSERT_GT(sent, 0);
    done += static_cast<std::size_t>(sent);
  }
  shutdown(fd, SHUT_WR);
}

std::string readToClose(int fd) {
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  return answer;
}

}  // namespace

class PrinterListenerTest : public simtest::SimPrinterTest {
 protected:
  void TearDown() override {
    if (server_.joinable()) server_.join();
    SimPrinterTest::TearDown();
  }
  // Listens on a free port and serves jobs on a thread of its own.
  int serve(int jobs) {
    listener_ = std::make_unique<PrinterListener>(options_);
    listener_->quiet = true;
    listener_->idleSeconds = 20;
    std::string error;
    EXPECT_TRUE(listener_->open(ListenAddress{"127.0.0.1", 0}, error)) << error;
    server_ = std::thread([this, jobs] {
      std::string error;
      EXPECT_TRUE(listener_->serve(jobs, nullptr, error)) << error;
    });
    return listener_->port();
  }
  std::string exchange(int port, const std::string& job) {
    int fd = connectTo(port);
    EXPECT_GE(fd, 0);
    if (fd < 0) return {};
    sendJob(fd, job);
    return readToClose(fd);
  }

  std::unique_ptr<PrinterListener> listener_;
  std::thread server_;
};

// The listing job as the job library writes it, run on a disk whose names
// hold everything a name may: the answer lists exactly the disk's files.
TEST_F(PrinterListenerTest, ListingOnTheConnectionIsExactlyTheDisk) {
  options_.diskSize = 1 << 20;
  const std::vector<std::string> names = {
      "a b.txt", "100%", "x(1).frm", "y)", "tqfc/F/back\\slash", "tqfc/été/ünï.frm", "two\nlines", "fonts/Arial"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(printer().writeFile(names[i], std::string(i * 37, 'x'))) << names[i];
  }

  ASSERT_EQ(krmInitialize(), 1001);
  auto fos = krmNewFOS();
  fos->krmFOSSetFlags(kKrmFlagAnswerListing);
  auto vos = krmNewVOS();
  const std::string jobPath = path("list.ps");
  vos->krmVOSSetOutputPath(jobPath.c_str());
  const int built = krmListPrinterFiles(fos.get(), vos.get());
  krmFinished();
  ASSERT_EQ(built, 1001);
  const auto job = sdkReadWholeFile(jobPath.c_str());
  ASSERT_TRUE(job);

  const int port = serve(1);
  const PrinterListing listing = parsePrinterListing(exchange(port, *job));
  EXPECT_TRUE(listing.complete);
  EXPECT_EQ(listing.rejectedLines, 0u);
  std::vector<std::pair<std::string, std::uint64_t>> listed, onDisk;
  for (const ListedFile& f : listing.files) listed.emplace_back(f.name, f.size);
  for (const DiskFile& f : printer().listDisk()) onDisk.emplace_back(f.name, f.size);
  std::sort(listed.begin(), listed.end());
  ASSERT_EQ(onDisk.size(), names.size());
  EXPECT_EQ(listed, onDisk);
  EXPECT_EQ(listing.totalBytes, std::optional<std::uint64_t>(1 << 20));
  EXPECT_EQ(listing.freeBytes, std::optional<std::uint64_t>(((1 << 20) - printer().diskUsed()) / 1024 * 1024));
  server_.join();
  // The page is printed as well, under the job's number.
  EXPECT_TRUE(sdkFileExists(sdkJoinPath(options_.pagesDir, "job-0001-001.png").c_str()));
}

// Only the error that ends the job is answered; one the job catches is not.
TEST_F(PrinterListenerTest, ErrorsAnswerAsAPrinterDoesAndEndTheJob) {
  const int port = serve(1);
  EXPECT_EQ(exchange(port, "%!\n{ 1 0 div } stopped pop (before) print flush qm_no_such_operator_x (after) print\n"),
            "before%%[ Error: undefined; OffendingCommand: qm_no_such_operator_x ]%%\n"
            "%%[ Flushing: rest of job (to end-of-file) will be ignored ]%%\n");
}

// Both senders connect and send before either answer is read; the second
// job runs only after the first has ended (it sees the first one's file).
TEST_F(PrinterListenerTest, ASecondConnectionWaitsForTheFirst) {
  const int port = serve(2);
  int first = connectTo(port);
  int second = connectTo(port);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  sendJob(first, "%!\n0 1 1 200000 { add } for pop (first) (w) file dup (1) writestring closefile (one) print\n");
  sendJob(second, "%!\n(first) status { pop pop pop pop (after) } { (before) } ifelse print\n");
  EXPECT_EQ(readToClose(second), "after");
  EXPECT_EQ(readToClose(first), "one");
}

#endif  // _WIN32
