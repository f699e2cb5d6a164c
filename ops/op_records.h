// The settings records each page fills, apart from running the job, so
// that the flag rules can be checked without a printer.
#pragma once

#include <memory>

#include "krmsdk/krmsdk.h"
#include "ops/operations.h"

// Output settings of every page: the job file, overwriting allowed, and
// the caller's progress when it follows the job (listing: the job writes
// the resource list).
inline std::unique_ptr<krmVOS> jobOutputRecord(const char* jobPath, const OpProgress& progress = {},
                                               bool listing = false) {
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(jobPath);
  vos->krmVOSSetFlags(kKrmFlagOverwrite);
  if (progress) vos->krmVOSSetProgressHook(opJobProgressHook(progress, listing));
  return vos;
}

std::unique_ptr<krmIOS> installRecord(const OpContext& ctx, const InstallChoice& choice, const InterpreterChoice& ic);
std::unique_ptr<krmIOS> startupRecord(const OpContext& ctx, const StartupChoice& choice);

// Interpreter and project kind, shared by the project pages: the built-in
// Tessel means flags 0x8 with the stub path, otherwise the Tessel folder; a
// path ending in a lower-case "c" is a container (mode 2003), anything else
// a project file (mode 2002).
void chooseInterpreter(krmPPS& pps, const InterpreterChoice& ic);
void chooseProjectKind(krmPPS& pps, const std::string& projectPath);

std::unique_ptr<krmPPS> listProjectRecord(const std::string& projectPath, bool includeSubmission,
                                          const InterpreterChoice& ic);
std::unique_ptr<krmPPS> loadProjectRecord(const OpContext& ctx, const LoadProjectChoice& choice,
                                          const InterpreterChoice& ic);
// rangeRefused is set when the page range was given but refused; the
// record then carries no page range.
std::unique_ptr<krmPPS> containerRecord(const OpContext& ctx, const SendContainerChoice& choice,
                                        const InterpreterChoice& ic, bool& rangeRefused);

std::unique_ptr<krmPPS> projectRemoverRecord(const OpContext& ctx, const DeleteChoice& choice);
std::unique_ptr<krmIOS> uninstallRecord(const OpContext& ctx, const DeleteChoice& choice);
std::unique_ptr<krmFOS> listFilesRecord(const OpContext& ctx, const ListChoice& choice);
std::unique_ptr<krmPPS> listProjectFilesRecord(const OpContext& ctx, const ListChoice& choice);

std::unique_ptr<krmFOS> legacyLoadRecord(const OpContext& ctx,
                                         const std::vector<std::pair<std::string, std::string>>& rows);
std::unique_ptr<krmFOS> legacyRemoveRecord(const OpContext& ctx, const std::vector<std::string>& names);
std::unique_ptr<krmFOS> fontLoadRecord(const OpContext& ctx, const std::vector<std::string>& fontFiles);
