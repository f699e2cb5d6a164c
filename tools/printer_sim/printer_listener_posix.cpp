#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/sdk_fs.h"
#include "tools/printer_sim/printer_listener.h"

namespace {

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Sends all of data unless the peer has gone; false once it has.
bool sendAll(int connection, std::string_view data) {
  while (!data.empty()) {
    ssize_t sent = send(connection, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

// Copies what the sender writes into the job file until it shuts its write
// side down or stays silent for idleSeconds. Bytes received.
std::uint64_t receiveJob(int connection, int jobFile, int idleSeconds, const volatile std::sig_atomic_t* stop,
                         bool& complete) {
  char buffer[65536];
  std::uint64_t total = 0;
  auto idleUntil = std::chrono::steady_clock::now() + std::chrono::seconds(idleSeconds);
  complete = false;
  while (stop == nullptr || !*stop) {
    pollfd readable{connection, POLLIN, 0};
    int ready = poll(&readable, 1, 200);
    if (ready < 0 && errno != EINTR) return total;
    if (ready <= 0) {
      if (std::chrono::steady_clock::now() >= idleUntil) return total;
      continue;
    }
    ssize_t got = recv(connection, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) {
      complete = true;
      return total;
    }
    if (got < 0) return total;  // reset by the sender
    for (ssize_t done = 0; done < got;) {
      ssize_t wrote = write(jobFile, buffer + done, static_cast<std::size_t>(got - done));
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return total;
      done += wrote;
    }
    total += static_cast<std::uint64_t>(got);
    idleUntil = std::chrono::steady_clock::now() + std::chrono::seconds(idleSeconds);
  }
  return total;
}

std::string pageStem(const std::string& base, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "-%04d", number);
  return (base.empty() ? std::string("job") : base) + digits;
}

}  // namespace

bool parseListenAddress(const std::string& text, ListenAddress& address) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size() || text.size() - colon > 6) return false;
  const std::string host = text.substr(0, colon);
  in_addr parsed{};
  if (inet_pton(AF_INET, host.c_str(), &parsed) != 1) return false;
  int port = 0;
  for (std::size_t i = colon + 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    port = port * 10 + (text[i] - '0');
  }
  if (port > 65535) return false;
  address.host = host;
  address.port = port;
  return true;
}

PrinterListener::~PrinterListener() {
  if (socket_ >= 0) close(socket_);
}

bool PrinterListener::open(const ListenAddress& address, std::string& error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(address.port));
  if (inet_pton(AF_INET, address.host.c_str(), &where.sin_addr) != 1) {
    error = "not a numeric IPv4 address: " + address.host;
    return false;
  }
  socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) {
    error = systemError("socket");
    return false;
  }
  int yes = 1;
  setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (bind(socket_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(socket_, 16) != 0) {
    error = systemError(("cannot listen on " + address.host + ":" + std::to_string(address.port)).c_str());
    close(socket_);
    socket_ = -1;
    return false;
  }
  socklen_t length = sizeof where;
  getsockname(socket_, reinterpret_cast<sockaddr*>(&where), &length);
  port_ = ntohs(where.sin_port);
  return true;
}

bool PrinterListener::serve(int maxJobs, const volatile std::sig_atomic_t* stop, std::string& error) {
  if (socket_ < 0) {
    error = "not listening";
    return false;
  }
  for (int served = 0; maxJobs <= 0 || served < maxJobs;) {
    if (stop != nullptr && *stop) return true;
    pollfd waiting{socket_, POLLIN, 0};
    int ready = poll(&waiting, 1, 200);
    if (ready < 0 && errno != EINTR) {
      error = systemError("poll");
      return false;
    }
    if (ready <= 0) continue;
    int connection = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) continue;
      error = systemError("accept");
      return false;
    }
    ++served;
    answerJob(connection, served, stop);
    close(connection);
  }
  return true;
}

void PrinterListener::answerJob(int connection, int number, const volatile std::sig_atomic_t* stop) {
  SdkString scratchText;
  if (!sdkMakeTempDir(scratchText, "qmsim_")) {
    sendAll(connection, "%%[ Error: the simulated printer cannot store a job ]%%\n");
    return;
  }
  const std::filesystem::path scratch(scratchText.str());
  const std::string jobPath = (scratch / "job.ps").string();
  bool complete = false;
  std::uint64_t received = 0;
  int jobFile = ::open(jobPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (jobFile >= 0) {
    received = receiveJob(connection, jobFile, idleSeconds, stop, complete);
    close(jobFile);
  } else {
    sendAll(connection, "%%[ Error: the simulated printer cannot store a job ]%%\n");
  }

  PrinterSimOptions jobOptions = options_;
  jobOptions.printerErrors = true;
  jobOptions.pageName = pageStem(options_.pageName, number);
  bool senderThere = true;
  std::uint64_t answered = 0;
  PrinterSimResult result;
  if (jobFile >= 0 && (stop == nullptr || !*stop)) {
    result = PrinterSimulator(jobOptions).runAnswering(
        jobPath,
        [&](std::string_view bytes) {
          answered += bytes.size();
          if (senderThere) senderThere = sendAll(connection, bytes);
        },
        stop);
  }
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
  if (!result.ran && jobFile >= 0 && senderThere && (stop == nullptr || !*stop)) {
    sendAll(connection, "%%[ Error: the simulated printer cannot run the job: " + result.errorText + " ]%%\n");
  }
  // The answer is complete: the printer ends its side, and the sender sees
  // the end of the data before the connection closes.
  shutdown(connection, SHUT_WR);
  if (!quiet) {
    std::printf("job %d: %llu bytes%s, %llu bytes answered, %zu pages%s\n", number,
                static_cast<unsigned long long>(received), complete ? "" : " (sender went silent)",
                static_cast<unsigned long long>(answered), result.pages.size(),
                result.timedOut ? ", stopped" : "");
    std::fflush(stdout);
  }
}
