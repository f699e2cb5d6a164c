#include "ops/result_message.h"

#include <gtest/gtest.h>

TEST(ResultMessage, DetailIsAppendedOnlyWhereTheTableSaysSo) {
  EXPECT_EQ(resultMessage(1013, "P"), "No project resources match the selection criteria.");
  EXPECT_EQ(resultMessage(1010, ""), "Quaymaster cannot open the project.");
  EXPECT_EQ(resultMessage(1010, "/x/p.kpf"), "Quaymaster cannot open the project.\n\n/x/p.kpf");
  EXPECT_EQ(resultMessage(1017, "krmPPS.folderName"), "Quaymaster needs more information.\n\nkrmPPS.folderName");
  EXPECT_EQ(resultMessage(1021, "a"), "Quaymaster encounters a problem.");
  EXPECT_EQ(resultMessage(1001, ""), "Quaymaster encounters a problem.");
  EXPECT_EQ(resultMessage(1018, "x"), "Quaymaster cannot convert the local path to the printer path.");
  EXPECT_EQ(resultMessage(1023, "big.tif"), "A file is too large for Quaymaster to process.\n\nbig.tif");
}
