// Regular-file opening: only regular files open, with their size; folders,
// devices and missing files are told apart and never opened.
#include "base/sdk_file_kind.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/sdk_fs.h"

namespace fs = std::filesystem;

TEST(SdkFileKind, OnlyRegularFilesOpenAndTheirSizeIsTheOpenedOnes) {
  SdkString made;
  ASSERT_EQ(sdkMakeTempDir(made), 1);
  const fs::path dir = made.str();
  std::ofstream(dir / "five.bin", std::ios::binary) << "12345";
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/null";
#endif
  struct Case {
    std::string path;
    SdkFileKind kind;
    std::int64_t size;
  };
  const Case cases[] = {
      {(dir / "five.bin").string(), SdkFileKind::kRegular, 5},
      {dir.string(), SdkFileKind::kDirectory, 0},
      {(dir / "missing").string(), SdkFileKind::kMissing, 0},
      {device, SdkFileKind::kSpecial, 0},
  };
  for (const Case& c : cases) {
    for (SdkLinks links : {SdkLinks::kRefuse, SdkLinks::kFollow}) {
      SCOPED_TRACE(c.path);
      std::int64_t size = -1;
      EXPECT_EQ(sdkFileKindOf(c.path.c_str(), links, &size), c.kind);
      EXPECT_EQ(size, c.size);
      SdkRegularFile f = sdkOpenRegularFile(c.path.c_str(), links);
      EXPECT_EQ(f.kind, c.kind);
      EXPECT_EQ(f.file != nullptr, c.kind == SdkFileKind::kRegular);
      EXPECT_EQ(f.size, c.size);
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
}
