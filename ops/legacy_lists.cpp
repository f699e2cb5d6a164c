#include "ops/legacy_lists.h"

#include <algorithm>
#include <set>

#include "base/sdk_fs.h"
#include "delivery/printer_path.h"
#include "krmsdk/krm_printer_names.h"
#include "ops/translate.h"

namespace {

std::string withoutLeadingSlash(const std::string& name) {
  return !name.empty() && name.front() == '/' ? name.substr(1) : name;
}

// Removes the rows whose numbers are listed (in any order, repeats and
// numbers past the end ignored).
template <typename Row>
void removeRows(std::vector<Row>& rows, const std::vector<std::size_t>& numbers) {
  const std::set<std::size_t> doomed(numbers.begin(), numbers.end());
  std::vector<Row> kept;
  kept.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (doomed.count(i) == 0) kept.push_back(std::move(rows[i]));
  rows = std::move(kept);
}

void sortPairs(std::vector<std::pair<std::string, std::string>>& rows, int column) {
  // std::string compares as unsigned bytes: exact character order.
  std::stable_sort(rows.begin(), rows.end(), [column](const auto& a, const auto& b) {
    return column == 1 ? a.second < b.second : a.first < b.first;
  });
}

// The refusal with the name below it, for a message box.
std::string refusalMessage(const std::string& name) {
  const std::string refusal = printerNameRefusal(name);
  return refusal.empty() ? refusal : refusal + "\n\n" + krmShownName(name);
}

// The refusal of the first name derive gives for one of the rows.
template <typename Derive>
std::string firstRefusal(const std::vector<std::size_t>& rows, std::size_t count, Derive derive) {
  for (std::size_t row : rows)
    if (row < count)
      if (std::string refused = printerNameRefusal(derive(row), true); !refused.empty()) return refused;
  return {};
}

}  // namespace

std::string printerNameRefusal(const std::string& name, bool named) {
  const KrmNameFault fault = krmPrinterNameFault(withoutLeadingSlash(name));
  if (fault == KrmNameFault::kNone) return {};
  const std::string subject = named ? "'" + krmShownName(name) + "'" : tr("this name");
  return tr("The printer refuses ") + subject + ": " + tr("it ") + krmNameFaultText(fault) + ".";
}

std::string removalPattern(const std::string& name) {
  if (name.find_first_of("*?") != std::string::npos) return name;
  std::string quoted;
  for (char c : name) {
    if (c == '\\' || c == '[' || c == ']') quoted += '\\';
    quoted += c;
  }
  return quoted;
}

std::string LegacyLoadList::put(const std::string& localPath, const std::string& printerName,
                                std::optional<std::size_t> row) {
  if (localPath.empty()) return {};
  if (!sdkFileExists(localPath.c_str())) return tr("The file does not exits.") + "\n\n" + localPath;
  if (std::string refused = refusalMessage(printerName); !refused.empty()) return refused;
  std::pair<std::string, std::string> entry{localPath, withoutLeadingSlash(printerName)};
  if (row && *row < rows_.size()) {
    rows_[*row] = std::move(entry);
    return {};
  }
  for (auto& r : rows_)
    if (r.first == localPath) {
      r = std::move(entry);
      return {};
    }
  rows_.push_back(std::move(entry));
  return {};
}

std::string LegacyLoadList::add(const std::string& localPath, bool& recognised) {
  PrinterPath p = ToPrinterPath(localPath, -1, true);
  recognised = p.recognised;
  return put(localPath, p.path);
}

std::string LegacyLoadList::edit(std::size_t row, const std::string& localPath, const std::string& printerName,
                                 int typeIndex) {
  if (row >= rows_.size()) return {};
  const std::string name = printerName.empty() ? ToPrinterPath(localPath, typeIndex, true).path : printerName;
  return put(localPath, name, row);
}

void LegacyLoadList::rederive(const std::vector<std::size_t>& rows, int typeIndex) {
  for (std::size_t row : rows) {
    if (row >= rows_.size()) continue;
    std::string name = ToPrinterPath(rows_[row].first, typeIndex, true).path;
    if (printerNameRefusal(name).empty()) rows_[row].second = withoutLeadingSlash(name);
  }
}

std::string LegacyLoadList::rederiveRefusal(const std::vector<std::size_t>& rows, int typeIndex) const {
  return firstRefusal(rows, rows_.size(),
                      [&](std::size_t row) { return ToPrinterPath(rows_[row].first, typeIndex, true).path; });
}

void LegacyLoadList::remove(const std::vector<std::size_t>& rows) { removeRows(rows_, rows); }

void LegacyLoadList::sortBy(int column) { sortPairs(rows_, column); }

std::string LegacyRemovalList::put(const std::string& name, std::optional<std::size_t> row) {
  if (name.empty()) return {};
  if (std::string refused = refusalMessage(name); !refused.empty()) return refused;
  std::string n = withoutLeadingSlash(name);
  if (row && *row < rows_.size()) {
    rows_[*row] = n;
    return {};
  }
  for (const std::string& r : rows_)
    if (r == n) return {};
  rows_.push_back(n);
  return {};
}

std::vector<std::string> LegacyRemovalList::patterns() const {
  std::vector<std::string> sent;
  for (const std::string& name : rows_) sent.push_back(removalPattern(name));
  return sent;
}

std::string LegacyRemovalList::addLocalFile(const std::string& localPath, bool& recognised) {
  PrinterPath p = ToPrinterPath(localPath, -1, true);
  recognised = p.recognised;
  return put(p.path);
}

void LegacyRemovalList::copyFrom(const LegacyLoadList& load) {
  for (const auto& row : load.rows()) put(row.second);
}

void LegacyRemovalList::modify(const std::vector<std::size_t>& rows, int typeIndex) {
  for (std::size_t row : rows)
    if (row < rows_.size()) put(ToPrinterPath(rows_[row], typeIndex, false).path, row);
}

std::string LegacyRemovalList::modifyRefusal(const std::vector<std::size_t>& rows, int typeIndex) const {
  return firstRefusal(rows, rows_.size(),
                      [&](std::size_t row) { return ToPrinterPath(rows_[row], typeIndex, false).path; });
}

void LegacyRemovalList::remove(const std::vector<std::size_t>& rows) { removeRows(rows_, rows); }

void LegacyRemovalList::sort() { std::stable_sort(rows_.begin(), rows_.end()); }

std::string FontList::add(const std::string& fontFile, std::optional<std::size_t> row) {
  std::string fontName;
  if (!ReadPostScriptFontName(fontFile, fontName))
    return tr("Quaymaster cannot obtain the font name. Please make sure this is a valid font file.") + "\n\n" +
           fontFile;
  if (row && *row < rows_.size()) {
    rows_[*row] = {fontFile, fontName};
    return {};
  }
  for (auto& r : rows_)
    if (r.first == fontFile) {
      r.second = fontName;
      return {};
    }
  rows_.emplace_back(fontFile, fontName);
  return {};
}

void FontList::remove(const std::vector<std::size_t>& rows) { removeRows(rows_, rows); }

void FontList::sortBy(int column) { sortPairs(rows_, column); }

std::vector<std::string> FontList::files() const {
  std::vector<std::string> f;
  for (const auto& r : rows_) f.push_back(r.first);
  return f;
}

std::string unrecognisedNamesNotice() {
  return tr(
      "Some corresponding printer file names generated by Quaymaster may not be appropriate.\nUse the Edit "
      "button to make necessary changes.");
}
