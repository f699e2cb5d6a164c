// Files a project names that are links or special files, operator files of
// no known size, resources too large to pack, and names differing only in
// letter case, through the commands that read them. Every run is bounded: a
// FIFO used to block them for ever. POSIX only, as the private scheduler
// the fixture needs is (and FIFOs are).
#ifndef _WIN32
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "base/sdk_fs.h"
#include "cli_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSentinel = "SENTINEL-HOST-BYTES";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string withResource(std::string kpf, const std::string& element) {
  kpf.insert(kpf.find("</RESOURCES>"), element + "\n");
  return kpf;
}

class CliSpecialFiles : public CliFixture {
 protected:
  // The command under timeout(1): a hang shows as status 124.
  CliRun bounded(std::vector<std::string> args) {
    std::vector<std::string> argv{"timeout", "60", QM_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"--config", config_});
    CliRun r;
    r.status = runProgram(argv, r.output);
    return r;
  }
  std::string local(const std::string& name) const { return tree_ + "/tqfc/Demo/Invoice/" + name; }
  void addResource(const std::string& element) {
    const std::string kpf = sdkReadWholeFile(sampleKpf().c_str()).value_or("");
    scratchFile("projects/tqfc/Demo/Invoice/Invoice.kpf", withResource(kpf, element));
  }
};

}  // namespace

TEST_F(CliSpecialFiles, ProjectFilesThatAreLinksOrFifosReachNoJobAndNoContainer) {
  const std::string sentinel = scratchFile("outside/host.txt", kSentinel);
  addResource(" <RESOURCE Name='leak.frm' Type='frm' Scope='0'/>");
  const std::string job = scratch_ + "/job.ps";
  const std::string kpc = scratch_ + "/out.kpc";
  for (const char* kind : {"link", "fifo"}) {
    SCOPED_TRACE(kind);
    fs::remove(local("leak.frm"));
    if (std::string(kind) == "link") {
      fs::create_symlink(sentinel, local("leak.frm"));
    } else {
      ASSERT_EQ(mkfifo(local("leak.frm").c_str(), 0600), 0);
    }
    CliRun check = bounded({"project", "check", sampleKpf()});
    EXPECT_EQ(check.status, 1) << check.output;
    EXPECT_TRUE(contains(check.output, "'" + local("leak.frm") + "' is a link or a special file")) << check.output;
    const std::vector<std::vector<std::string>> refused = {
        {"load-project", sampleKpf(), "--output", job},
        {"send-container", sampleKpf(), "--resources", "included", "--output", job},
        {"send-container", sampleKpf(), "--resources", "deploy", "--output", job},
        {"container", "create", sampleKpf(), kpc},
    };
    for (const auto& args : refused) {
      CliRun r = bounded(args);
      EXPECT_EQ(r.status, 1) << args[0] << ": " << r.output;
      EXPECT_FALSE(contains(r.output, kSentinel)) << args[0];
      EXPECT_FALSE(fs::exists(job)) << args[0];
      EXPECT_FALSE(fs::exists(kpc)) << args[0];
    }
  }
}

TEST_F(CliSpecialFiles, OperatorFilesMustBeRegularFilesOfAKnownSize) {
  ASSERT_EQ(mkfifo((scratch_ + "/fifo").c_str(), 0600), 0);
  const std::string job = scratch_ + "/job.ps";
  for (const std::string& file : {std::string("/dev/zero"), scratch_ + "/fifo"}) {
    const std::vector<std::vector<std::string>> refused = {
        {"send-container", sampleKpf(), "--external", file, "--output", job},
        {"send-container", sampleKpf(), "--external", file, "--resources", "included", "--output", job},
        {"load-files", file, "--output", job},
        {"load-fonts", file, "--output", job},
        {"send-file", file, "--output", job},
    };
    for (const auto& args : refused) {
      CliRun r = bounded(args);
      EXPECT_EQ(r.status, 1) << args[0] << " " << file << ": " << r.output;
      EXPECT_FALSE(fs::exists(job)) << args[0] << " " << file;
    }
  }
  // A link the operator names to a regular file is the operator's choice.
  fs::create_symlink(tree_ + "/tqfc/Demo/Invoice/main.ps", scratch_ + "/linked.ps");
  CliRun linked = bounded({"send-container", sampleKpf(), "--external", scratch_ + "/linked.ps", "--output", job});
  EXPECT_EQ(linked.status, 0) << linked.output;
}

TEST_F(CliSpecialFiles, ContainerCreateRefusesAResourceTooLargeToLoadUpFront) {
  addResource(" <RESOURCE Name='big.frm' Type='frm' Scope='0'/>");
  {
    std::ofstream(local("big.frm")).close();
  }
  fs::resize_file(local("big.frm"), 20LL << 30);  // sparse
  CliRun r = bounded({"container", "create", sampleKpf(), scratch_ + "/out.kpc"});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(contains(r.output, "Resource file '" + local("big.frm") + "' is too large to load")) << r.output;
  EXPECT_FALSE(fs::exists(scratch_ + "/out.kpc"));
}

TEST_F(CliSpecialFiles, NamesDifferingOnlyInLetterCaseAreReportedByCheck) {
  // The sample's invoice.frm is local; a global INVOICE.frm is left out.
  scratchFile("projects/tqfc/gshared/INVOICE.frm", "GLOBAL FORM");
  addResource(" <RESOURCE Name='INVOICE.frm' Type='frm' Scope='2'/>");
  CliRun check = bounded({"project", "check", sampleKpf()});
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_TRUE(contains(check.output,
                       "WARNING: Resource 'INVOICE.frm' differs from resource 'invoice.frm' only in letter case"))
      << check.output;
  CliRun load = bounded({"load-project", sampleKpf(), "--output", scratch_ + "/job.ps"});
  ASSERT_EQ(load.status, 0) << load.output;
  EXPECT_TRUE(contains(load.output, "WARNING: resource 'INVOICE.frm' differs from resource 'invoice.frm' only in "
                                    "letter case and is not loaded"))
      << load.output;
  const std::string job = sdkReadWholeFile((scratch_ + "/job.ps").c_str()).value_or("");
  EXPECT_TRUE(contains(job, "(tqfc/Demo/Invoice/invoice.frm)"));
  EXPECT_FALSE(contains(job, "INVOICE.frm"));
}

#endif  // _WIN32
