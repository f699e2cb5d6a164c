// Whole containers (zip or tar, chosen by their bytes) opened the ways a
// job and the project tools open them: peeked at, unpacked for
// print-and-forget and removed again, inspected, installed. Everything
// happens in a throw-away root: the stub file's tree (stage/), a sentinel
// folder beside it, the temporary folder and the current folder. Names in
// the container's project file may try anything; the properties are that
// nothing outside stage/kpcpfd/ and stage/tqfc/ changes, that the sentinel
// keeps its bytes, and that print-and-forget removal leaves the
// print-and-forget folder as it found it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "fuzz/fuzz_util.h"
#include "kpsdk/kx_project.h"

namespace {

namespace fs = std::filesystem;

struct Root {
  fs::path dir, stage, stub, sentinel;
};

// Built once per process; TMPDIR points into it.
const Root& root() {
  static const Root r = [] {
    Root out;
    out.dir = qmfuzz::scratch() / "root";
    out.stage = out.dir / "stage";
    out.stub = out.stage / "stub.run";
    out.sentinel = out.dir / "sentinel";
    fs::create_directories(out.stage);
    fs::create_directories(out.dir / "tmp");
    fs::create_directories(out.dir / "cwd");
    const std::string s = out.stage.string();
    std::ofstream(out.stub) << "%!PS\n[\n (" << s << "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" << s
                            << "/tqfc/$$FOLDER./$$PROJECT./)\n (" << s << "/tqfc/$$FOLDER./fshared/)\n (" << s
                            << "/tqfc/gshared/)\n] SETPPATH\n";
    setenv("TMPDIR", (out.dir / "tmp").c_str(), 1);
    return out;
  }();
  return r;
}

// The root's cwd/ is the current folder while an input runs; libFuzzer's
// own relative paths need the one it started in.
class InCurrentFolder {
 public:
  explicit InCurrentFolder(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
  ~InCurrentFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

// The sentinel files: names a hostile project would aim at.
void plantSentinel(const Root& r) {
  fs::create_directories(r.sentinel);
  for (const char* name : {"Proj.kpf", "a.frm", "b.tif", "x"}) std::ofstream(r.sentinel / name) << "sentinel";
}

void checkOutside(const Root& r, const char* when) {
  for (const std::string& name : qmfuzz::listTree(r.dir)) {
    const bool allowed = name == "stage" || name == "stage/stub.run" || name == "stage/kpcpfd" ||
                         name.rfind("stage/kpcpfd/", 0) == 0 || name == "stage/tqfc" ||
                         name.rfind("stage/tqfc/", 0) == 0 || name == "sentinel" || name == "tmp" || name == "cwd" ||
                         name == "sentinel/Proj.kpf" || name == "sentinel/a.frm" || name == "sentinel/b.tif" ||
                         name == "sentinel/x";
    if (!allowed) {
      std::fprintf(stderr, "%s: %s\n", when, name.c_str());
      qmfuzz::fail("a file changed outside the project's folders");
    }
  }
  for (const char* name : {"Proj.kpf", "a.frm", "b.tif", "x"}) {
    std::ifstream in(r.sentinel / name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text != "sentinel") {
      std::fprintf(stderr, "%s: sentinel/%s\n", when, name);
      qmfuzz::fail("a sentinel file changed");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Root& r = root();
  std::error_code ec;
  fs::remove_all(r.stage / "kpcpfd", ec);
  fs::remove_all(r.stage / "tqfc", ec);
  fs::remove_all(r.sentinel, ec);
  plantSentinel(r);
  const std::string container =
      qmfuzz::writeInput("in.kpc", std::string_view(reinterpret_cast<const char*>(data), size));

  InCurrentFolder here(r.dir / "cwd");
  std::string error;
  (void)kpsdkPeekContainerProjectType(error, container);
  checkOutside(r, "peek");

  {
    auto p = kxProjectNew(r.stub.string());
    if (!p) qmfuzz::fail("stub file loads");
    p->OpenContainerPrintAndForget(container);
    checkOutside(r, "print-and-forget");
    p->RemovePrintAndForget();
    checkOutside(r, "removal");
    if (!qmfuzz::listTree(r.stage / "kpcpfd").empty()) qmfuzz::fail("print-and-forget removal left files behind");
  }
  {
    auto p = kxProjectNew(r.stub.string());
    p->InspectContainer(container);
    checkOutside(r, "inspect");
    p->OpenContainer(container);
    checkOutside(r, "install");
  }
  return 0;
}
