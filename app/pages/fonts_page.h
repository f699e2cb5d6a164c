// The Load PS Fonts page: a list of PostScript font files with the font
// names read from them (added with a chooser or dropped from the file
// manager; a file without a readable name is left out with a message), and
// the button that loads them onto the destination.
#pragma once

#include "app/pages/operation_page.h"
#include "ops/legacy_lists.h"

class ReportList;
class wxButton;

class FontsPage : public OperationPage {
 public:
  FontsPage(wxWindow* parent, PageHost& host);
  void disableActions() override;
  void updateColumnWidths() override;

  const FontList& fontRows() const { return fonts_; }
  ReportList* fontList() const { return list_; }

  void addFontFiles();
  void addFontPaths(const wxArrayString& paths);  // also what a drop does
  void deleteRows();
  void loadFonts();

 private:
  void showRows();

  FontList fonts_;
  ReportList* list_ = nullptr;
  wxButton* load_ = nullptr;
};
