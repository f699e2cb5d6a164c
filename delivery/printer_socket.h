// A TCP connection to a printer's raw port, as the direct sender uses it.
//
// Every call waits at most its time limit, in slices of at most
// kSocketPollSlice, and asks the stop check between slices, so that a
// cancel is honoured within that slice. The limits are idle limits: a
// transfer that moves bytes never times out, one that moves none for the
// limit does. Names are looked up with getaddrinfo (every address is tried
// in turn). Failures are values: a SocketResult whose error is one line
// naming the printer as "HOST:PORT", meant for the operator. No signal is
// raised for a connection the printer has closed. One implementation file
// per platform: printer_socket_posix.cpp (BSD sockets) and
// printer_socket_win32.cpp (Winsock 2, started once per process).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

inline constexpr std::chrono::milliseconds kSocketPollSlice{100};

enum class SocketStatus {
  Ok,
  Closed,       // read: the printer closed its side (end of its answer)
  TimedOut,     // nothing moved within the limit
  Cancelled,    // the stop check asked to stop
  UnknownHost,  // the name has no address
  Refused,      // nothing listens at the port
  Broken,       // the printer reset or dropped the connection
  Failed,       // any other fault of the system
};

struct SocketResult {
  SocketStatus status = SocketStatus::Ok;
  std::size_t bytes = 0;  // bytes moved by the call
  std::string error;      // the operator's line; empty for Ok and Closed
  bool ok() const { return status == SocketStatus::Ok; }
};

// True when the caller wants the work stopped.
using StopCheck = std::function<bool()>;
// Takes bytes the printer sent while the job was still being written.
using IncomingBytes = std::function<void(const char* data, std::size_t size)>;

// "12 s", "0.3 s": a limit as the messages name it.
std::string describeLimit(std::chrono::milliseconds limit);

class PrinterSocket {
 public:
  PrinterSocket() = default;
  ~PrinterSocket();
  PrinterSocket(const PrinterSocket&) = delete;
  PrinterSocket& operator=(const PrinterSocket&) = delete;

  // Looks the host up and connects, waiting at most limit for each address.
  SocketResult connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit,
                       const StopCheck& stop);
  // Sends every byte; TimedOut when the printer takes none for limit. What
  // the printer says meanwhile goes to incoming (when set), so that a
  // printer that answers as it reads never waits on a full connection.
  SocketResult writeAll(const char* data, std::size_t size, std::chrono::milliseconds limit, const StopCheck& stop,
                        const IncomingBytes& incoming = {});
  // Tells the printer the job has ended; it may still answer.
  SocketResult shutdownWrite();
  // Reads what has arrived, up to size bytes, waiting at most limit for the
  // first; Closed (bytes 0) when the printer has closed its side.
  SocketResult readSome(char* buffer, std::size_t size, std::chrono::milliseconds limit, const StopCheck& stop);
  // Drops the connection at once (also done by the destructor).
  void close();

  bool connected() const { return handle_ != kNoHandle; }
  // "HOST:PORT" (an IPv6 address in brackets), as the messages name it.
  const std::string& peerName() const { return peer_; }

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;
  std::string peer_;
  bool peerDone_ = false;  // the printer has closed its side
};
