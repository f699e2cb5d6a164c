// The KPF reader: any bytes as a project file, read by projects over a
// legacy and over a typed stub file, then written back. Only crashes,
// sanitizer reports and hangs count; every message is a valid outcome.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_util.h"
#include "kpsdk/kx_project.h"

namespace {

struct Stubs {
  std::string legacy, typed;
};

const Stubs& stubs() {
  static const Stubs s = [] {
    std::string root = qmfuzz::scratch().string();
    Stubs out;
    out.legacy = qmfuzz::writeInput("legacy.run",
                                    "%!PS\n[\n (" + root + "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" + root +
                                        "/tqfc/$$FOLDER./$$PROJECT./)\n (" + root + "/tqfc/$$FOLDER./fshared/)\n (" +
                                        root + "/tqfc/gshared/)\n] SETPPATH\n");
    out.typed = qmfuzz::writeInput("typed.run",
                                   "%!PS\n% KX_PROJECT_PDLTYPE: PS\n(/s/ps/$$FOLDER./$$PROJECT./)\n"
                                   "(/s/ps/$$FOLDER./fshared/)\n(/s/ps/gshared/) SETPPATH\n"
                                   "% KX_PROJECT_PDLTYPE: PDF\n(%os%\\C\\pdf\\$$FOLDER.\\$$PROJECT.\\)\n"
                                   "(%os%\\C\\pdf\\$$FOLDER.\\fshared\\)\n(%os%\\C\\pdf\\gshared\\) SETPPATH\n");
    return out;
  }();
  return s;
}

void readWith(const std::string& stub, const std::string& kpf, int mismatchAction) {
  std::unique_ptr<KxProject> p = kxProjectNew(stub);
  if (!p) qmfuzz::fail("stub file loads");
  p->SetPathMismatchAction(mismatchAction);
  p->OpenProject(kpf);
  (void)p->GetInformation2();
  for (int i = 0; i < p->GetResourceCount(); ++i) {
    KxResource* r = p->GetResource(i);
    (void)p->ResolveInScope(r->GetScope(), r->GetName());
    (void)p->GetScopeFlags(r->GetName());
  }
  for (int i = 0; i < p->GetSubmissionFileCount(); ++i) {
    (void)p->GetSubmissionFilePath(i);
    (void)p->GetSubmissionJobTicket(i);
  }
  p->WriteKpf((qmfuzz::scratch() / "out.kpf").string());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string kpf = qmfuzz::writeInput("in.kpf", std::string_view(reinterpret_cast<const char*>(data), size));
  int action = static_cast<int>(size % 3);
  readWith(stubs().legacy, kpf, action);
  readWith(stubs().typed, kpf, action);
  return 0;
}
