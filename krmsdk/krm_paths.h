// Printer names for local files.
#pragma once

#include "base/sdk_fs.h"
#include "base/sdk_string.h"

// The printer path a local file gets when the caller names none: the part
// from a library directory marker on ("/formlib/" ... "/fontlib/"; "/demo/"
// lands under "tqf", the others under "tqfc"), or else a library directory
// chosen by the extension plus the file name. Always yields a name; 1.
// backslashSeparates says whether "\" separates folders of the local path
// (the host's rule unless a caller converts another system's path).
int krmLocalToPrinterPath(const char* localPath, SdkString& printerName,
                          bool backslashSeparates = kSdkHostBackslashSeparates);
