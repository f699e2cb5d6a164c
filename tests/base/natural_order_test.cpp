// Printer names in the order people read them.
#include "base/natural_order.h"

#include <gtest/gtest.h>

TEST(NaturalOrderTest, NumbersByValueLettersWithoutCase) {
  std::vector<std::string> names{
      "Q10", "q2", "Q1", "Q02", "Tessel_10", "Tessel_9", "Q", "Q2a", "Q99999999999999999999", "Q100000000000000000000"};
  sdkNaturalSort(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Q", "Q1", "Q02", "q2", "Q2a", "Q10", "Q99999999999999999999",
                                             "Q100000000000000000000", "Tessel_9", "Tessel_10"}));
  // A strict order: no name is before itself, ties broken by the bytes.
  EXPECT_FALSE(sdkNaturalLess("Q2", "Q2"));
  EXPECT_NE(sdkNaturalLess("Q2", "q2"), sdkNaturalLess("q2", "Q2"));
}
