// Delete Files and List Printer Files pages.
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"
#include "ops/translate.h"

std::unique_ptr<krmPPS> projectRemoverRecord(const OpContext& ctx, const DeleteChoice& choice) {
  auto pps = krmNewPPS();
  pps->krmPPSSetProjectNames(choice.folder.c_str(), choice.project.c_str());
  if (ctx.statusPage) {
    pps->krmPPSSetFlags(kKrmPpsStatusPage);
    pps->krmPPSSetPrinterName(printerNameFor(ctx).c_str());
  }
  if (choice.noFolderShared) pps->krmPPSAddFlags(kKrmPpsNoFolderShared);
  if (choice.noGlobalShared) pps->krmPPSAddFlags(kKrmPpsNoGlobalShared);
  return pps;
}

std::unique_ptr<krmIOS> uninstallRecord(const OpContext& ctx, const DeleteChoice& choice) {
  static constexpr int kFlagsByItem[] = {
      kKrmIosRemoveTessel | kKrmIosRemoveResources, kKrmIosRemoveTessel, kKrmIosRemoveResources};
  auto ios = krmNewIOS();
  const int item = static_cast<int>(choice.item);
  ios->krmIOSSetFlags(kFlagsByItem[item >= 0 && item <= 2 ? item : 0]);
  if (ctx.statusPage) {
    ios->krmIOSAddFlags(kKrmIosStatusPage);
    ios->krmIOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  return ios;
}

std::string describeDeletion(const DeleteChoice& choice) {
  switch (choice.item) {
    case DeleteItem::TesselAndResources:
      return tr("every Tessel file and every KX resource file");
    case DeleteItem::Tessel:
      return tr("every Tessel file");
    case DeleteItem::Resources:
      return tr("every KX resource file");
    case DeleteItem::Project:
      break;
  }
  return tr("the resource files of project ") + choice.folder + "/" + choice.project;
}

OpResult deleteFiles(const OpContext& ctx, const DeleteChoice& choice) {
  return runJob(ctx, tr("[Delete Files]"), [&](const char* jobPath) {
    auto vos = jobOutputRecord(jobPath);
    if (choice.item == DeleteItem::Project) return krmCreateProjectRemover(projectRemoverRecord(ctx, choice).get(), vos.get());
    return krmUninstallKORO(uninstallRecord(ctx, choice).get(), vos.get());
  });
}

namespace {

int listingFlags(const ListChoice& choice) {
  if (!choice.answerOnConnection) return 0;
  return kKrmFlagAnswerListing | (choice.printedPage ? 0 : kKrmFlagNoListPage);
}

}  // namespace

std::unique_ptr<krmFOS> listFilesRecord(const OpContext& ctx, const ListChoice& choice) {
  auto fos = krmNewFOS();
  if (choice.item == ListItem::Fonts) fos->krmFOSSetFilePattern("fonts/*");
  fos->krmFOSSetPrinterName(printerNameFor(ctx).c_str());
  fos->krmFOSSetFlags(listingFlags(choice));
  return fos;
}

std::unique_ptr<krmPPS> listProjectFilesRecord(const OpContext& ctx, const ListChoice& choice) {
  auto pps = krmNewPPS();
  pps->krmPPSSetProjectNames(choice.folder.c_str(), choice.project.c_str());
  pps->krmPPSSetPrinterName(printerNameFor(ctx).c_str());
  if (const int flags = listingFlags(choice)) pps->krmPPSAddFlags(flags);
  return pps;
}

OpResult listPrinterFiles(const OpContext& ctx, const ListChoice& choice) {
  return runJob(ctx, tr("[List Files]"), [&](const char* jobPath) {
    auto vos = jobOutputRecord(jobPath);
    if (choice.item == ListItem::Project)
      return krmListPrinterProjectResources(listProjectFilesRecord(ctx, choice).get(), vos.get());
    return krmListPrinterFiles(listFilesRecord(ctx, choice).get(), vos.get());
  });
}
