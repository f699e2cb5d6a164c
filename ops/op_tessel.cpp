// Install Tessel page: install and start-up jobs.
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"
#include "ops/translate.h"

std::unique_ptr<krmIOS> installRecord(const OpContext& ctx, const InstallChoice& choice, const InterpreterChoice& ic) {
  auto ios = krmNewIOS();
  if (ctx.statusPage) {
    ios->krmIOSSetFlags(kKrmIosStatusPage);
    ios->krmIOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  if (ic.useBuiltin) {
    ios->krmIOSAddFlags(kKrmIosBuiltIn);
  } else {
    ios->krmIOSSetKOROPath(ic.koroCore.c_str());
  }
  if (ic.includeLUS) ios->krmIOSAddFlags(kKrmIosImagingModule);
  if (choice.autoStart) ios->krmIOSAddFlags(kKrmIosPowerOnStart);
  // The keep box is only enabled while the power-on box is ticked.
  if (choice.autoStart && choice.keepInMemory) ios->krmIOSAddFlags(kKrmIosDotRun);
  if (choice.errorHandler) ios->krmIOSAddFlags(kKrmIosErrorHandler);
  return ios;
}

std::unique_ptr<krmIOS> startupRecord(const OpContext& ctx, const StartupChoice& choice) {
  auto ios = krmNewIOS();
  if (ctx.statusPage) {
    ios->krmIOSSetFlags(kKrmIosStatusPage);
    ios->krmIOSSetPrinterName(printerNameFor(ctx).c_str());
  }
  if (choice.keepInMemory) ios->krmIOSAddFlags(kKrmIosDotRun);
  return ios;
}

OpResult installTessel(const OpContext& ctx, const InstallChoice& choice) {
  InterpreterChoice ic = readInterpreterChoice(ctx);
  return runJob(ctx, tr("[Install Tessel]"), [&](const char* jobPath) {
    auto ios = installRecord(ctx, choice, ic);
    return krmInstallKORO(ios.get(), jobOutputRecord(jobPath).get());
  });
}

OpResult startupTessel(const OpContext& ctx, const StartupChoice& choice) {
  return runJob(ctx, tr("[Startup Tessel]"), [&](const char* jobPath) {
    auto ios = startupRecord(ctx, choice);
    return krmStartupKORO(ios.get(), jobOutputRecord(jobPath).get());
  });
}
