// Reading a printer's inventory answer: untrusted lines that do not read
// count for nothing, the version is the VER file's first line, and an
// answer without its end mark is incomplete.
#include <gtest/gtest.h>

#include "ops/op_inventory.h"

TEST(InventoryAnswer, ReadsWhatIsWellFormedAndNothingElse) {
  const InventoryAnswer full = parseInventoryAnswer(
      "%%[ status: busy ]%%\r\n"
      "QM-VER 54657373656c2031312e300a4275696c74\n"  // "Tessel 11.0\nBuilt"
      "QM-COUNT tqf 19\r\n"
      "QM-COUNT tqfc 3\n"
      "QM-COUNT fonts x1\n"          // not a number
      "QM-COUNT Fonts 4\n"           // not a scope
      "QM-COUNT other 99999999999999999999\n"  // too big
      "QM-COUNT Sys 2\n"
      "QM-DISK 10 20\n"
      "QM-END\n"
      "QM-COUNT other 7\n");         // after the end
  ASSERT_TRUE(full.tesselVersion);
  EXPECT_EQ(*full.tesselVersion, "Tessel 11.0");
  EXPECT_EQ(full.files, (std::array<std::uint64_t, kFileScopeCount>{19, 3, 0, 2, 0}));
  EXPECT_EQ(full.freeBytes, 10u * 1024);
  EXPECT_EQ(full.totalBytes, 20u * 1024);
  EXPECT_TRUE(full.complete);

  const InventoryAnswer cut = parseInventoryAnswer("QM-VER 5g\nQM-COUNT tqf 1");
  EXPECT_FALSE(cut.tesselVersion) << "an odd or non-hex version is no version";
  EXPECT_EQ(cut.files[0], 1u);
  EXPECT_FALSE(cut.complete);
  EXPECT_FALSE(cut.freeBytes);
}
