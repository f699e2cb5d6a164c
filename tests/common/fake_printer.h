// A printer's raw port inside the test program: a listener on the loopback
// address (a free port the system picks) whose one thread serves each
// connection with the test's behaviour, one connection at a time. Ends
// when the object goes: behaviours that wait should ask stopping().
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace qmtest {

#ifdef _WIN32
using SocketFd = SOCKET;
inline void closeSocket(SocketFd s) { ::closesocket(s); }
inline constexpr int kNoSignal = 0;
#else
using SocketFd = int;
inline void closeSocket(SocketFd s) { ::close(s); }
inline constexpr int kNoSignal = MSG_NOSIGNAL;
#endif

// True when the socket has something to read (or a connection to take)
// within the time.
inline bool readable(SocketFd s, int milliseconds) {
#ifdef _WIN32
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return ::select(0, &set, nullptr, nullptr, &tv) > 0;
#else
  pollfd p{s, POLLIN, 0};
  return ::poll(&p, 1, milliseconds) > 0;
#endif
}

class FakeConnection {
 public:
  FakeConnection(SocketFd s, const std::atomic<bool>& stop) : s_(s), stop_(stop) {}
  bool stopping() const { return stop_; }
  // Reads up to limit bytes or until the sender's end; returns how many.
  std::uint64_t read(std::uint64_t limit = UINT64_MAX) {
    char buffer[65536];
    std::uint64_t total = 0;
    while (total < limit && !stopping()) {
      if (!readable(s_, 50)) continue;
      const std::uint64_t want = std::min<std::uint64_t>(sizeof buffer, limit - total);
      const int n = static_cast<int>(::recv(s_, buffer, static_cast<int>(want), 0));
      if (n <= 0) break;
      total += static_cast<std::uint64_t>(n);
      if (received.size() < kKeptBytes)
        received.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), kKeptBytes - received.size()));
    }
    return total;
  }
  // False when the other side has gone.
  bool send(std::string_view bytes) {
    while (!bytes.empty()) {
      const int n = static_cast<int>(::send(s_, bytes.data(), static_cast<int>(bytes.size()), kNoSignal));
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  void waitForStop() const {
    while (!stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  static constexpr std::size_t kKeptBytes = 4096;
  std::string received;  // the first bytes read

 private:
  SocketFd s_;
  const std::atomic<bool>& stop_;
};

class FakePrinter {
 public:
  using Behaviour = std::function<void(FakeConnection&)>;

  explicit FakePrinter(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
#ifdef _WIN32
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t size = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~FakePrinter() {
    stop_ = true;
    thread_.join();
    closeSocket(listener_);
  }
  FakePrinter(const FakePrinter&) = delete;
  FakePrinter& operator=(const FakePrinter&) = delete;

  std::uint16_t port() const { return port_; }
  std::string uri() const { return "socket://127.0.0.1:" + std::to_string(port_); }
  int connections() const { return connections_; }

 private:
  void serve() {
    while (!stop_) {
      if (!readable(listener_, 50)) continue;
      const SocketFd s = ::accept(listener_, nullptr, nullptr);
      ++connections_;
      FakeConnection connection(s, stop_);
      behaviour_(connection);
      closeSocket(s);
    }
  }

  Behaviour behaviour_;
  SocketFd listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

}  // namespace qmtest
