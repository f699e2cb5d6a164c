#include "ops_test_support.h"

#include <cstdlib>

#include "krmsdk/krmsdk.h"
#include "tests/common/test_platform.h"

namespace fs = std::filesystem;

namespace {
// The job library is started once for the whole test program.
class LibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { krmInitialize(); }
  void TearDown() override { krmFinished(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

// The temporary folder variable as the test program found it.
const char* const kOriginalTemp = std::getenv(qmtest::kTempVariable);
const std::string kOriginalTempValue = kOriginalTemp != nullptr ? kOriginalTemp : "";
}  // namespace

void OpsFixture::SetUp() {
  SdkString d;
  ASSERT_EQ(sdkMakeTempDir(d), 1);
  dir_ = d.str();
  fs::create_directories(dir_ + "/tmp");
  qmtest::setEnv(qmtest::kTempVariable, (dir_ + "/tmp").c_str());
  writeConfig("qmRootDir=" + dir_ + "\nuseBuiltin=1\nkoroStub=" + path("stub.ps") + "\n");
  ctx_.configFile = path("quaymaster.ini");
  ctx_.destination = "P1";
  ctx_.send = [this](const std::string& title, const std::string& file, const std::string& dest,
                     const SendWatch& watch) {
    return SendJob(
        spooler_, [this](const std::string&) { return groups_; }, title, file, dest, watch);
  };
}

void OpsFixture::TearDown() {
  if (kOriginalTemp != nullptr) qmtest::setEnv(qmtest::kTempVariable, kOriginalTempValue.c_str());
  else qmtest::unsetEnv(qmtest::kTempVariable);
  fs::remove_all(dir_);
}

void OpsFixture::writeConfig(const std::string& ini) {
  ASSERT_EQ(sdkWriteTextFile(path("quaymaster.ini").c_str(), ini), 1);
}

int OpsFixture::leftoverJobFiles() const {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir_ + "/tmp"))
    if (e.path().filename().string().rfind("krm", 0) == 0) ++n;
  return n;
}
