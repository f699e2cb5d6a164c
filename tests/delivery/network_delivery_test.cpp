// Delivery to printers beyond the local scheduler: queues of two private
// schedulers reached over loopback TCP as print servers, and an IPP
// printer without any scheduler.
#include <gtest/gtest.h>

#ifdef _WIN32

TEST(NetworkDelivery, NeedsCups) {
  GTEST_SKIP() << "needs private CUPS schedulers; on Windows shared printers are printer names of the spooler";
}

#else

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "delivery/network_spooler.h"
#include "delivery/send_job.h"
#include "tests/delivery/hostile_ipp_server.h"
#include "delivery/spooler_jobs.h"
#include "tests/delivery/test_env.h"
#include "tools/cups/private_cups.h"

namespace {

namespace fs = std::filesystem;

std::string jobBytes(std::size_t size) {
  std::mt19937 generator(26);
  std::string data = "%!PS\n";
  while (data.size() < size) data += static_cast<char>(generator() & 0xff);
  return data;
}

std::string loopback(int port) { return "127.0.0.1:" + std::to_string(port); }

// A file of the folder holding exactly the bytes, once one arrives.
bool arrives(const std::string& folder, const std::string& bytes, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec))
      if (entry.is_regular_file() && entry.file_size() == bytes.size() && readFile(entry.path().string()) == bytes)
        return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// A TCP port that takes connections and never says a word: the kernel
// completes each connection on the listening socket, nobody reads it.
class SilentListener {
 public:
  SilentListener() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(fd_, 16) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
  }
  ~SilentListener() {
    if (fd_ >= 0) close(fd_);
  }
  int port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

// Two schedulers that listen on loopback TCP, each with a capture queue,
// and an IPP printer that takes PostScript and one that does not; the
// first scheduler is also the local one.
class NetworkDeliveryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!sdkFileExists("/usr/sbin/cupsd")) return;
    std::string error;
    for (auto* cups : {&first_, &second_}) {
      *cups = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, "", error, true);
      if (!*cups) {
        setupError_ = error;
        return;
      }
    }
    first_->useForClients();
    if (!first_->addCapture("Capture_A", jobsA_) || !second_->addCapture("Capture_B", jobsB_)) {
      setupError_ = first_->lastError() + second_->lastError();
      return;
    }
    evePort_ = freeLoopbackPort();
    pdfPort_ = freeLoopbackPort();
    if (evePort_ == pdfPort_) ++pdfPort_;
    if (!first_->addDriverless("Eve_PS", evePort_, "application/postscript,application/pdf", eveSpool_) ||
        !first_->addDriverless("Eve_PDF", pdfPort_, "application/pdf,image/pwg-raster", pdfSpool_))
      eveError_ = first_->lastError();
  }
  static void TearDownTestSuite() {
    second_.reset();
    first_.reset();
  }
  void SetUp() override {
    if (!sdkFileExists("/usr/sbin/cupsd")) GTEST_SKIP() << "CUPS is not installed";
    ASSERT_TRUE(first_ && second_ && setupError_.empty()) << setupError_;
  }

  static std::string queueA() { return "Capture_A@" + loopback(first_->tcpPort()); }
  static std::string queueB() { return "Capture_B@" + loopback(second_->tcpPort()); }
  static std::string ippPrinter(int port) { return "ipp://" + loopback(port) + "/ipp/print"; }

  static inline std::unique_ptr<PrivateCups> first_, second_;
  static inline std::string jobsA_, jobsB_, eveSpool_, pdfSpool_, setupError_, eveError_;
  static inline int evePort_ = 0, pdfPort_ = 0;
  ScratchDir scratch_;
};

TEST_F(NetworkDeliveryTest, GroupReachesQueuesOfTwoServersAndAnIppPrinterByteForByte) {
  if (!eveError_.empty()) GTEST_SKIP() << "no IPP printer: " << eveError_;
  const std::string bytes = jobBytes(200000);
  const std::string job = scratch_.write("fleet.ps", bytes);
  const std::vector<std::string> members{queueA(), queueB(), ippPrinter(evePort_)};
  SendOutcome outcome =
      SendJob(systemSpooler(), [&](const std::string&) { return members; }, "fleet", job, kGroupMarker + std::string("G"));
  ASSERT_TRUE(outcome.succeeded()) << outcome.message << (outcome.failureReasons.empty() ? "" : ": " + outcome.failureReasons[0]);
  ASSERT_EQ(outcome.sent.size(), 3u);
  for (const auto& sent : outcome.sent) EXPECT_GT(sent.jobId, 0) << sent.printer;

  EXPECT_TRUE(arrives(jobsA_, bytes, 20000));
  EXPECT_TRUE(arrives(jobsB_, bytes, 20000));
  EXPECT_TRUE(arrives(eveSpool_, bytes, 20000));
  // Each job is followed on the server or printer that has it.
  for (const auto& sent : outcome.sent) EXPECT_NE(QueryJob(sent.printer, sent.jobId).state, JobState::Unknown) << sent.printer;
}

TEST_F(NetworkDeliveryTest, IppPrinterWithoutPostScriptIsRefusedSayingWhatItTakes) {
  if (!eveError_.empty()) GTEST_SKIP() << "no IPP printer: " << eveError_;
  const std::string job = scratch_.write("refused.ps", jobBytes(1000));
  Submission s = SubmitFileToPrinter("refused", job, ippPrinter(pdfPort_));
  EXPECT_FALSE(s.ok);
  EXPECT_NE(s.error.find("does not take PostScript"), std::string::npos) << s.error;
  EXPECT_NE(s.error.find("application/pdf"), std::string::npos) << s.error;
  EXPECT_FALSE(arrives(pdfSpool_, jobBytes(1000), 300));
}

TEST_F(NetworkDeliveryTest, ServersThatDoNotAnswerAreNamedOnceWhileTheOthersComeUpInTime) {
  SilentListener silent;
  ASSERT_GT(silent.port(), 0);
  const int closed = freeLoopbackPort();
  std::vector<ServerAddress> servers;
  for (const std::string& name : {loopback(silent.port()), loopback(closed), loopback(second_->tcpPort())})
    servers.push_back(*CheckServerName(name).address);

  const auto started = std::chrono::steady_clock::now();
  ServerPrinters listing = EnumerateServerPrinters(servers, 1000);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::milliseconds(1800));

  EXPECT_EQ(listing.printers, std::vector<std::string>{queueB()});
  ASSERT_EQ(listing.unreachable.size(), 2u);
  EXPECT_EQ(listing.unreachable[0].server, loopback(silent.port()));
  EXPECT_NE(listing.unreachable[0].reason.find("no answer"), std::string::npos) << listing.unreachable[0].reason;
  EXPECT_EQ(listing.unreachable[1].server, loopback(closed));
  EXPECT_NE(listing.unreachable[1].reason.find("cannot connect"), std::string::npos) << listing.unreachable[1].reason;
  // The local list is the local scheduler's alone.
  for (const std::string& local : EnumeratePrinters()) EXPECT_FALSE(isNetworkDestination(local)) << local;
}

TEST_F(NetworkDeliveryTest, AServerThatGoesAwayHalfWayFailsItsMembersAndTheOthersStillGetTheJob) {
  std::string error, jobsDoomed;
  std::unique_ptr<PrivateCups> doomed = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, "", error, true);
  ASSERT_TRUE(doomed) << error;
  std::vector<std::string> members{queueA()};
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(doomed->addCapture("Doomed_" + std::to_string(i), jobsDoomed)) << doomed->lastError();
    members.push_back("Doomed_" + std::to_string(i) + "@" + loopback(doomed->tcpPort()));
  }
  members.push_back(queueB());
  const std::string bytes = jobBytes(8 << 20);
  const std::string job = scratch_.write("half-way.ps", bytes);
  // The server stops while the first of its queues is being sent to.
  const SendWatch watch = [&](const SendProgress& p) {
    if (doomed && p.printer.starts_with("Doomed_") && p.bytes > 0) doomed.reset();
    return true;
  };
  SendOutcome outcome = SendJob(
      systemSpooler(), [&](const std::string&) { return members; }, "fleet", job, kGroupMarker + std::string("G"),
      watch, 1);
  std::vector<std::string> sent;
  for (const auto& s : outcome.sent) sent.push_back(s.printer);
  EXPECT_EQ(sent, (std::vector<std::string>{queueA(), queueB()}));
  ASSERT_EQ(outcome.failedPrinters.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_NE(outcome.failureReasons[i], "") << outcome.failedPrinters[i];
  EXPECT_FALSE(outcome.succeeded());
  EXPECT_TRUE(arrives(jobsB_, bytes, 20000));
}

TEST_F(NetworkDeliveryTest, HostileServersOfferNoUnsafeNameCrashNothingAndLeaveTheOthersQueues) {
  using B = HostileIppServer::Behaviour;
  std::vector<std::unique_ptr<HostileIppServer>> hostile;
  std::vector<ServerAddress> servers;
  for (B b : {B::HostileNames, B::Garbage, B::Truncated, B::LengthsPastEnd, B::HostileStatus}) {
    hostile.push_back(std::make_unique<HostileIppServer>(b));
    ASSERT_GT(hostile.back()->port(), 0);
    servers.push_back(*CheckServerName(loopback(hostile.back()->port())).address);
  }
  servers.push_back(*CheckServerName(loopback(second_->tcpPort())).address);

  ServerPrinters listing = EnumerateServerPrinters(servers, 2000);
  for (const auto& server : hostile) EXPECT_GT(server->requests(), 0) << server->port();
  // The one good name comes back once (the server gave it in two letter
  // cases), and the part of "nul\0tail" before the zero byte, where IPP
  // strings end when read: a plain name. The other server's queue as always.
  const std::string liar = loopback(hostile[0]->port());
  EXPECT_EQ(listing.printers, (std::vector<std::string>{"Good_Queue@" + liar, "nul@" + liar, queueB()}));
  // The servers that answered nonsense are named, with a reason that is
  // printable and short.
  std::vector<std::string> named;
  for (const UnreachableServer& u : listing.unreachable) {
    named.push_back(u.server);
    EXPECT_FALSE(u.reason.empty()) << u.server;
    EXPECT_LE(u.reason.size(), 250u) << u.server;
    for (char c : u.reason) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << u.server << ": " << u.reason;
  }
  EXPECT_EQ(named, (std::vector<std::string>{loopback(hostile[1]->port()), loopback(hostile[2]->port()),
                                             loopback(hostile[3]->port()), loopback(hostile[4]->port())}));
}

TEST_F(NetworkDeliveryTest, OnePrinterUnderTwoNamesGetsTheJobOnceAndTwoServersQueuesBothGetIt) {
  const std::string bytes = jobBytes(30000);
  const std::string job = scratch_.write("aliases.ps", bytes);
  const std::string port = std::to_string(first_->tcpPort());
  const std::vector<std::string> members{queueA(), "ipp://127.0.0.1:" + port + "/printers/Capture_A", queueB(),
                                         "CAPTURE_A@127.0.0.1:" + port};
  SendOutcome outcome =
      SendJob(systemSpooler(), [&](const std::string&) { return members; }, "aliases", job, kGroupMarker + std::string("G"),
              SendWatch(), 4);
  ASSERT_TRUE(outcome.succeeded()) << outcome.message;
  std::vector<std::string> sent;
  for (const auto& s : outcome.sent) sent.push_back(s.printer);
  EXPECT_EQ(sent, (std::vector<std::string>{queueA(), queueB()}));
  ASSERT_TRUE(arrives(jobsA_, bytes, 20000));
  ASSERT_TRUE(arrives(jobsB_, bytes, 20000));
  // A second copy would have come by now.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int copies = 0;
  for (const auto& entry : fs::recursive_directory_iterator(jobsA_))
    copies += entry.is_regular_file() && readFile(entry.path().string()) == bytes;
  EXPECT_EQ(copies, 1);
}

}  // namespace

#endif
