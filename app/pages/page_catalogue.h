// The seven operation pages as the operation list and the pages know them:
// list label and icon, page heading, help keyword, information button, and
// the action buttons that stay disabled when there is no printer.
//
// Labels, headings and tool tips are translated where they are shown; help
// keywords are not (they name entries of the help index).
#pragma once

#include <span>

#include "app/art.h"

inline constexpr int kPageCount = 7;

struct PageDescription {
  const char* label;
  Art icon;
  const char* heading;
  const char* helpKeyword;
  int infoButtonId;
  const char* infoToolTip;
};

// Page i; an index outside 0..6 gives page 0.
const PageDescription& pageDescription(int index);

struct ActionButton {
  int page;
  int id;
  const char* label;
};

// Every action button of every page, in page order.
std::span<const ActionButton> actionButtons();
