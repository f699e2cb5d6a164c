// A print server that lies: an HTTP/IPP responder on loopback TCP for the
// tests, answering every IPP request with what its behaviour says (queue
// names no scheduler would give, bytes that are not IPP, a message cut
// short, lengths past the end) and every other request with 404. IPP is
// the binary framing of RFC 8010: version, status or operation code,
// request id, then attribute groups of (value tag, name length, name,
// value length, value), ended by tag 3. POSIX sockets; one thread.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class HostileIppServer {
 public:
  enum class Behaviour {
    HostileNames,   // a valid list whose names hold what a queue name cannot
    Garbage,        // 200, application/ipp, random bytes
    Truncated,      // a valid list cut in the middle, then the connection closed
    LengthsPastEnd, // an attribute whose lengths run past the message
    HostileStatus,  // an error whose status line and message carry escape sequences
  };

  // The queues of HostileNames: one good name (twice, in two letter cases)
  // among the bad ones.
  static std::vector<std::string> hostileNames() {
    return {"Good_Queue",     "GOOD_QUEUE",  "Bell\x07",     "Esc\x1b[2J\x1b]0;owned\x07", "a/b",
            "..",             ".",           "../../etc",    "at@other",                   std::string(300, 'L'),
            "tab\tname",      "nl\nname",    "del\x7f",      "utf\xc3\xa9",                "comma,name",
            std::string("nul\0tail", 8)};
  }

  explicit HostileIppServer(Behaviour behaviour) : behaviour_(behaviour) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd_, 16) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~HostileIppServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
  }
  HostileIppServer(const HostileIppServer&) = delete;
  HostileIppServer& operator=(const HostileIppServer&) = delete;

  int port() const { return port_; }
  int requests() const { return requests_.load(); }

 private:
  static void put16(std::string& out, std::size_t v) {
    out += static_cast<char>((v >> 8) & 0xff);
    out += static_cast<char>(v & 0xff);
  }
  static void attribute(std::string& out, char tag, const std::string& name, const std::string& value) {
    out += tag;
    put16(out, name.size());
    out += name;
    put16(out, value.size());
    out += value;
  }
  static std::string header(std::uint16_t status, const std::string& requestId) {
    std::string out("\x02\x00", 2);
    put16(out, status);
    out += requestId;
    out += '\x01';  // operation attributes
    attribute(out, '\x47', "attributes-charset", "utf-8");
    attribute(out, '\x48', "attributes-natural-language", "en");
    return out;
  }
  std::string printerList(const std::string& requestId) const {
    std::string out = header(0, requestId);
    for (const std::string& name : hostileNames()) {
      out += '\x04';  // printer attributes
      attribute(out, '\x42', "printer-name", name);
      attribute(out, '\x45', "device-uri", "file:///dev/null");
      attribute(out, '\x41', "printer-make-and-model", "Local Raw Printer");
    }
    out += '\x03';
    return out;
  }

  std::string response(const std::string& requestId) const {
    std::string body;
    std::string status = "200 OK";
    switch (behaviour_) {
      case Behaviour::HostileNames:
      case Behaviour::Truncated:
        body = printerList(requestId);
        break;
      case Behaviour::Garbage: {
        std::uint32_t seed = 26;
        for (int i = 0; i < 4096; ++i) body += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
        break;
      }
      case Behaviour::LengthsPastEnd:
        body = header(0, requestId);
        body += '\x04';
        body += std::string("\x42\xff\xffprinter-name", 15);
        break;
      case Behaviour::HostileStatus:
        status = "400 \x1b[2J\x1b]0;owned\x07";
        body = header(0x0400, requestId);
        attribute(body, '\x41', "status-message", "\x1b[31mred\x1b[0m\r\nforged line\x07");
        body += '\x03';
        break;
    }
    std::string out = "HTTP/1.1 " + status + "\r\nContent-Type: application/ipp\r\nContent-Length: " +
                      std::to_string(body.size()) + "\r\n\r\n";
    // Cut short: the length promises the whole body, half of it comes.
    return out + (behaviour_ == Behaviour::Truncated ? body.substr(0, body.size() / 2) : body);
  }

  // Reads more of the peer's bytes within the wait; false at its end.
  bool readMore(int peer, std::string& in) {
    for (int waited = 0; waited < 5000 && !stop_; waited += 50) {
      pollfd p{peer, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buffer[8192];
      const ssize_t got = recv(peer, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      in.append(buffer, static_cast<std::size_t>(got));
      return true;
    }
    return false;
  }

  void sendAll(int peer, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = send(peer, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  // Requests on one connection until the peer closes it (or a cut-short
  // answer closes it here).
  void converse(int peer) {
    std::string in;
    for (;;) {
      std::size_t end;
      while ((end = in.find("\r\n\r\n")) == std::string::npos)
        if (!readMore(peer, in)) return;
      const std::string head = in.substr(0, end + 4);
      in.erase(0, end + 4);
      const std::size_t cl = head.find("Content-Length: ");
      const bool chunked = head.find("chunked") != std::string::npos;
      if (head.find("100-continue") != std::string::npos) sendAll(peer, "HTTP/1.1 100 Continue\r\n\r\n");
      std::string body;
      if (chunked) {
        // Chunk sizes and data until the zero chunk.
        for (;;) {
          std::size_t line;
          while ((line = in.find("\r\n")) == std::string::npos)
            if (!readMore(peer, in)) return;
          const std::size_t size = std::strtoul(in.c_str(), nullptr, 16);
          while (in.size() < line + 2 + size + 2)
            if (!readMore(peer, in)) return;
          body += in.substr(line + 2, size);
          in.erase(0, line + 2 + size + 2);
          if (size == 0) break;
        }
      } else if (cl != std::string::npos) {
        const std::size_t size = std::strtoul(head.c_str() + cl + 16, nullptr, 10);
        while (in.size() < size)
          if (!readMore(peer, in)) return;
        body = in.substr(0, size);
        in.erase(0, size);
      }
      ++requests_;
      if (!head.starts_with("POST") || body.size() < 8) {
        sendAll(peer, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        continue;
      }
      sendAll(peer, response(body.substr(4, 4)));
      if (behaviour_ == Behaviour::Truncated) return;
    }
  }

  void serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int peer = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (peer < 0) continue;
      converse(peer);
      close(peer);
    }
  }

  Behaviour behaviour_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};
