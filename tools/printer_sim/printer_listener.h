// The simulated printer on the network: AppSocket (raw TCP, port 9100 on a
// real printer), one job at a time.
//
// A sender connects, writes its job and shuts its write side down; the
// printer reads the job into a private scratch file (never the whole job in
// memory), runs it on the simulator against its disk, sends back what
// Ghostscript writes while the job runs (errors in the printer's
// "%%[ Error: ... ]%%" form) and closes the connection. Connections that
// arrive meanwhile wait in the listen backlog until that job has ended, as
// on a printer. A sender that stays silent for the idle time ends its job
// there: what arrived is run. Each job's pages are named "<stem>-NNNN"
// (stem: the options' page name, else "job"), numbered from 1.
//
// POSIX only: on Windows open() fails with a message saying so. Nothing
// raises; failures are values with a message.
#pragma once

#include <csignal>
#include <string>
#include <utility>

#include "tools/printer_sim/printer_simulator.h"

struct ListenAddress {
  std::string host = "127.0.0.1";  // a numeric IPv4 address
  int port = 9100;                 // 0: any free port (port() tells which)
};

// "HOST:PORT" with a numeric IPv4 host and a port 0..65535.
bool parseListenAddress(const std::string& text, ListenAddress& address);

class PrinterListener {
 public:
  explicit PrinterListener(PrinterSimOptions options) : options_(std::move(options)) {}
  ~PrinterListener();
  PrinterListener(const PrinterListener&) = delete;
  PrinterListener& operator=(const PrinterListener&) = delete;

  // Starts listening; false with error set when the address cannot be used.
  bool open(const ListenAddress& address, std::string& error);
  // The port listened on (the one chosen for port 0).
  int port() const { return port_; }

  // Serves jobs until maxJobs have been answered (0: no limit) or the stop
  // flag is set (a running job is then killed); false when accepting fails.
  bool serve(int maxJobs, const volatile std::sig_atomic_t* stop, std::string& error);

  int idleSeconds = 60;  // a silent sender's job ends after this long
  bool quiet = false;    // no line per job on standard output

 private:
  void answerJob(int connection, int number, const volatile std::sig_atomic_t* stop);

  PrinterSimOptions options_;
  int socket_ = -1;
  int port_ = 0;
};
