// The lists of the legacy and font pages as data: rows in insertion order,
// keyed as the pages key them, with the pages' rules for adding rows.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// (local path, printer name) rows keyed by the local path.
class LegacyLoadList {
 public:
  // Puts a row in: an empty path does nothing; a missing file is refused
  // with the page's message (returned); a leading "/" of the printer name
  // is dropped; without an index an existing row of the same path is
  // updated, else a row is appended; with an index that row is replaced.
  std::string put(const std::string& localPath, const std::string& printerName,
                  std::optional<std::size_t> row = std::nullopt);
  // Adds a file under the printer name derived from its path (type -1,
  // folder markers on); recognised tells whether the derived name is only
  // a guess.
  std::string add(const std::string& localPath, bool& recognised);
  const std::vector<std::pair<std::string, std::string>>& rows() const { return rows_; }

 private:
  std::vector<std::pair<std::string, std::string>> rows_;
};

// Printer-side names to remove, without duplicates.
class LegacyRemovalList {
 public:
  void put(const std::string& name, std::optional<std::size_t> row = std::nullopt);
  const std::vector<std::string>& rows() const { return rows_; }

 private:
  std::vector<std::string> rows_;
};

// (font file, font name) rows keyed by the font file.
class FontList {
 public:
  // Reads the font name; on failure returns the page's message and adds
  // nothing.
  std::string add(const std::string& fontFile);
  const std::vector<std::pair<std::string, std::string>>& rows() const { return rows_; }
  std::vector<std::string> files() const;

 private:
  std::vector<std::pair<std::string, std::string>> rows_;
};

// The message shown once when some derived printer names are only guesses.
std::string unrecognisedNamesNotice();
