// Containers that other people send, through every command that opens one:
// names that try to leave their folder change nothing outside it; volume
// sets are read from any of their volumes; bad volume sizes are usage
// errors; project check reports what a load would meet.
#include <algorithm>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "base/sdk_fs.h"
#include "cli_fixture.h"
#include "tests/common/containers.h"

namespace fs = std::filesystem;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST_F(CliFixture, HostileContainersChangeNothingOutsideTheirFolder) {
  QM_NEEDS_PYTHON();
  // The print-and-forget folder is scratch/kpcpfd/FOLDER/PROJECT: a folder
  // name ".." with the project name "victim", or a resource name climbing
  // three levels, would make it the sentinel folder scratch/victim.
  const std::string victim = scratchFile("victim/invoice.frm", "precious");
  scratchFile("victim/keep.txt", "keep");
  const std::string kpf = sdkReadWholeFile(sampleKpf().c_str()).value_or("");
  const std::vector<std::pair<std::string, std::string>> projects = {
      {"names", replaced(replaced(kpf, "<FOLDER_NAME>Demo<", "<FOLDER_NAME>..<"), "<PROJECT_NAME>Invoice<",
                         "<PROJECT_NAME>victim<")},
      {"climb", replaced(kpf, "Name='invoice.frm'", "Name='../../../victim/invoice.frm'")},
  };
  const std::string form = scratchFile("src/invoice.frm", "container form");
  for (const auto& [tag, text] : projects) {
    const std::string kpfFile = scratchFile("src/" + tag + "/Invoice.kpf", text);
    for (const char* ext : {".kpc", ".tar"}) {
      const std::string container = scratch_ + "/src/" + tag + ext;
      qmtest::packContainer(container, {{"Invoice.kpf", kpfFile}, {"invoice.frm", form}, {"main.ps", tree_ + "/tqfc/Demo/Invoice/main.ps"}});
      const std::string job = scratch_ + "/job.ps";
      const std::vector<std::vector<std::string>> refused = {
          {"project", "info", container},
          {"project", "check", container},
          {"list-project", container},
          {"load-project", container, "--output", job},
          {"send-container", container, "--resources", "included", "--output", job},
      };
      for (const auto& args : refused) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 1) << args[0] << " " << container << ": " << r.output;
        EXPECT_FALSE(fs::exists(job)) << args[0];
      }
      // Listing and unpacking read no project names: they work, inside
      // the folder asked for.
      EXPECT_EQ(cli({"container", "list", container}).status, 0);
      CliRun extract = cli({"container", "extract", container, scratch_ + "/out"});
      EXPECT_EQ(extract.status, 0) << extract.output;
      EXPECT_TRUE(fs::exists(scratch_ + "/out/invoice.frm"));
      fs::remove_all(scratch_ + "/out");

      EXPECT_EQ(sdkReadWholeFile(victim.c_str()).value_or("<gone>"), "precious") << tag << ext;
      EXPECT_TRUE(fs::exists(scratch_ + "/victim/keep.txt")) << tag << ext;
      EXPECT_FALSE(fs::exists(scratch_ + "/kpcpfd/Demo")) << tag << ext;
    }
  }
}

TEST_F(CliFixture, VolumeSetsAreReadFromAnyVolume) {
  const std::string kpc = scratch_ + "/vol/Invoice.kpc";
  CliRun create = cli({"container", "create", sampleKpf(), kpc, "--tar", "--volume-size", "1"});
  ASSERT_EQ(create.status, 0) << create.output;
  // What was written is named: the volumes, not the name given.
  EXPECT_FALSE(fs::exists(kpc));
  std::vector<std::string> volumes;
  for (const auto& e : fs::directory_iterator(scratch_ + "/vol")) volumes.push_back(e.path().string());
  std::sort(volumes.begin(), volumes.end());
  ASSERT_GE(volumes.size(), 2u);
  EXPECT_TRUE(contains(create.output, "Container written in " + std::to_string(volumes.size()) + " volumes:"))
      << create.output;
  for (const std::string& v : volumes) EXPECT_TRUE(contains(create.output, "  " + v + "\n")) << create.output;
  EXPECT_FALSE(contains(create.output, "Container written: "));

  for (const std::string& volume : {volumes.front(), volumes.back()}) {
    CliRun info = cli({"project", "info", volume});
    EXPECT_EQ(info.status, 0) << info.output;
    EXPECT_TRUE(contains(info.output, "Demo/Invoice")) << info.output;
    EXPECT_EQ(cli({"project", "check", volume}).status, 0);
    CliRun list = cli({"list-project", volume});
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_TRUE(contains(list.output, "frm ")) << list.output;
    const std::string job = scratch_ + "/job.ps";
    CliRun load = cli({"load-project", volume, "--output", job});
    EXPECT_EQ(load.status, 0) << load.output;
    fs::remove(job);
    CliRun send = cli({"send-container", volume, "--resources", "included", "--output", job});
    EXPECT_EQ(send.status, 0) << send.output;
    fs::remove(job);
    CliRun entries = cli({"container", "list", volume});
    EXPECT_EQ(entries.status, 0) << entries.output;
    EXPECT_TRUE(contains(entries.output, "Invoice.kpf\n")) << entries.output;
    CliRun extract = cli({"container", "extract", volume, scratch_ + "/out"});
    EXPECT_EQ(extract.status, 0) << extract.output;
    bool unpacked = false;  // tar entries keep their folders
    for (const auto& e : fs::recursive_directory_iterator(scratch_ + "/out"))
      unpacked = unpacked || e.path().filename() == "Invoice.kpf";
    EXPECT_TRUE(unpacked);
    fs::remove_all(scratch_ + "/out");
  }
  EXPECT_FALSE(fs::exists(scratch_ + "/kpcpfd/Demo")) << "print-and-forget files are removed";

  // A missing volume is named.
  fs::remove(volumes.back());
  CliRun broken = cli({"project", "info", volumes.front()});
  EXPECT_EQ(broken.status, 1);
  EXPECT_TRUE(contains(broken.output, "Could not find archive file '" + volumes.back() + "'")) << broken.output;
}

TEST_F(CliFixture, VolumesThatDoNotFollowOnAreRefused) {
  const std::string kpc = scratch_ + "/vol/Invoice.kpc";
  ASSERT_EQ(cli({"container", "create", sampleKpf(), kpc, "--tar", "--volume-size", "1"}).status, 0);
  std::vector<std::string> volumes;
  for (const auto& e : fs::directory_iterator(scratch_ + "/vol")) volumes.push_back(e.path().string());
  std::sort(volumes.begin(), volumes.end());
  ASSERT_GE(volumes.size(), 2u);
  const std::string first = sdkReadWholeFile(volumes[0].c_str()).value_or("");
  const std::string second = sdkReadWholeFile(volumes[1].c_str()).value_or("");
  auto put = [](const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; };
  const struct {
    const char* what;
    std::string one, two;
  } cases[] = {{"swapped", second, first}, {"repeated", first, first}};
  for (const auto& c : cases) {
    put(volumes[0], c.one);
    put(volumes[1], c.two);
    CliRun extract = cli({"container", "extract", volumes[0], scratch_ + "/out"});
    EXPECT_EQ(extract.status, 1) << c.what << ": " << extract.output;
    EXPECT_TRUE(contains(extract.output, "Error reading archive volume '" + volumes[c.what[0] == 's' ? 0 : 1] +
                                             "' - reason 'tar: the volume "))
        << c.what << ": " << extract.output;
    EXPECT_FALSE(contains(extract.output, "Minizip")) << extract.output;
    const std::string job = scratch_ + "/job.ps";
    CliRun load = cli({"load-project", volumes[0], "--output", job});
    EXPECT_EQ(load.status, 1) << c.what << ": " << load.output;
    EXPECT_FALSE(fs::exists(scratch_ + "/out/Demo")) << c.what;
    EXPECT_FALSE(fs::exists(job)) << c.what;
  }
}

TEST_F(CliFixture, BadVolumeSizesAreCommandLineErrors) {
  for (const char* size : {"abc", "99999999999", "0", "-1", "1x", ""}) {
    CliRun r = cli({"container", "create", sampleKpf(), scratch_ + "/x.kpc", "--volume-size", size});
    EXPECT_EQ(r.status, 2) << size << ": " << r.output;
    EXPECT_FALSE(contains(r.output, "terminate")) << r.output;
    EXPECT_FALSE(fs::exists(scratch_ + "/x.kpc"));
  }
}

TEST_F(CliFixture, ProjectCheckReportsWhatTheLoadWouldMeet) {
  const std::string dir = tree_ + "/tqfc/Demo/Invoice/";
  std::string kpf = sdkReadWholeFile(sampleKpf().c_str()).value_or("");
  kpf = replaced(kpf, "</RESOURCES>",
                 " <RESOURCE Name='missing.frm' Type='frm' Scope='0'/>\n"
                 " <RESOURCE Name='logo.seg' Type='seg' Scope='2'/>\n</RESOURCES>");
  scratchFile("projects/tqfc/Demo/Invoice/Invoice.kpf", kpf);
  CliRun check = cli({"project", "check", sampleKpf()});
  EXPECT_EQ(check.status, 1) << check.output;
  EXPECT_TRUE(contains(check.output, "Could not find the resource '" + dir + "missing.frm'")) << check.output;
  EXPECT_TRUE(contains(check.output, "The Project already contains an element named 'logo.seg'")) << check.output;
  EXPECT_FALSE(contains(check.output, "no errors"));

  // A name that climbs out of the project.
  kpf = replaced(kpf, "Name='missing.frm'", "Name='../../../../../../etc/hostname'");
  scratchFile("projects/tqfc/Demo/Invoice/Invoice.kpf", kpf);
  check = cli({"project", "check", sampleKpf()});
  EXPECT_EQ(check.status, 1) << check.output;
  EXPECT_TRUE(contains(check.output, "is not a plain name inside the project's folders")) << check.output;
  CliRun load = cli({"load-project", sampleKpf(), "--output", scratch_ + "/job.ps"});
  EXPECT_EQ(load.status, 1) << load.output;
  EXPECT_FALSE(fs::exists(scratch_ + "/job.ps"));
}

TEST_F(CliFixture, ContainerExtractKeepsHostileEntriesInsideTheTarget) {
  QM_NEEDS_PYTHON();
  // Entries that climb out of the target would land on the sentinel
  // scratch/victim/invoice.frm or beside the target.
  const std::string victim = scratchFile("victim/invoice.frm", "precious");
  const std::string form = scratchFile("src/evil.frm", "hostile bytes");
  const std::string plain = scratchFile("src/plain.frm", "plain");
  for (const char* ext : {".kpc", ".tar"}) {
    const std::string container = scratch_ + "/src/hostile" + ext;
    qmtest::packContainer(container, {{"plain.frm", plain},
                                      {"../victim/invoice.frm", form},
                                      {"../beside.frm", form}});
    const std::string out = scratch_ + "/out";
    for (const bool force : {false, true}) {
      std::vector<std::string> args{"container", "extract", container, out};
      if (force) args.push_back("--force");
      CliRun r = cli(args);
      EXPECT_EQ(sdkReadWholeFile(victim.c_str()).value_or("<gone>"), "precious") << ext << " " << r.output;
      EXPECT_FALSE(fs::exists(scratch_ + "/beside.frm")) << ext;
      EXPECT_FALSE(fs::exists(scratch_ + "/victim/beside.frm")) << ext;
      EXPECT_EQ(r.status, 1) << ext << ": a container with climbing entries is refused";
      // Nothing of it lies outside the target: the sentinel folder holds
      // only the sentinel.
      EXPECT_EQ(std::distance(fs::directory_iterator(scratch_ + "/victim"), fs::directory_iterator()), 1) << ext;
    }
    fs::remove_all(out);
  }
}

TEST_F(CliFixture, CommandsThatReadAContainerUnpackOnlyWhatTheyUse) {
#ifdef _WIN32
  GTEST_SKIP() << "limits the size of the files the command writes with RLIMIT_FSIZE, which Windows lacks";
#else
  QM_NEEDS_PYTHON();
  // The sample project's container with four entries the project does not
  // name, 8 MiB of zeros each (a few KiB packed), and a copy without the
  // project's invoice.frm.
  const std::string kpc = scratch_ + "/Invoice.kpc", big = scratch_ + "/big.kpc", lacking = scratch_ + "/lacking.kpc";
  ASSERT_EQ(cli({"container", "create", sampleKpf(), kpc}).status, 0);
  const std::string script =
      "import sys, zipfile\n"
      "src = zipfile.ZipFile(sys.argv[1])\n"
      "big = zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED)\n"
      "lacking = zipfile.ZipFile(sys.argv[3], 'w', zipfile.ZIP_DEFLATED)\n"
      "for n in src.namelist():\n"
      "    big.writestr(n, src.read(n))\n"
      "    if not n.endswith('invoice.frm'): lacking.writestr(n, src.read(n))\n"
      "for n in range(4): big.writestr('Demo/Invoice/filler%d.bin' % n, bytes(8 << 20))\n"
      "big.close(); lacking.close()\n";
  const std::string py = scratchFile("pack.py", script);
  ASSERT_EQ(std::system(("python3 '" + py + "' '" + kpc + "' '" + big + "' '" + lacking + "'").c_str()), 0);

  // No file the commands write may pass 1 MiB (the kernel stops the
  // process), and the temporary folder is a private one.
  const std::string tmp = scratch_ + "/tmp";
  fs::create_directories(tmp);
  qmtest::TempDirVariable tmpdir(tmp);
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 1 << 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::vector<std::vector<std::string>> runs = {{"project", "info", big},
                                                      {"project", "check", big},
                                                      {"list-project", big},
                                                      {"container", "list", big},
                                                      {"load-project", big, "--output", scratch_ + "/job.ps"}};
  std::vector<CliRun> results;
  for (const auto& args : runs) results.push_back(cli(args));
  setrlimit(RLIMIT_FSIZE, &old);
  for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(results[i].status, 0) << runs[i][0] << ": " << results[i].output;
  EXPECT_TRUE(contains(results[2].output, "frm ")) << results[2].output;
  EXPECT_TRUE(qmtest::treeBelow(tmp).empty());
  EXPECT_FALSE(fs::exists(scratch_ + "/kpcpfd/Demo"));

  // Read from the headers, a resource without its entry is still found out.
  CliRun check = cli({"project", "check", lacking});
  EXPECT_EQ(check.status, 1) << check.output;
  EXPECT_TRUE(contains(check.output, "Could not find the resource 'invoice.frm'")) << check.output;
#endif
}

TEST_F(CliFixture, ContainersWithEntriesLandingOnOneFileAreRefusedByEveryCommand) {
  QM_NEEDS_PYTHON();
  const std::string kpfFile = sampleKpf();
  const std::string first = scratchFile("src/first.frm", "first");
  const std::string second = scratchFile("src/second.frm", "second");
  const std::vector<std::vector<std::pair<std::string, std::string>>> cases = {
      {{"Invoice.kpf", kpfFile}, {"Invoice.kpf", kpfFile}, {"invoice.frm", first}},
      {{"Invoice.kpf", kpfFile}, {"invoice.frm", first}, {"INVOICE.FRM", second}},
      {{"Invoice.kpf", kpfFile}, {"a/invoice.frm", first}, {"a\\invoice.frm", second}},
  };
  for (const auto& entries : cases) {
    for (const char* ext : {".kpc", ".tar"}) {
      // A tar container goes by ".kpc" too: the commands sniff its bytes.
      const std::string packed = scratch_ + "/src/clash" + ext;
      qmtest::packContainer(packed, entries);
      const std::string container = scratch_ + "/src/clash_" + (ext + 1) + ".kpc";
      fs::rename(packed, container);
      const std::string label = entries[2].first + ext;
      for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
               {"project", "info", container},
               {"container", "list", container},
               {"container", "extract", container, scratch_ + "/out"}}) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 1) << label << " " << args[1] << ": " << r.output;
        EXPECT_TRUE(contains(r.output, "lands on the same file as")) << label << ": " << r.output;
      }
      EXPECT_FALSE(fs::exists(scratch_ + "/out/invoice.frm")) << label;
    }
  }
}

TEST_F(CliFixture, ContainerListShowsZip64Sizes) {
  QM_NEEDS_PYTHON();
  // One entry that claims 5 GB in the Zip64 field of the directory.
  const std::string container = scratch_ + "/big.kpc";
  const std::string script = scratchFile("mk.py",
      "import struct, sys, zlib\n"
      "name, data = b'big.bin', b'x' * 10\n"
      "crc, size = zlib.crc32(data), 5000000000\n"
      "extra = struct.pack('<HHQQ', 1, 16, size, len(data))\n"
      "local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 45, 0, 0, 0, 0, crc, 0xFFFFFFFF, 0xFFFFFFFF, len(name),"
      " len(extra)) + name + extra\n"
      "central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 45, 45, 0, 0, 0, 0, crc, 0xFFFFFFFF, 0xFFFFFFFF,"
      " len(name), len(extra), 0, 0, 0, 0, 0) + name + extra\n"
      "end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(central), len(local) + len(data), 0)\n"
      "open(sys.argv[1], 'wb').write(local + data + central + end)\n");
  ASSERT_EQ(std::system(("python3 '" + script + "' '" + container + "'").c_str()), 0);
  CliRun r = cli({"container", "list", "--json", container});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r.output, "\"size\": 5000000000")) << r.output;
}

TEST_F(CliFixture, ContainerExtractRefusesSmallEntriesThatInflateTooFar) {
  QM_NEEDS_PYTHON();
  // 2 MiB of zeros deflate about a thousand times: far below the size
  // where the ratio was checked before, and refused now.
  const std::string zeros = scratchFile("src/zeros.bin", std::string(2 << 20, '\0'));
  const std::string container = scratch_ + "/src/zeros.kpc";
  qmtest::packContainer(container, {{"Invoice.kpf", sampleKpf()}, {"zeros.bin", zeros}});
  CliRun r = cli({"container", "extract", container, scratch_ + "/out"});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(contains(r.output, "zeros.bin, reason: entry inflates more than 250 times")) << r.output;
  EXPECT_FALSE(fs::exists(scratch_ + "/out/zeros.bin"));
}

TEST_F(CliFixture, OperandsThatAreFilesAreNeverSplitAtTheirEquals) {
  // A received tree: a payload "a" and decoys whose names read like
  // FILE=PRINTER-NAME operands of it, as a recursive glob hands them over.
  const std::string payload = scratchFile("recv/a", "payload");
  const std::string decoy = scratchFile("recv/a=Sys/Start", "decoy");
  const std::string flat = scratchFile("recv/a=tqf", "flat decoy");
  // A file of one's own whose name holds "=" can still be named.
  const std::string own = scratchFile("recv/c=d.frm", "own");
  const std::string job = scratch_ + "/job.ps";
  CliRun load = cli({"load-files", payload, decoy, flat, own + "=tqfc/formlib/cd.frm", "-o", job});
  ASSERT_EQ(load.status, 0) << load.output;
  const std::string text = sdkReadWholeFile(job.c_str()).value_or("");
  // Transfer commands: "0 (target) (printer) ...".
  for (const char* target :
       {"0 (tqfc/mislib/a) (", "0 (tqfc/mislib/Start) (", "0 (tqfc/mislib/a=tqf) (", "0 (tqfc/formlib/cd.frm) ("})
    EXPECT_TRUE(contains(text, target)) << target;
  EXPECT_FALSE(contains(text, "0 (Sys/Start) ("));
  EXPECT_FALSE(contains(text, "0 (tqf) ("));

  // FILE=NAME still names an operand that is no file; the printer's own
  // names take --allow-system-names, and a font may go among the fonts.
  fs::remove(job);
  const std::string other = scratchFile("recv/b", "payload");
  EXPECT_EQ(cli({"load-files", other + "=Sys/Start", "-o", job}).status, 2);
  EXPECT_FALSE(fs::exists(job));
  CliRun allowed = cli({"load-files", other + "=Sys/Start", "--allow-system-names", "-o", job});
  ASSERT_EQ(allowed.status, 0) << allowed.output;
  EXPECT_TRUE(contains(sdkReadWholeFile(job.c_str()).value_or(""), "0 (Sys/Start) ("));
  const std::string font = scratchFile("QmFont.pfa", "%!PS-AdobeFont-1.0: QmFont\n/FontName /QmFont def\n");
  CliRun fontFile = cli({"load-files", font + "=fonts/QmFont", "-o", job});
  EXPECT_EQ(fontFile.status, 0) << fontFile.output;
}
