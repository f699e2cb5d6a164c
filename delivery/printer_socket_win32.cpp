// Keeps windows.h from defining min and max over std::min.
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <mutex>

#include "delivery/printer_socket.h"

namespace {

using Clock = std::chrono::steady_clock;

SOCKET socketOf(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

// Winsock is started once and left running until the process ends.
bool startWinsock() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

std::string hostPort(const std::string& host, std::uint16_t port) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

SocketResult failure(SocketStatus status, std::string error) {
  SocketResult r;
  r.status = status;
  r.error = std::move(error);
  return r;
}

SocketResult systemFailure(const std::string& peer, const std::string& what, int code) {
  if (code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAESHUTDOWN)
    return failure(SocketStatus::Broken, "the printer " + peer + " broke the connection " + what);
  return failure(SocketStatus::Failed, "the connection to the printer " + peer + " failed " + what +
                                           " (Winsock error " + std::to_string(code) + ")");
}

enum class Wait { Read, Write, ReadWrite, Connect };

// Waits with select, in slices, asking stop in between. For Connect a
// failed connection counts as ready (its error is then read with SO_ERROR).
// canRead and canWrite, when given, say which side is ready.
SocketStatus waitFor(SOCKET s, Wait what, std::chrono::milliseconds limit, const StopCheck& stop,
                     bool* canRead = nullptr, bool* canWrite = nullptr) {
  const Clock::time_point deadline = Clock::now() + limit;
  for (;;) {
    if (stop && stop()) return SocketStatus::Cancelled;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return SocketStatus::TimedOut;
    const long slice = static_cast<long>(std::min(left, kSocketPollSlice).count()) + 1;
    timeval tv{slice / 1000, (slice % 1000) * 1000};
    fd_set readSet, writeSet, errorSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&errorSet);
    if (what == Wait::Read || what == Wait::ReadWrite) FD_SET(s, &readSet);
    if (what != Wait::Read) FD_SET(s, &writeSet);
    if (what == Wait::Connect) FD_SET(s, &errorSet);
    const int n = ::select(0, &readSet, &writeSet, &errorSet, &tv);
    if (n == SOCKET_ERROR) return SocketStatus::Failed;
    if (n > 0) {
      if (canRead) *canRead = FD_ISSET(s, &readSet) != 0;
      if (canWrite) *canWrite = FD_ISSET(s, &writeSet) != 0;
      return SocketStatus::Ok;
    }
  }
}

}  // namespace

PrinterSocket::~PrinterSocket() { close(); }

void PrinterSocket::close() {
  if (handle_ != kNoHandle) ::closesocket(socketOf(handle_));
  handle_ = kNoHandle;
}

SocketResult PrinterSocket::connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit,
                                    const StopCheck& stop) {
  close();
  peerDone_ = false;
  peer_ = hostPort(host, port);
  if (!startWinsock()) return failure(SocketStatus::Failed, "the network is not available (Winsock did not start)");
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (lookup != 0 || found == nullptr)
    return failure(SocketStatus::UnknownHost, "the printer host of " + peer_ + " is unknown");
  SocketResult last = failure(SocketStatus::Refused, "the printer " + peer_ + " refused the connection");
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    int code = ::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0 ? 0 : ::WSAGetLastError();
    if (code == WSAEWOULDBLOCK) {
      const SocketStatus waited = waitFor(s, Wait::Connect, limit, stop);
      if (waited != SocketStatus::Ok) {
        ::closesocket(s);
        if (waited == SocketStatus::Cancelled) {
          ::freeaddrinfo(found);
          return failure(SocketStatus::Cancelled, "the connection to the printer " + peer_ + " was cancelled");
        }
        last = failure(SocketStatus::TimedOut,
                       "the printer " + peer_ + " did not take the connection within " + describeLimit(limit));
        continue;
      }
      int size = sizeof code;
      if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &size) != 0) code = ::WSAGetLastError();
    }
    if (code == 0) {
      handle_ = static_cast<std::intptr_t>(s);
      ::freeaddrinfo(found);
      return {};
    }
    ::closesocket(s);
    if (code == WSAECONNREFUSED)
      last = failure(SocketStatus::Refused, "the printer " + peer_ + " refused the connection");
    else
      last = failure(SocketStatus::Failed,
                     "cannot connect to the printer " + peer_ + " (Winsock error " + std::to_string(code) + ")");
  }
  ::freeaddrinfo(found);
  return last;
}

SocketResult PrinterSocket::writeAll(const char* data, std::size_t size, std::chrono::milliseconds limit,
                                     const StopCheck& stop, const IncomingBytes& incoming) {
  SocketResult r;
  const SOCKET s = socketOf(handle_);
  Clock::time_point lastTaken = Clock::now();  // the limit runs from the last bytes the printer took
  while (r.bytes < size) {
    const bool listen = incoming && !peerDone_;
    const auto left = limit - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastTaken);
    bool canRead = false;
    bool canWrite = false;
    const SocketStatus waited =
        left.count() <= 0 ? SocketStatus::TimedOut
                          : waitFor(s, listen ? Wait::ReadWrite : Wait::Write, left, stop, &canRead, &canWrite);
    if (waited == SocketStatus::Cancelled) return failure(waited, "sending to the printer " + peer_ + " was cancelled");
    if (waited == SocketStatus::TimedOut)
      return failure(waited, "the printer " + peer_ + " took no data for " + describeLimit(limit));
    if (waited != SocketStatus::Ok) return systemFailure(peer_, "while sending", ::WSAGetLastError());
    if (listen && canRead) {
      char answer[16384];
      const int got = ::recv(s, answer, sizeof answer, 0);
      if (got > 0) incoming(answer, static_cast<std::size_t>(got));
      if (got == 0) peerDone_ = true;
    }
    if (!canWrite) continue;
    const int piece = static_cast<int>(std::min<std::size_t>(size - r.bytes, 1 << 20));
    const int n = ::send(s, data + r.bytes, piece, 0);
    if (n == SOCKET_ERROR) {
      const int code = ::WSAGetLastError();
      if (code == WSAEWOULDBLOCK || code == WSAEINTR) continue;
      SocketResult broken = systemFailure(peer_, "while sending", code);
      broken.bytes = r.bytes;
      return broken;
    }
    r.bytes += static_cast<std::size_t>(n);
    lastTaken = Clock::now();
  }
  return r;
}

SocketResult PrinterSocket::shutdownWrite() {
  if (::shutdown(socketOf(handle_), SD_SEND) != 0)
    return systemFailure(peer_, "at the end of the job", ::WSAGetLastError());
  return {};
}

SocketResult PrinterSocket::readSome(char* buffer, std::size_t size, std::chrono::milliseconds limit,
                                     const StopCheck& stop) {
  const SOCKET s = socketOf(handle_);
  if (peerDone_) return SocketResult{SocketStatus::Closed, 0, {}};
  for (;;) {
    const SocketStatus waited = waitFor(s, Wait::Read, limit, stop);
    if (waited == SocketStatus::Cancelled)
      return failure(waited, "reading from the printer " + peer_ + " was cancelled");
    if (waited == SocketStatus::TimedOut)
      return failure(waited, "the printer " + peer_ + " said nothing for " + describeLimit(limit));
    if (waited != SocketStatus::Ok) return systemFailure(peer_, "while reading its answer", ::WSAGetLastError());
    const int piece = static_cast<int>(std::min<std::size_t>(size, 1 << 20));
    const int n = ::recv(s, buffer, piece, 0);
    if (n == SOCKET_ERROR) {
      const int code = ::WSAGetLastError();
      if (code == WSAEWOULDBLOCK || code == WSAEINTR) continue;
      return systemFailure(peer_, "while reading its answer", code);
    }
    SocketResult r;
    r.bytes = static_cast<std::size_t>(n);
    if (n == 0) r.status = SocketStatus::Closed;
    return r;
  }
}
