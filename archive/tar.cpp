// Entry of the tar code: "pdtar_main", option words, names.
//
// Option letters "b:BcdDf:hikmopstT:vxzZ" ("b", "f" and "T" take a value,
// from the rest of the word or the next word). "c" creates, "x" extracts,
// "t" lists, "f" names the archive, "b" sets the blocking factor, "v" lists
// every entry handled, "k" keeps existing files, "T" reads the names from a
// file ("-" for the standard input). The other letters are accepted without
// effect. Option words end at the first other word or at "--". In an
// extraction vector whose fourth element is its last option word, a fifth
// element starting with "!" selects the first project file, any other
// fifth element the entry of exactly that name.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "archive/tar.h"

namespace {

constexpr const char* kModule = "tar";
constexpr const char* kOptionLetters = "b:BcdDf:hikmopstT:vxzZ";
constexpr int kMaxBlocking = 2048;

const char* usageText() {
  return "tar: valid options:\n"
         "-b N  blocking factor N (block size = Nx512 bytes)\n"
         "-B    reblock as we read\n"
         "-c    create an archive\n"
         "-D    dump record number within archive with each message\n"
         "-d    find differences between archive and file system\n"
         "-f F  read/write archive from file or device F\n"
         "-h    don't dump symbolic links; dump the files they point to\n"
         "-i    ignore blocks of zeros in the archive\n"
         "-k    keep existing files; don't overwrite them\n"
         "-m    don't extract file modified time\n"
         "-o    write an old V7 format archive\n"
         "-p    do extract all protection information\n"
         "-s    list of names to extract is sorted to match the archive\n"
         "-t    list a table of contents of an archive\n"
         "-T F  get names to extract or create from file F\n"
         "-v    verbosely list what files we process\n"
         "-x    extract files from an archive\n"
         "-z    run the archive through compress\n"
         "-Z    run the archive through compress\n";
}

bool takesValue(char letter) {
  const char* p = std::strchr(kOptionLetters, letter);
  return p && letter != ':' && p[1] == ':';
}

// Parses the option words; returns the index of the first name.
std::size_t parseOptions(const std::vector<std::string>& argv, TarOptions& options, std::string& namesFile,
                         bool& haveNamesFile) {
  std::size_t i = 1;
  for (; i < argv.size(); ++i) {
    const std::string& word = argv[i];
    if (word == "--") return i + 1;
    if (word.size() < 2 || word[0] != '-') break;
    for (std::size_t k = 1; k < word.size(); ++k) {
      char letter = word[k];
      std::string value;
      if (takesValue(letter)) {
        if (k + 1 < word.size()) {
          value = word.substr(k + 1);
        } else if (i + 1 < argv.size()) {
          value = argv[++i];
        }
        k = word.size();
      }
      switch (letter) {
        case 'c': options.create = true; break;
        case 'x': options.extract = true; break;
        case 't': options.list = true; break;
        case 'v': options.verbose = true; break;
        case 'k': options.keep = true; break;
        case 'B': options.reblock = true; break;
        case 'f': options.archive = value; break;
        case 'b': options.blocking = std::atoi(value.c_str()); break;
        case 'T':
          namesFile = value;
          haveNamesFile = true;
          break;
        default: break;  // accepted, no effect here
      }
    }
  }
  return i;
}

// Reads the names file; false (error recorded) when it cannot be opened.
bool readNamesFile(ArchiveState& state, const std::string& path, std::vector<std::string>& names) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) {
      state.internal(kTagNamesFile, path, std::strerror(errno));
      return false;
    }
    in = &file;
  }
  std::string line;
  while (std::getline(*in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.size() > kTarNameField) {
      state.internal(kTagListNameTooLong, line, "name longer than 100 characters");
      line.resize(kTarNameField);
    }
    names.push_back(line);
  }
  return true;
}

}  // namespace

void tarMain(ArchiveState& state, const std::vector<std::string>& argv, const std::string& folder) {
  state.tarRunning = true;
  TarOptions options;
  std::vector<std::string> words = argv;
  // The fifth element of an extraction vector selects the mode.
  if (words.size() > 4 && words[3].size() > 1 && words[3][0] == '-' && words[3].find('x') != std::string::npos) {
    const std::string& fifth = words[4];
    if (!fifth.empty() && fifth[0] == '!') {
      options.projectMode = true;
    } else {
      options.namedMode = true;
      options.wantedName = fifth;
    }
    words.erase(words.begin() + 4);
  }

  std::string namesFile;
  bool haveNamesFile = false;
  std::size_t first = parseOptions(words, options, namesFile, haveNamesFile);
  options.names.assign(words.begin() + static_cast<std::ptrdiff_t>(first), words.end());

  bool dispatch = true;
  if (options.blocking < 1 || options.blocking > kMaxBlocking) {
    state.internal(kTagRecordAlloc, "buffer", "invalid blocking factor");
    dispatch = false;
  } else if (haveNamesFile) {
    if (!options.names.empty()) {
      state.internal(kTagNamesWithList, kModule, "file names given with a names file");
      dispatch = false;
    } else if (!readNamesFile(state, namesFile, options.names)) {
      dispatch = false;
    }
  }

  int modes = (options.create ? 1 : 0) + (options.extract ? 1 : 0) + (options.list ? 1 : 0);
  if (dispatch && modes != 1) {
    state.internal(kTagBadMode, kModule, "one of the options c, x or t is required");
    state.appendListing(usageText());
  } else if (dispatch && options.create) {
    tarCreate(state, options, folder);
  } else if (dispatch && options.extract) {
    tarExtract(state, options, folder);
  } else if (dispatch) {
    tarList(state, options);
  }

  if (state.volumeSize > 0) state.progress(kArchiveVolumesComplete);
}
