// The Tessel interpreter inside a self-contained printable container: its
// prolog, the error handler, the encoding definitions and the modules,
// taken from the library's built-in set or from a local Tessel folder (the
// files its start-up file runs).
#pragma once

#include <string>
#include <vector>

class KrmStream;
class KxProject;

class KrmContainerTessel {
 public:
  // builtIn: use the library's set; otherwise koroPath is the local Tessel
  // folder and startupFile its start-up file.
  KrmContainerTessel(KrmStream& stream, bool builtIn, bool resident, bool imaging, std::string koroPath,
                     std::string startupFile);

  // Local: reads the files the start-up file runs (1011 when it names
  // none). Returns the stream's result.
  int prepare();
  // The interpreter prolog (1003 "tqf.eeh" when the local list lacks it)
  // and, locally, the services module; each leaves job encapsulation when
  // resident.
  int writeProlog();
  // The encoding and font-list definitions; local files of the project's
  // own "enc" resources are left to the project.
  int writeEncodings(const KxProject& project);
  // The remaining modules in load order.
  int writeModules();

 private:
  // Copies a local file; found tells whether it holds an encrypted section.
  int copyLocal(const std::string& path, bool& encrypted);

  KrmStream& stream_;
  bool builtIn_;
  bool resident_;
  bool imaging_;
  std::string koroPath_;
  std::string startupFile_;
  std::vector<std::string> modules_;  // local files still to embed, in order
};
