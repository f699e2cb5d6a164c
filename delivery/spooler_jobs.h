// What the command line asks of the spooler beyond offering queues and
// copying jobs: the number of a submitted job and what became of it, the
// default queue, and whether the spooler can be reached at all.
//
// One implementation file per platform: spooler_jobs_cups.cpp (with the
// submission itself in spooler_cups.cpp) and spooler_jobs_win32.cpp, where
// the spooler gives no job numbers to follow.
#pragma once

#include <string>

#include "delivery/spooler.h"

// WriteFileToPrinter with the job's number and the spooler's reason for a
// failure, under a watch (spooler.h). On CUPS a network destination
// (QUEUE@HOST, ipp://...; print_servers.h) goes to its server or printer
// (network_spooler.h).
Submission SubmitFileToPrinter(const std::string& docName, const std::string& filePath,
                               const std::string& printerName, const SendWatch& watch = {});

// A reader that tells the watch of every piece it passes on and fails once
// the watch answers false (setting cancelled); the platforms' submissions
// read through it.
ChunkReader watchedReader(const ChunkReader& inner, const std::string& printer, std::uint64_t total,
                          const SendWatch& watch, bool& cancelled);

// The size of the job file for progress; 0 when it cannot be told.
std::uint64_t jobFileSize(const std::string& filePath);

enum class JobState {
  Pending,     // waiting for the printer
  Held,        // held: it goes nowhere until released
  Processing,  // being printed
  Stopped,     // the job or its printer is stopped
  Cancelled,
  Aborted,     // the spooler gave up on it
  Completed,
  Unknown,     // the spooler cannot say (no such job, no job numbers here)
};

struct JobStatus {
  JobState state = JobState::Unknown;
  std::string reason;  // the spooler's words on a stopped printer or job, when any
};

// The state of job jobId on printerName (on CUPS, a network destination is
// asked of its server or printer). A job that waits on a printer that
// is stopped (disabled, paused) counts as Stopped: it will not go on by
// itself.
JobStatus QueryJob(const std::string& printerName, int jobId);

// Empty when the spooler answers (whether or not it has printers); else
// what is wrong and what to check.
std::string SpoolerUnreachableReason();

// The spooler's own default queue, empty when it has none. Settings of the
// user or the environment ($PRINTER, $LPDEST, personal defaults) are not
// consulted.
std::string SpoolerDefaultPrinter();

// Words for a state: "completed", "held", ...
const char* jobStateName(JobState state);

// True for the states a job does not leave by itself.
bool isFinalJobState(JobState state);
