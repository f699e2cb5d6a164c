// The user's text for a failed job-library call.
#pragma once

#include <string>

// The message for a result code; for most codes a non-empty detail (the
// library's last argument) follows after a blank line. Codes without an
// entry give "Quaymaster encounters a problem.".
std::string resultMessage(int code, const std::string& detail);
