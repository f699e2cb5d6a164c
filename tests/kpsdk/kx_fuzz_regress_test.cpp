// Inputs found by fuzzing the KPF reader and the stub-file parsers, kept so
// that the faults they showed stay fixed. The files are in
// tests/data/regress/; each test says what went wrong.
#include <gtest/gtest.h>

#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

const std::string kRegress = std::string(QM_TEST_DATA) + "/regress/";

const char* kTypedStub =
    "%!PS\n% KX_PROJECT_PDLTYPE: PS\n(/s/ps/$$FOLDER./$$PROJECT./)\n(/s/ps/$$FOLDER./fshared/)\n"
    "(/s/ps/gshared/) SETPPATH\n";

std::unique_ptr<KxProject> typedProject(const TempDir& dir) {
  writeFile(dir / "stub.run", kTypedStub);
  return kxProjectNew(dir / "stub.run");
}

}  // namespace

// A PS project whose paths mismatch the stub file: the path check logs an
// ERROR just before a submission file is read. The reader took that ERROR
// for a refusal of the submission file and dropped the resource while the
// submission list still held it; later use of the list read freed memory.
TEST(KxFuzzRegress, SubmissionFileAfterAPathErrorStaysAlive) {
  TempDir dir;
  auto p = typedProject(dir);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->OpenProject(kRegress + "kpf-reader-dropped-submission.kpf") & kKxError, kKxError);
  int subs = 0;
  for (int i = 0; i < p->GetResourceCount(); ++i) subs += p->GetResource(i)->GetType() == "sub";
  ASSERT_EQ(p->GetSubmissionFileCount(), subs);
  for (int i = 0; i < p->GetSubmissionFileCount(); ++i) {
    const std::string path = p->GetSubmissionFilePath(i);
    bool listed = false;
    for (int r = 0; r < p->GetResourceCount(); ++r) listed = listed || p->GetResource(r)->GetPath() == path;
    EXPECT_TRUE(listed) << path;
  }
  p->WriteKpf(dir / "out.kpf");
}
