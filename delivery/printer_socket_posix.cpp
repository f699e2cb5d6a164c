#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "delivery/printer_socket.h"

namespace {

using Clock = std::chrono::steady_clock;

int fdOf(std::intptr_t handle) { return static_cast<int>(handle); }

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
  if (code == EPIPE || code == ECONNRESET || code == ECONNABORTED)
    return failure(SocketStatus::Broken, "the printer " + peer + " broke the connection " + what);
  return failure(SocketStatus::Failed,
                 "the connection to the printer " + peer + " failed " + what + ": " + std::strerror(code));
}

// Waits until the socket is ready for events, in slices, asking stop in
// between. Ok, TimedOut or Cancelled; revents says what was ready.
SocketStatus waitFor(int fd, short events, std::chrono::milliseconds limit, const StopCheck& stop, short& revents) {
  const Clock::time_point deadline = Clock::now() + limit;
  for (;;) {
    if (stop && stop()) return SocketStatus::Cancelled;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return SocketStatus::TimedOut;
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(std::min(left, kSocketPollSlice).count()) + 1);
    if (n < 0 && errno != EINTR) return SocketStatus::Failed;
    if (n > 0) {
      revents = p.revents;
      return SocketStatus::Ok;
    }
  }
}

}  // namespace

PrinterSocket::~PrinterSocket() { close(); }

void PrinterSocket::close() {
  if (handle_ != kNoHandle) ::close(fdOf(handle_));
  handle_ = kNoHandle;
}

SocketResult PrinterSocket::connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit,
                                    const StopCheck& stop) {
  close();
  peerDone_ = false;
  peer_ = hostPort(host, port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (lookup != 0 || found == nullptr)
    return failure(SocketStatus::UnknownHost, "the printer host of " + peer_ + " is unknown (" +
                                                  (lookup != 0 ? gai_strerror(lookup) : "no address") + ")");
  SocketResult last = failure(SocketStatus::Refused, "the printer " + peer_ + " refused the connection");
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    int code = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
    if (code == EINPROGRESS) {
      short revents = 0;
      const SocketStatus waited = waitFor(fd, POLLOUT, limit, stop, revents);
      if (waited != SocketStatus::Ok) {
        ::close(fd);
        if (waited == SocketStatus::Cancelled) {
          ::freeaddrinfo(found);
          return failure(SocketStatus::Cancelled, "the connection to the printer " + peer_ + " was cancelled");
        }
        last = failure(SocketStatus::TimedOut,
                       "the printer " + peer_ + " did not take the connection within " + describeLimit(limit));
        continue;
      }
      socklen_t size = sizeof code;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &size) != 0) code = errno;
    }
    if (code == 0) {
      handle_ = fd;
      ::freeaddrinfo(found);
      return {};
    }
    ::close(fd);
    if (code == ECONNREFUSED)
      last = failure(SocketStatus::Refused, "the printer " + peer_ + " refused the connection");
    else
      last = failure(SocketStatus::Failed, "cannot connect to the printer " + peer_ + ": " + std::strerror(code));
  }
  ::freeaddrinfo(found);
  return last;
}

SocketResult PrinterSocket::writeAll(const char* data, std::size_t size, std::chrono::milliseconds limit,
                                     const StopCheck& stop, const IncomingBytes& incoming) {
  SocketResult r;
  const int fd = fdOf(handle_);
  Clock::time_point lastTaken = Clock::now();  // the limit runs from the last bytes the printer took
  while (r.bytes < size) {
    const bool listen = incoming && !peerDone_;
    const auto left = limit - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastTaken);
    short revents = 0;
    const SocketStatus waited =
        left.count() <= 0 ? SocketStatus::TimedOut
                          : waitFor(fd, static_cast<short>(POLLOUT | (listen ? POLLIN : 0)), left, stop, revents);
    if (waited == SocketStatus::Cancelled) return failure(waited, "sending to the printer " + peer_ + " was cancelled");
    if (waited == SocketStatus::TimedOut)
      return failure(waited, "the printer " + peer_ + " took no data for " + describeLimit(limit));
    if (waited != SocketStatus::Ok) return systemFailure(peer_, "while sending", errno);
    if (listen && (revents & POLLIN) != 0) {
      char answer[16384];
      const ssize_t got = ::recv(fd, answer, sizeof answer, 0);
      if (got > 0) incoming(answer, static_cast<std::size_t>(got));
      if (got == 0) peerDone_ = true;
    }
    if ((revents & (POLLOUT | POLLERR | POLLHUP)) == 0) continue;
    int flags = 0;
#ifdef MSG_NOSIGNAL
    flags = MSG_NOSIGNAL;
#endif
    const ssize_t n = ::send(fd, data + r.bytes, size - r.bytes, flags);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      SocketResult broken = systemFailure(peer_, "while sending", errno);
      broken.bytes = r.bytes;
      return broken;
    }
    r.bytes += static_cast<std::size_t>(n);
    lastTaken = Clock::now();
  }
  return r;
}

SocketResult PrinterSocket::shutdownWrite() {
  if (::shutdown(fdOf(handle_), SHUT_WR) != 0) return systemFailure(peer_, "at the end of the job", errno);
  return {};
}

SocketResult PrinterSocket::readSome(char* buffer, std::size_t size, std::chrono::milliseconds limit,
                                     const StopCheck& stop) {
  const int fd = fdOf(handle_);
  if (peerDone_) return SocketResult{SocketStatus::Closed, 0, {}};
  for (;;) {
    short revents = 0;
    const SocketStatus waited = waitFor(fd, POLLIN, limit, stop, revents);
    if (waited == SocketStatus::Cancelled)
      return failure(waited, "reading from the printer " + peer_ + " was cancelled");
    if (waited == SocketStatus::TimedOut)
      return failure(waited, "the printer " + peer_ + " said nothing for " + describeLimit(limit));
    if (waited != SocketStatus::Ok) return systemFailure(peer_, "while reading its answer", errno);
    const ssize_t n = ::recv(fd, buffer, size, 0);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return systemFailure(peer_, "while reading its answer", errno);
    }
    SocketResult r;
    r.bytes = static_cast<std::size_t>(n);
    if (n == 0) r.status = SocketStatus::Closed;
    return r;
  }
}
