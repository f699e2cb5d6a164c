// Project files that are links or special files, submission files without
// a known size, and resources whose names differ only in letter case, as
// the project jobs meet them.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "krm_project_test_util.h"
#include "tests/common/kill_child.h"
#include "tests/common/test_platform.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace krmtest;

namespace {

constexpr const char* kSentinel = "SENTINEL-HOST-BYTES";

}  // namespace

class KrmSpecialFiles : public ProjectJobTest {
 protected:
  int load() { return krmCreateProjectResourceLoader(pps_.get(), vos_.get()); }
  int container() { return krmCreatePrintableContainer(pps_.get(), vos_.get()); }
  std::string local(const std::string& name) const { return scopeDir(0, folder_, project_) + name; }
};

TEST_F(KrmSpecialFiles, ProjectFilesThatAreLinksOrSpecialFilesAreRefusedUnopened) {
  QM_POSIX_ONLY("symbolic links and FIFOs");
#ifndef _WIN32
  const std::string sentinel = dir_ / "outside/host.txt";
  writeFile(sentinel, kSentinel);
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
  };
  const Case kinds[] = {
      {"link to a host file", [&](const std::string& p) { fs::create_symlink(sentinel, p); }},
      {"link to a device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }},
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
  };
  // (uses the resource as) job flags
  const std::pair<const char*, int> jobs[] = {
      {"load", -1}, {"container, resources included", 0x20}, {"container, resources deployed", 0x40}};
  for (const Case& c : kinds) {
    for (const auto& [job, flags] : jobs) {
      SCOPED_TRACE(std::string(c.what) + ", " + job);
      fs::remove_all(dir_ / "tqfc");
      makeProject({{"a.frm", "frm", 0, "FORM A"}, {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}});
      fs::remove(local("a.frm"));
      c.make(local("a.frm"));
      pps_->krmPPSSetFlags(flags < 0 ? 0 : flags);
      std::optional<int> rc = qmtest::childResultWithin([&] { return (flags < 0 ? load() : container()) - 1000; });
      ASSERT_TRUE(rc.has_value()) << "the job hangs";
      EXPECT_EQ(*rc, 12);
      // Run again here for the last message and the output.
      EXPECT_EQ(flags < 0 ? load() : container(), 1012);
      EXPECT_EQ(krmGetLastArgument(), local("a.frm"));
      EXPECT_FALSE(outputExists());
    }
  }

  // A project's submission file that is a link is refused as well; an
  // external one the operator names may be a link to a regular file.
  fs::remove_all(dir_ / "tqfc");
  makeProject({{"a.frm", "frm", 0, "FORM A"}});
  fs::create_symlink(sentinel, local("job.ps"));
  writeFile(kpf_, kpfText(folder_, project_,
                          {{"a.frm", "frm", 0, ""}, {"job.ps", "sub", 0, "", "SubmissionOrder='1'"}}));
  for (int flags : {0, 0x20}) {
    pps_->krmPPSSetFlags(flags);
    EXPECT_EQ(container(), 1012) << flags;
    EXPECT_FALSE(outputExists());
  }
  pps_->krmPPSSetFlags(0x10);
  pps_->krmPPSSetSubmissionFile(local("job.ps").c_str());
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  EXPECT_EQ(output(), kSentinel);
#endif
}

TEST_F(KrmSpecialFiles, ExternalSubmissionMustBeARegularFile) {
  QM_POSIX_ONLY("device files and FIFOs");
#ifndef _WIN32
  makeProject({{"a.frm", "frm", 0, "FORM A"}});
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  // A device gave a job without end; a FIFO blocked the job.
  for (const std::string& external : {std::string("/dev/zero"), dir_ / "fifo"}) {
    for (int flags : {0x10, 0x10 | 0x20}) {
      SCOPED_TRACE(external + " " + std::to_string(flags));
      pps_->krmPPSSetFlags(flags);
      pps_->krmPPSSetSubmissionFile(external.c_str());
      std::optional<int> rc = qmtest::childResultWithin([&] { return container() - 1000; });
      ASSERT_TRUE(rc.has_value()) << "the job does not end";
      EXPECT_EQ(*rc, 12);
    }
  }
  EXPECT_FALSE(outputExists());
#endif
}

TEST_F(KrmSpecialFiles, LetterCaseDuplicateIsLeftOutWithAWarningInTheLog) {
  PrivateWorkingDir cwd;
  krmFinished();
  std::ofstream("krmdebug.log").close();  // the log is written only when it exists
  ASSERT_EQ(krmInitialize(), 1001);
  makeProject({{"a.frm", "frm", 0, "LOCAL"}, {"A.frm", "frm", 2, "GLOBAL"}});
  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  EXPECT_NE(output().find("(tqfc/F/P/a.frm)"), std::string::npos);
  EXPECT_EQ(output().find("A.frm"), std::string::npos);
  const std::string log = readFile("krmdebug.log");
  EXPECT_NE(log.find("WARNING: resource 'A.frm' differs from resource 'a.frm' only in letter case and is not loaded"),
            std::string::npos)
      << log;
}
