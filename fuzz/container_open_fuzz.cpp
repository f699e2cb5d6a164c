// Whole containers (zip or tar, chosen by their bytes) opened the ways a
// job and the project tools open them: peeked at, unpacked for
// print-and-forget and removed again, inspected, installed. Everything
// happens in a throw-away root: the stub file's tree (stage/), a sentinel
// folder beside it, the temporary folder and the current folder. Names in
// the container's project file may try anything; the properties are that
// nothing outside stage/kpcpfd/ and stage/tqfc/ changes, that the sentinel
// keeps its bytes, and that print-and-forget removal leaves the
// print-and-forget folder as it found it.
//
// An input that starts with "<" is the project file of a plain KPF tree
// instead (stage/tqfc/Fold/Proj/Proj.kpf), among whose files are links to
// the host file and to devices, FIFOs and, where the system lets a process
// make one, a device node. The tree is checked, packed as a tar container
// the way the command line does it (only when the check passes), and sent
// as a printable container with its resources included. Beyond the
// properties above, neither the container nor the job holds the host
// file's bytes, and a FIFO blocks none of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "archive/archive_handler.h"
#include "fuzz/fuzz_util.h"
#include "kpsdk/kx_project.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krmsdk.h"

namespace {

namespace fs = std::filesystem;

struct Root {
  fs::path dir, stage, stub, sentinel, host, out;
};

// What the host file holds: control bytes, which no name in a project file
// or job text may carry, so the bytes in an output can only be the file's.
constexpr std::string_view kHostBytes = "\x01HOST\x02FILE\x03BYTES\x04";

// Built once per process; TMPDIR points into it.
const Root& root() {
  static const Root r = [] {
    Root out;
    out.dir = qmfuzz::scratch() / "root";
    out.stage = out.dir / "stage";
    out.stub = out.stage / "stub.run";
    out.sentinel = out.dir / "sentinel";
    out.host = out.dir / "host";
    out.out = qmfuzz::scratch() / "out";
    fs::create_directories(out.stage);
    fs::create_directories(out.dir / "tmp");
    fs::create_directories(out.dir / "cwd");
    fs::create_directories(out.out);
    std::ofstream(out.host, std::ios::binary) << kHostBytes;
    krmInitialize();
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
                         name == "sentinel/x" || name == "host";
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
  std::ifstream in(r.host, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text != kHostBytes) qmfuzz::fail("the host file changed");
}

bool holdsHostBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.find(kHostBytes) != std::string::npos;
}

// The plain tree's files: regular ones and every kind a project must not
// read through, under the names the seeds use, in all three scopes.
void plantTree(const Root& r, std::string_view kpf) {
  const fs::path local = r.stage / "tqfc/Fold/Proj";
  const fs::path folder = r.stage / "tqfc/Fold/fshared";
  const fs::path global = r.stage / "tqfc/gshared";
  for (const fs::path& d : {local, folder, global}) fs::create_directories(d);
  std::ofstream(local / "Proj.kpf", std::ios::binary).write(kpf.data(), static_cast<std::streamsize>(kpf.size()));
  std::ofstream(local / "a.frm") << "FORM";
  std::ofstream(local / "A.FRM") << "OTHER FORM";
  std::ofstream(local / "job.ps") << "%!PS\n";
  std::error_code ec;
  fs::create_symlink(r.host, local / "leak.frm", ec);
  fs::create_symlink(r.host, folder / "leak.seg", ec);
  fs::create_symlink(r.host, global / "leak.jpg", ec);
  fs::create_symlink(r.host, local / "leak.ps", ec);
  fs::create_symlink("/dev/zero", local / "zero.frm", ec);
  fs::create_symlink("/dev/zero", global / "zero.jpg", ec);
  fs::create_symlink(r.sentinel, local / "dir.frm", ec);
  mkfifo((local / "fifo.frm").c_str(), 0600);
  mkfifo((global / "fifo.jpg").c_str(), 0600);
  mkfifo((local / "fifo.ps").c_str(), 0600);
  // A device node of /dev/zero's numbers, where the system allows it.
  mknod((local / "device.frm").c_str(), S_IFCHR | 0600, makedev(1, 5));
}

void openPlainTree(const Root& r, std::string_view kpf) {
  plantTree(r, kpf);
  const std::string kpfPath = (r.stage / "tqfc/Fold/Proj/Proj.kpf").string();
  std::error_code ec;
  {
    auto p = kxProjectNew(r.stub.string());
    if (!p) qmfuzz::fail("stub file loads");
    const fs::path kpc = r.out / "out.tar";
    fs::remove(kpc, ec);
    if (!(p->OpenProject(kpfPath) & kKxError) && !(p->CheckResourceFiles(kKrmMaxEmbeddedFileSize) & kKxError)) {
      p->SetArchiveFormat(kArchiveFormatTar);
      p->CreateContainer(kpc.string());
    }
    checkOutside(r, "container create");
    if (holdsHostBytes(kpc)) qmfuzz::fail("the container holds the host file's bytes");
  }
  const fs::path job = r.out / "job.ps";
  fs::remove(job, ec);
  auto pps = krmNewPPS();
  auto vos = krmNewVOS();
  pps->krmPPSSetFlags(kKrmPpsUseStub | kKrmPpsInlineResources);
  pps->krmPPSSetStubPath(r.stub.c_str());
  pps->krmPPSSetProjectFile(kpfPath.c_str());
  pps->krmPPSSetProcessingMode(2002);
  vos->krmVOSSetOutputPath(job.c_str());
  vos->krmVOSSetFlags(0x8000);
  krmCreatePrintableContainer(pps.get(), vos.get());
  checkOutside(r, "printable container");
  if (holdsHostBytes(job)) qmfuzz::fail("the job holds the host file's bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Root& r = root();
  std::error_code ec;
  fs::remove_all(r.stage / "kpcpfd", ec);
  fs::remove_all(r.stage / "tqfc", ec);
  fs::remove_all(r.sentinel, ec);
  plantSentinel(r);
  InCurrentFolder here(r.dir / "cwd");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!bytes.empty() && bytes.front() == '<') {
    openPlainTree(r, bytes);
    return 0;
  }
  const std::string container =
      qmfuzz::writeInput("in.kpc", bytes);

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
