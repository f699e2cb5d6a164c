// A private CUPS scheduler for tests, benchmarks and demos, driven through
// qm-private-cups.sh.
//
// start() makes a new folder under /tmp, starts a scheduler there that
// listens only on a unix socket inside it, and returns an object that
// stops the scheduler (by its process id) and removes the folder when
// destroyed. Queues are added with the add* calls; useForClients() points
// this process (libcups, and child processes such as lp) at the scheduler.
// Nothing system-wide is read or changed. Errors are returned as text.
#pragma once

#include <memory>
#include <string>
#include <vector>

class PrivateCups {
 public:
  // script: path of qm-private-cups.sh. simulator: the printer simulator
  // program for simulated Tessel printers; empty for none.
  // listenOnTcp: the scheduler also listens on 127.0.0.1 at a free port
  // (tcpPort()), so that it can be reached as a print server.
  static std::unique_ptr<PrivateCups> start(const std::string& script, const std::string& simulator,
                                            std::string& error, bool listenOnTcp = false);
  ~PrivateCups();
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;

  const std::string& folder() const { return folder_; }
  std::string socketPath() const { return folder_ + "/cupsd.sock"; }
  // The loopback TCP port it listens on; 0 when it listens on its socket only.
  int tcpPort() const { return tcpPort_; }

  // A raw queue that copies each job to <folder>/printers/NAME/jobs/job-<id>.bin.
  bool addCapture(const std::string& name, std::string& jobsFolder);
  // A simulated Tessel printer with its disk and pages folders under
  // <folder>/printers/NAME.
  bool addSimulated(const std::string& name, std::string& diskFolder, std::string& pagesFolder,
                    const std::string& format = "png");
  // A queue with a CUPS driver (e.g. "drv:///sample.drv/laserjet.ppd").
  bool addDriver(const std::string& name, const std::string& model);
  // A driverless (IPP Everywhere) queue for an ippeveprinter on
  // localhost:port that takes the formats (comma separated MIME types);
  // the printer keeps the documents it gets in spoolFolder. Needs D-Bus and
  // Avahi (started when they do not run, as root).
  bool addDriverless(const std::string& name, int port, const std::string& formats, std::string& spoolFolder);

  // A simulated Tessel printer on the network (the simulator listening on
  // 127.0.0.1, a free port) with the queue NAME whose device is
  // socket://127.0.0.1:port; disk and pages under <folder>/printers/NAME.
  bool addDirect(const std::string& name, int& port, std::string& diskFolder, std::string& pagesFolder);

  // Sets CUPS_SERVER, CUPS_SERVERROOT and HOME, unsets PRINTER and LPDEST,
  // and tells libcups to use the scheduler.
  void useForClients() const;

  // The last error text of an add* call.
  const std::string& lastError() const { return error_; }

 private:
  PrivateCups(std::string script, std::string folder) : script_(std::move(script)), folder_(std::move(folder)) {}
  bool run(const std::vector<std::string>& args, std::string* output = nullptr);

  std::string script_;
  std::string folder_;
  std::string error_;
  int tcpPort_ = 0;
};

// A TCP port on 127.0.0.1 that nothing listens on at the moment; 0 when
// none can be had.
int freeLoopbackPort();

// Runs a program with arguments (no shell), collecting standard output and
// error into output; returns its exit status, or -1 when it cannot run.
int runProgram(const std::vector<std::string>& args, std::string& output);

// Waits until folder holds count finished captured jobs (job-*.bin) or the
// timeout passes; returns their paths sorted by job number.
std::vector<std::string> waitForCapturedJobs(const std::string& folder, std::size_t count, int timeoutMs);

// Waits until the scheduler that this process uses (useForClients) has no
// pending jobs, or the timeout passes; false on timeout.
bool waitForEmptyQueues(int timeoutMs);
