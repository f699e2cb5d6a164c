// Stub files: any bytes as an interpreter start-up file (legacy SETPPATH
// arrays and KX_PROJECT_PDLTYPE blocks), then the paths derived from them
// for a project.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_util.h"
#include "kpsdk/kx_project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string stub = qmfuzz::writeInput("stub.run", std::string_view(reinterpret_cast<const char*>(data), size));
  std::unique_ptr<KxProject> p = kxProjectNew(stub);
  if (!p) qmfuzz::fail("an existing stub file gives a project");
  p->SetFolderProjectNames("Fold", "Proj");
  for (int scope = 0; scope < 3; ++scope) (void)p->ResolveInScope(scope, "a.ps");
  (void)p->GetLocalDirectories("Fold", "Proj", 0);
  for (int type = 1; type <= 3; ++type) {
    qmfuzz::check(p->GetStubTypePaths(type).size() <= 3, "three stub paths per type at most");
    p->SetProjectType(type);
    if (p->SetProjectPaths("/k/l", "/k/f", "/k/g") == 0 && p->ValidateProjectPaths())
      p->ReconcileProjectPaths(type, static_cast<int>(size % 3));
  }
  // The legacy reader alone, also for typed files.
  p->ParseLegacyStub(stub);
  p->DeriveScopePatterns(0);
  p->DeriveScopePatterns(1);
  return 0;
}
