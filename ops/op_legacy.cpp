// Manage Legacy Files and Load PS Fonts pages.
#include "base/sdk_file_kind.h"
#include "base/sdk_fs.h"
#include "delivery/printer_path.h"
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"
#include "ops/translate.h"

std::unique_ptr<krmFOS> legacyLoadRecord(const OpContext& ctx,
                                         const std::vector<std::pair<std::string, std::string>>& rows) {
  auto fos = krmNewFOS();
  for (const auto& [local, printer] : rows) fos->krmFOSAddLoadFile(local.c_str(), printer.c_str());
  fos->krmFOSSetFlags(kKrmFlagOverwrite);
  if (ctx.statusPage) {
    fos->krmFOSAddFlags(kKrmFlagStatusPage);
    fos->krmFOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  return fos;
}

std::unique_ptr<krmFOS> legacyRemoveRecord(const OpContext& ctx, const std::vector<std::string>& names) {
  auto fos = krmNewFOS();
  for (const std::string& name : names) fos->krmFOSAddRemoveFile(name.c_str());
  if (ctx.statusPage) {
    fos->krmFOSSetFlags(kKrmFlagStatusPage);
    fos->krmFOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  return fos;
}

std::unique_ptr<krmFOS> fontLoadRecord(const OpContext& ctx, const std::vector<std::string>& fontFiles) {
  auto fos = krmNewFOS();
  for (const std::string& path : fontFiles) fos->krmFOSAddFontFile(path.c_str());
  if (ctx.statusPage) {
    fos->krmFOSSetFlags(kKrmFlagStatusPage);
    fos->krmFOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  return fos;
}

KrmSystemArea systemAreaOfLoad(const std::string& localPath, const std::string& printerName) {
  const KrmSystemArea area = krmSystemArea(printerName);
  std::string fontName;
  if (area == KrmSystemArea::kFonts && ReadPostScriptFontName(localPath, fontName)) return KrmSystemArea::kNone;
  return area;
}

std::string systemAreaWords(KrmSystemArea area) {
  switch (area) {
    case KrmSystemArea::kNone:
      return {};
    case KrmSystemArea::kStartup:
      return tr("the printer's start-up");
    case KrmSystemArea::kTessel:
      return tr("Tessel");
    case KrmSystemArea::kFonts:
      return tr("the printer's fonts");
  }
  return {};
}

std::vector<std::pair<std::string, std::string>> systemNameRows(
    const std::vector<std::pair<std::string, std::string>>& rows) {
  std::vector<std::pair<std::string, std::string>> found;
  for (const auto& row : rows)
    if (systemAreaOfLoad(row.first, row.second) != KrmSystemArea::kNone) found.push_back(row);
  return found;
}

OpResult loadLegacyFiles(const OpContext& ctx, const std::vector<std::pair<std::string, std::string>>& rows,
                         bool allowSystemNames) {
  if (rows.empty()) return {};
  if (!allowSystemNames) {
    if (auto system = systemNameRows(rows); !system.empty()) {
      const auto& [local, printer] = system.front();
      OpResult r;
      r.kind = OpResult::Kind::Refused;
      r.message = tr("The printer file name belongs to ") + systemAreaWords(systemAreaOfLoad(local, printer)) +
                  ".\n\n" + krmShownName(printer);
      return r;
    }
  }
  return runJob(ctx, tr("[Load Legacy Files]"), [&](const char* jobPath) {
    return krmCreateFileLoader(legacyLoadRecord(ctx, rows).get(), jobOutputRecord(jobPath, ctx.progress).get());
  });
}

OpResult removeLegacyFiles(const OpContext& ctx, const std::vector<std::string>& names) {
  if (names.empty()) return {};
  return runJob(ctx, tr("[Remove Legacy Files]"), [&](const char* jobPath) {
    return krmCreateFileRemover(legacyRemoveRecord(ctx, names).get(), jobOutputRecord(jobPath).get());
  });
}

OpResult loadFonts(const OpContext& ctx, const std::vector<std::string>& fontFiles) {
  if (fontFiles.empty()) return {};
  return runJob(ctx, tr("[Load PS Fonts]"), [&](const char* jobPath) {
    return krmCreatePSFontLoader(fontLoadRecord(ctx, fontFiles).get(),
                                 jobOutputRecord(jobPath, ctx.progress).get());
  });
}

OpResult sendSubmissionFile(const OpContext& ctx, const std::string& path) {
  if (path.empty() || !sdkFileExists(path.c_str()) || sdkIsDirectory(path.c_str())) {
    OpResult r;
    r.kind = OpResult::Kind::Refused;
    r.message = tr("The submission file does not exist.\n\n") + path;
    return r;
  }
  // The file goes as it is, so it must be a regular file of a known size:
  // a device would give a job without end, a FIFO none at all.
  if (sdkFileKindOf(path.c_str(), SdkLinks::kFollow) != SdkFileKind::kRegular) {
    OpResult r;
    r.kind = OpResult::Kind::Refused;
    r.message = tr("Quaymaster cannot read the file.") + "\n\n" + path;
    return r;
  }
  std::string title = tr("[Send Submission File] ") + lastPathComponent(path);
  if (!ctx.jobOutputPath.empty()) {
    OpResult r;
    r.title = title;
    r.jobFile = ctx.jobOutputPath;
    // Copying a file onto itself would empty it.
    const bool copied = !sdkSameFile(path.c_str(), ctx.jobOutputPath.c_str()) &&
                        sdkCopyFile(path.c_str(), ctx.jobOutputPath.c_str());
    r.kind = copied ? OpResult::Kind::Written : OpResult::Kind::Refused;
    if (r.kind == OpResult::Kind::Refused) r.message = tr("Quaymaster cannot write to the file.") + "\n\n" + ctx.jobOutputPath;
    return r;
  }
  return deliverFile(ctx, title, path);
}
