// The lists of the legacy and font pages as data: rows in insertion order,
// keyed as the pages key them, with the pages' rules for adding, editing,
// removing and sorting rows. Row numbers are positions in rows(); a number
// past the end is ignored.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// (local path, printer name) rows keyed by the local path.
class LegacyLoadList {
 public:
  // Puts a row in: an empty path does nothing; a missing file, and a
  // printer name the printer would refuse, are refused with the page's
  // message (returned); a leading "/" of the printer name is dropped; without an index an existing row of the same path is
  // updated, else a row is appended; with an index that row is replaced.
  std::string put(const std::string& localPath, const std::string& printerName,
                  std::optional<std::size_t> row = std::nullopt);
  // Adds a file under the printer name derived from its path (type -1,
  // folder markers on); recognised tells whether the derived name is only
  // a guess.
  std::string add(const std::string& localPath, bool& recognised);
  // One row edited in the path dialog: an empty printer name is derived
  // from the local path with the dialog's type (-1: by folder or
  // extension), folder markers on; then the row is replaced through put().
  std::string edit(std::size_t row, const std::string& localPath, const std::string& printerName, int typeIndex);
  // Several rows edited at once: each keeps its local path and gets the
  // printer name derived for the type (-1: by folder or extension).
  // A row whose new name the printer would refuse is left as it is.
  void rederive(const std::vector<std::size_t>& rows, int typeIndex);
  // Why the printer would refuse a name rederive would give; empty if none.
  std::string rederiveRefusal(const std::vector<std::size_t>& rows, int typeIndex) const;
  void remove(const std::vector<std::size_t>& rows);
  // Ascending by the column's text (0 local path, 1 printer name), byte by
  // byte; rows with equal text keep their order.
  void sortBy(int column);
  const std::vector<std::pair<std::string, std::string>>& rows() const { return rows_; }

 private:
  std::vector<std::pair<std::string, std::string>> rows_;
};

// Printer-side names to remove, without duplicates.
class LegacyRemovalList {
 public:
  // An empty name does nothing; a leading "/" is dropped; a name the
  // printer would refuse is refused with the page's message (returned);
  // without an index the name is appended unless it is listed already;
  // with an index that row takes the name.
  std::string put(const std::string& name, std::optional<std::size_t> row = std::nullopt);
  // A local file, converted to its printer name (type -1, folder markers
  // on) and put in; recognised as for LegacyLoadList::add.
  std::string addLocalFile(const std::string& localPath, bool& recognised);
  // The printer names of every row of the load list.
  void copyFrom(const LegacyLoadList& load);
  // Each row's name converted with the type (-1: by extension), folder
  // markers off: only the folder part changes. A name the printer would
  // refuse is not taken.
  void modify(const std::vector<std::size_t>& rows, int typeIndex);
  // Why the printer would refuse a name modify would give; empty if none.
  std::string modifyRefusal(const std::vector<std::size_t>& rows, int typeIndex) const;
  void remove(const std::vector<std::size_t>& rows);
  void sort();
  const std::vector<std::string>& rows() const { return rows_; }
  // What the removal job is given: each row by removalPattern.
  std::vector<std::string> patterns() const;

 private:
  std::vector<std::string> rows_;
};

// (font file, font name) rows keyed by the font file.
class FontList {
 public:
  // Reads the font name; on failure returns the page's message and changes
  // nothing. With an index that row takes the file and its name, else the
  // row of the same file is updated or a row appended.
  std::string add(const std::string& fontFile, std::optional<std::size_t> row = std::nullopt);
  void remove(const std::vector<std::size_t>& rows);
  // Ascending by the column's text (0 font file, 1 font name).
  void sortBy(int column);
  const std::vector<std::pair<std::string, std::string>>& rows() const { return rows_; }
  std::vector<std::string> files() const;

 private:
  std::vector<std::pair<std::string, std::string>> rows_;
};

// Why the printer would refuse name as the lists keep it (a leading "/"
// dropped), as one sentence; empty for a name it takes. The dialogs show
// it under the field, the lists with the name below it. Named, the
// sentence holds the name (for names the user did not type).
std::string printerNameRefusal(const std::string& name, bool named = false);
// The pattern the removal job is given for a name of the removal list. The
// printer reads "\" as quoting and "[...]" as a set, so a name without "*"
// or "?" gets "\", "[" and "]" quoted and removes the file of that very
// name (one loaded as "a\ b" too); a name with "*" or "?" is the user's
// pattern and goes as it is.
std::string removalPattern(const std::string& name);

// The message shown once when some derived printer names are only guesses.
std::string unrecognisedNamesNotice();
