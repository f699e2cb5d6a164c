// The List Printer Files page: has the destination print a list of its
// Tessel and KX files, of its fonts, or of one project's resources; the
// folder and project fields are enabled only for the last choice.
//
// A direct printer (or a socket:// address, or a group holding them) also
// writes the listing back on its connection: the page then shows it in a
// listing window, one per printer that answered, and prints the page only
// when the box says so and every printer of the destination answers.
#pragma once

#include <memory>

#include "app/pages/operation_page.h"
#include "ops/operations.h"

class ProjectNameFields;
class wxButton;
class wxCheckBox;
class wxRadioBox;

class ListPage : public OperationPage {
 public:
  ListPage(wxWindow* parent, PageHost& host);
  ~ListPage() override;
  void disableActions() override;

  ListChoice choice() const;

  wxRadioBox* choiceBox() const { return choice_; }
  wxCheckBox* printedPageBox() const { return printedPage_; }
  const ProjectNameFields& names() const { return *names_; }

  void listFiles();

 private:
  wxRadioBox* choice_ = nullptr;
  std::unique_ptr<ProjectNameFields> names_;
  wxButton* list_ = nullptr;
  wxCheckBox* printedPage_ = nullptr;
};
