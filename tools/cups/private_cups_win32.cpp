// Windows has no CUPS scheduler to start: start() says so, and the tests
// that need one skip themselves with that text.
#include "tools/cups/private_cups.h"

std::unique_ptr<PrivateCups> PrivateCups::start(const std::string&, const std::string&, std::string& error, bool) {
  error = "needs a private CUPS scheduler, which Windows does not have";
  return nullptr;
}

PrivateCups::~PrivateCups() = default;

bool PrivateCups::run(const std::vector<std::string>&, std::string*) {
  error_ = "no CUPS scheduler";
  return false;
}

bool PrivateCups::addCapture(const std::string&, std::string&) { return run({}); }

bool PrivateCups::addSimulated(const std::string&, std::string&, std::string&, const std::string&) {
  return run({});
}

bool PrivateCups::addDriver(const std::string&, const std::string&) { return run({}); }

bool PrivateCups::addDirect(const std::string&, int&, std::string&, std::string&) { return run({}); }

void PrivateCups::useForClients() const {}

int freeLoopbackPort() { return 0; }

int runProgram(const std::vector<std::string>&, std::string& output) {
  output = "no CUPS scheduler";
  return -1;
}

std::vector<std::string> waitForCapturedJobs(const std::string&, std::size_t, int) { return {}; }

bool waitForEmptyQueues(int) { return true; }
