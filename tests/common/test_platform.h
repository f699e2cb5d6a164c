// The few system calls the tests make themselves, the same on POSIX and
// Windows: environment variables, the variable that names the temporary
// folder, the process id, file times, and the exit status of a command run
// through the shell.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#ifdef _WIN32
#include <process.h>
#include <sys/stat.h>
#include <sys/utime.h>
#else
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// First statement of a test about what only POSIX systems have (device
// files, permission bits, hard-link identity): skipped on Windows, saying why.
#ifdef _WIN32
#define QM_POSIX_ONLY(why) GTEST_SKIP() << "POSIX only: " << why
#else
#define QM_POSIX_ONLY(why) (void)0
#endif

namespace qmtest {

// The variable the platform's temporary folder comes from first.
#ifdef _WIN32
inline constexpr char kTempVariable[] = "TMP";
#else
inline constexpr char kTempVariable[] = "TMPDIR";
#endif

inline void setEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr) setenv(name, value, 1);
  else unsetenv(name);
#endif
}

inline void unsetEnv(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");  // an empty value removes the variable
#else
  unsetenv(name);
#endif
}

// A path with the host's separators: on Windows every "/" becomes "\",
// as the program writes the paths it composes; elsewhere unchanged.
inline std::string native(std::string path) {
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}

// A path with "/" between folders, whichever separator the host uses.
inline std::string slashed(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// Sets (or, with nullptr, removes) a variable for a scope and restores it.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) setEnv(name, value);
    else unsetEnv(name);
  }
  ~ScopedEnvVar() {
    if (old_) setEnv(name_.c_str(), old_->c_str());
    else unsetEnv(name_.c_str());
  }
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

inline long processId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<long>(getpid());
#endif
}

// Sets a file's modification (and access) time, seconds since 1970.
inline bool setFileTime(const std::string& path, std::int64_t when) {
#ifdef _WIN32
  struct __utimbuf64 times {when, when};
  return _utime64(path.c_str(), &times) == 0;
#else
  struct timeval times[2] = {{static_cast<time_t>(when), 0}, {static_cast<time_t>(when), 0}};
  return utimes(path.c_str(), times) == 0;
#endif
}

// A file's modification time, or -1.
inline std::int64_t fileTime(const std::string& path) {
#ifdef _WIN32
  struct _stat64 st;
  return _stat64(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : -1;
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : -1;
#endif
}

// The exit status of std::system's command, or -1 when it did not end by
// itself.
inline int commandStatus(int systemResult) {
#ifdef _WIN32
  return systemResult;
#else
  return WIFEXITED(systemResult) ? WEXITSTATUS(systemResult) : -1;
#endif
}

}  // namespace qmtest
