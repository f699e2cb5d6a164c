// Load Project Resources page, and the project listing that both project
// pages read.
#include "base/sdk_fs.h"
#include "kpsdk/kx_volumes.h"
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"
#include "ops/result_message.h"
#include "ops/translate.h"

void chooseInterpreter(krmPPS& pps, const InterpreterChoice& ic) {
  if (ic.useBuiltin) {
    pps.krmPPSSetFlags(kKrmPpsUseStub);
    pps.krmPPSSetStubPath(ic.koroStub.c_str());
  } else {
    pps.krmPPSSetKOROPath(ic.koroCore.c_str());
  }
}

void chooseProjectKind(krmPPS& pps, const std::string& projectPath) {
  if (kxIsContainerPath(projectPath)) {
    pps.krmPPSSetContainerFile(projectPath.c_str());
    pps.krmPPSSetProcessingMode(2003);
  } else {
    pps.krmPPSSetProjectFile(projectPath.c_str());
    pps.krmPPSSetProcessingMode(2002);
  }
}

std::unique_ptr<krmPPS> listProjectRecord(const std::string& projectPath, bool includeSubmission,
                                          const InterpreterChoice& ic) {
  auto pps = krmNewPPS();
  chooseInterpreter(*pps, ic);
  chooseProjectKind(*pps, projectPath);
  if (includeSubmission) pps->krmPPSAddFlags(kKrmPpsWithSubmission);
  return pps;
}

std::unique_ptr<krmPPS> loadProjectRecord(const OpContext& ctx, const LoadProjectChoice& choice,
                                          const InterpreterChoice& ic) {
  auto pps = krmNewPPS();
  chooseInterpreter(*pps, ic);
  chooseProjectKind(*pps, choice.projectPath);
  if (ctx.statusPage) {
    pps->krmPPSAddFlags(kKrmPpsStatusPage);
    pps->krmPPSSetPrinterName(printerNameFor(ctx).c_str());
  }
  for (const std::string& name : choice.checkedNames) pps->krmPPSAddResource(name.c_str());
  if (choice.noFolderShared) pps->krmPPSAddFlags(kKrmPpsNoFolderShared);
  if (choice.noGlobalShared) pps->krmPPSAddFlags(kKrmPpsNoGlobalShared);
  if (!choice.noOverwrite) pps->krmPPSAddFlags(kKrmPpsOverwrite);
  return pps;
}

namespace {
// Splits at any of the delimiters, skipping empty pieces.
std::vector<std::string> split(const std::string& text, const char* delimiters) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = text.find_first_of(delimiters, i);
    if (j == std::string::npos) j = text.size();
    if (j > i) out.push_back(text.substr(i, j - i));
    i = j + 1;
  }
  return out;
}
}  // namespace

bool parseListingLine(const std::string& line, ProjectResource& resource) {
  // "type path": the type is the first word; the path is the rest of the
  // line, so that folders with blanks in their names keep them.
  std::size_t typeStart = line.find_first_not_of(' ');
  if (typeStart == std::string::npos) return false;
  std::size_t typeEnd = line.find(' ', typeStart);
  if (typeEnd == std::string::npos) return false;
  std::size_t pathStart = line.find_first_not_of(' ', typeEnd);
  if (pathStart == std::string::npos) return false;
  std::size_t pathEnd = line.find_last_not_of(' ');
  resource.type = line.substr(typeStart, typeEnd - typeStart);
  resource.path = line.substr(pathStart, pathEnd + 1 - pathStart);
  resource.name = lastPathComponent(resource.path);
  return true;
}

ProjectListing listProjectResources(const OpContext& ctx, const std::string& projectPath, bool includeSubmission) {
  ProjectListing listing;
  InterpreterChoice ic = readInterpreterChoice(ctx);
  std::string listFile = createTempJobFile();
  if (listFile.empty()) {
    listing.result.kind = OpResult::Kind::TempFileFailed;
    listing.result.message = tr("Unable to create temporary file.");
    return listing;
  }
  auto pps = listProjectRecord(projectPath, includeSubmission, ic);
  int code = krmListProjectResources(pps.get(), jobOutputRecord(listFile.c_str(), ctx.progress, true).get());
  listing.result.code = code;
  if (code == kKrmCancelled) {
    sdkDeleteFile(listFile.c_str());
    listing.result.kind = OpResult::Kind::Cancelled;
    return listing;
  }
  if (code != kKrmOk) {
    const char* detail = krmGetLastArgument();
    listing.result.kind = OpResult::Kind::JobFailed;
    listing.result.message = resultMessage(code, detail ? detail : "");
    if (dropEmptyJobFile(listFile)) listFile.clear();
    listing.result.jobFile = listFile;
    return listing;
  }
  auto text = sdkReadWholeFile(listFile.c_str());
  sdkDeleteFile(listFile.c_str());
  if (!text) {
    listing.result.kind = OpResult::Kind::Refused;
    listing.result.message = tr("Cannot obtain a list of project resources.");
    return listing;
  }
  for (const std::string& line : split(*text, "\n\r")) {
    ProjectResource r;
    if (parseListingLine(line, r)) listing.resources.push_back(std::move(r));
  }
  listing.result.kind = OpResult::Kind::NothingToDo;
  return listing;
}

std::vector<std::string> letterCaseWarnings(const OpContext& ctx, const std::string& projectPath) {
  std::vector<std::string> warnings;
  std::string file = createTempJobFile();
  if (file.empty()) return warnings;
  auto pps = listProjectRecord(projectPath, false, readInterpreterChoice(ctx));
  const int code = krmListLetterCaseDrops(pps.get(), jobOutputRecord(file.c_str(), {}, true).get());
  auto text = sdkReadWholeFile(file.c_str());
  sdkDeleteFile(file.c_str());
  if (code != kKrmOk || !text) return warnings;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    const std::string line = text->substr(start, end - start);
    start = end + 1;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    warnings.push_back(tr("resource '") + line.substr(0, tab) + tr("' differs from resource '") +
                       line.substr(tab + 1) + tr("' only in letter case and is not loaded"));
  }
  return warnings;
}

OpResult loadProjectResources(const OpContext& ctx, const LoadProjectChoice& choice) {
  InterpreterChoice ic = readInterpreterChoice(ctx);
  std::string title = tr("[Load Project Resources] ") + lastPathComponent(choice.projectPath);
  return runJob(ctx, title, [&](const char* jobPath) {
    auto pps = loadProjectRecord(ctx, choice, ic);
    return krmCreateProjectResourceLoader(pps.get(), jobOutputRecord(jobPath, ctx.progress).get());
  });
}
