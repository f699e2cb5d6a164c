// Job files kept for sending again: when some printers of a send did not
// get the job, the job file is kept beside the send history (folder
// "jobs", named by its SHA-256), so that it can go to those printers later
// byte for byte. A kept file is written to a part file made exclusively
// and then renamed, never over another file; one kept already under the
// same digest is the same job and stays.
#pragma once

#include <string>

// The folder of kept job files beside the history file ("" = the user's).
std::string keptJobFolder(const std::string& historyFile);
// Where the job with that digest is kept (whether or not it is); empty
// for anything that is not a digest.
std::string keptJobPath(const std::string& historyFile, const std::string& sha256);
// Keeps a copy of jobFile under its digest; true when it is kept now.
bool keepJobFile(const std::string& historyFile, const std::string& jobFile, const std::string& sha256);
