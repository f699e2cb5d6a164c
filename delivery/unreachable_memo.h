// One send's memory of the servers it could not reach.
//
// A group may hold many queues of one print server. When the first of them
// finds the server unreachable (Submission::unreachable), every later
// member on that server (DestinationServer, so any spelling) fails at once
// with the same reason instead of waiting out the connection time again.
// Members already under way when the server was found unreachable still
// wait for their own connection. Everything else is passed to the spooler
// it wraps. Lives for one send; safe from the sending threads.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "delivery/spooler.h"

class UnreachableMemo : public Spooler {
 public:
  explicit UnreachableMemo(Spooler& spooler) : spooler_(spooler) {}

  std::vector<std::string> EnumeratePrinters() override { return spooler_.EnumeratePrinters(); }
  bool WriteFileToPrinter(const std::string& docName, const std::string& filePath,
                          const std::string& printerName) override {
    return spooler_.WriteFileToPrinter(docName, filePath, printerName);
  }
  Submission SubmitFile(const std::string& docName, const std::string& filePath, const std::string& printerName,
                        const SendWatch& watch) override;
  bool concurrent() const override { return spooler_.concurrent(); }

 private:
  Spooler& spooler_;
  std::mutex lock_;
  std::map<std::string, std::string> reasons_;  // canonical server text -> the first failure's reason
};
