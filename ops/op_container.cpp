// Send Container page: the submission choice and the printable container.
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"
#include "ops/translate.h"

SubmissionChoices submissionChoices(const OpContext& ctx, const std::string& projectPath) {
  SubmissionChoices choices;
  ProjectListing listing = listProjectResources(ctx, projectPath, true);
  choices.result = listing.result;
  if (choices.result.kind == OpResult::Kind::TempFileFailed) {
    choices.result.message = tr("Quaymaster cannot create the temporary file.");
  } else if (choices.result.kind == OpResult::Kind::Refused) {
    choices.result.message = tr("Quaymaster cannot obtain a list of project resources.");
  }
  for (const ProjectResource& r : listing.resources)
    if (r.type == "sub" || r.type == "frm") choices.names.push_back(r.name);
  return choices;
}

bool keepBoxEnabled(const SendContainerChoice& choice) {
  return choice.embedTessel || choice.resources == ContainerResources::Included;
}

std::unique_ptr<krmPPS> containerRecord(const OpContext& ctx, const SendContainerChoice& choice,
                                        const InterpreterChoice& ic, bool& rangeRefused) {
  rangeRefused = false;
  auto pps = krmNewPPS();
  chooseInterpreter(*pps, ic);
  chooseProjectKind(*pps, choice.projectPath);
  if (ic.includeLUS) pps->krmPPSAddFlags(kKrmPpsImagingModule);
  pps->krmPPSSetSubmissionFile(choice.submission.c_str());
  if (choice.externalSubmission) pps->krmPPSAddFlags(kKrmPpsExternalSubmission);
  if (choice.pageRange) {
    if (pps->krmPPSSetPageRange(2, choice.firstPage, choice.lastPage)) {
      pps->krmPPSAddFlags(kKrmPpsPageRange);
    } else {
      rangeRefused = true;
    }
  }
  if (choice.embedTessel) pps->krmPPSAddFlags(kKrmPpsSelfContained);
  if (choice.resources != ContainerResources::OnPrinter) {
    pps->krmPPSAddFlags(choice.resources == ContainerResources::Included ? kKrmPpsInlineResources
                                                                         : kKrmPpsDeployResources);
    if (choice.noFolderShared) pps->krmPPSAddFlags(kKrmPpsNoFolderShared);
    if (choice.noGlobalShared) pps->krmPPSAddFlags(kKrmPpsNoGlobalShared);
  }
  if (choice.resources == ContainerResources::IncludedAndStored) {
    // The overwrite box is only enabled with this choice.
    if (!choice.noOverwrite) pps->krmPPSAddFlags(kKrmPpsOverwrite);
    if (ctx.statusPage) {
      pps->krmPPSAddFlags(kKrmPpsStatusPage);
      pps->krmPPSSetPrinterName(printerNameFor(ctx).c_str());
    }
  }
  if (keepBoxEnabled(choice) && choice.keepInMemory) pps->krmPPSAddFlags(kKrmPpsResident);
  return pps;
}

OpResult sendContainer(const OpContext& ctx, const SendContainerChoice& choice, const PageRangeQuestion& onBadRange) {
  InterpreterChoice ic = readInterpreterChoice(ctx);
  bool rangeRefused = false;
  auto pps = containerRecord(ctx, choice, ic, rangeRefused);
  if (rangeRefused && !(onBadRange && onBadRange())) {
    OpResult r;
    r.kind = OpResult::Kind::Cancelled;
    return r;
  }
  std::string title = tr("[Send Container] ") + lastPathComponent(choice.projectPath);
  return runJob(ctx, title, [&](const char* jobPath) {
    return krmCreatePrintableContainer(pps.get(), jobOutputRecord(jobPath, ctx.progress).get());
  });
}
