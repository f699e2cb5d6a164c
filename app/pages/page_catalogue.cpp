#include "app/pages/page_catalogue.h"

#include "app/window_ids.h"

namespace {

const PageDescription kPages[kPageCount] = {
    {"Install Tessel", Art::Install, "Install Tessel on the destination printer", "Install Tessel", kIdInstallInfo,
     "Information about installing Tessel."},
    {"Load Project Resources", Art::Load, "Load KX Project resources on the printer", "Load Project Resources",
     kIdLoadProjectInfo, "Information about loading project resources."},
    {"Send Container", Art::Print, "Send a Self-Contained KORO Data Stream to the printer", "Send Container",
     kIdSendContainerInfo, "Information about sending self-contained data stream."},
    {"Delete Files", Art::Remove, "Delete files from the printer", "Delete Files", kIdDeleteInfo,
     "Information about deleting KX files."},
    {"List Printer Files", Art::List, "List Files on the Printer", "List Printer Files", kIdListInfo,
     "Information about listing KX resoruces."},
    {"Manage Legacy Files", Art::Legacy, "Manage legacy resources on the printer", "Manage Legacy Files",
     kIdLegacyInfo, "Information about managing legacy resources."},
    {"Load PS Fonts", Art::Font, "Load PostScript Fonts", "Load PostScript Fonts", kIdFontsInfo,
     "Information about loading PS fonts."},
};

const ActionButton kActions[] = {
    {0, kIdInstallTessel, "Install Tessel"},
    {0, kIdStartupTessel, "Startup Tessel"},
    {1, kIdLoadProject, "Load Project Resources"},
    {2, kIdSendContainer, "Send Container"},
    {3, kIdDeleteFiles, "Delete Files"},
    {4, kIdListFiles, "List Files"},
    {5, kIdLoadLegacyFiles, "Load Legacy Files"},
    {5, kIdSendSubmissionFile, "Send Submission File"},
    {5, kIdRemoveLegacyFiles, "Remove Legacy Files"},
    {6, kIdLoadFonts, "Load PS Fonts"},
};

}  // namespace

const PageDescription& pageDescription(int index) {
  if (index < 0 || index >= kPageCount) index = 0;
  return kPages[index];
}

std::span<const ActionButton> actionButtons() { return kActions; }
