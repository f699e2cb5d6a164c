// The choice every printer path dialog offers: derive the printer path by
// the program's own rule, or put the file into the folder of a resource
// type picked from a list ("Encoding" at first). Picking a type selects
// the second button.
#pragma once

#include <wx/string.h>

class wxChoice;
class wxRadioButton;
class wxSizer;
class wxWindow;

class PrinterTypeChoice {
 public:
  // Creates the two buttons and the type list as children of parent.
  PrinterTypeChoice(wxWindow* parent, const wxString& ruleLabel, int choiceId);

  // The rule button, and the type button with the list beside it.
  wxRadioButton* ruleButton() const { return rule_; }
  wxRadioButton* typeButton() const { return type_; }
  wxChoice* typeList() const { return list_; }
  // Adds the buttons and the list to a vertical sizer.
  void addTo(wxSizer* column, int gap) const;

  // -1 with the rule button, else the picked type (0 to 5).
  int typeIndex() const;

 private:
  wxRadioButton* rule_ = nullptr;
  wxRadioButton* type_ = nullptr;
  wxChoice* list_ = nullptr;
};
