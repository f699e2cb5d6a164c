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
  int item = choice.item >= 0 && choice.item <= 2 ? choice.item : 0;
  ios->krmIOSSetFlags(kFlagsByItem[item]);
  if (ctx.statusPage) {
    ios->krmIOSAddFlags(kKrmIosStatusPage);
    ios->krmIOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  return ios;
}

OpResult deleteFiles(const OpContext& ctx, const DeleteChoice& choice) {
  return runJob(ctx, tr("[Delete Files]"), [&](const char* jobPath) {
    auto vos = jobOutputRecord(jobPath);
    if (choice.item == 3) return krmCreateProjectRemover(projectRemoverRecord(ctx, choice).get(), vos.get());
    return krmUninstallKORO(uninstallRecord(ctx, choice).get(), vos.get());
  });
}

std::unique_ptr<krmFOS> listFilesRecord(const OpContext& ctx, const ListChoice& choice) {
  auto fos = krmNewFOS();
  if (choice.item == 1) fos->krmFOSSetFilePattern("fonts/*");
  fos->krmFOSSetPrinterName(printerNameFor(ctx).c_str());
  return fos;
}

std::unique_ptr<krmPPS> listProjectFilesRecord(const OpContext& ctx, const ListChoice& choice) {
  auto pps = krmNewPPS();
  pps->krmPPSSetProjectNames(choice.folder.c_str(), choice.project.c_str());
  pps->krmPPSSetPrinterName(printerNameFor(ctx).c_str());
  return pps;
}

OpResult listPrinterFiles(const OpContext& ctx, const ListChoice& choice) {
  return runJob(ctx, tr("[List Files]"), [&](const char* jobPath) {
    auto vos = jobOutputRecord(jobPath);
    if (choice.item == 2)
      return krmListPrinterProjectResources(listProjectFilesRecord(ctx, choice).get(), vos.get());
    return krmListPrinterFiles(listFilesRecord(ctx, choice).get(), vos.get());
  });
}
