// Orders names the way people read them: runs of digits compare by their
// value, so "Q2" comes before "Q10"; everything else compares byte by byte
// after ASCII lower-casing, and names that still tie keep a fixed order by
// their bytes. Used for printer names in lists an operator scans by eye.
#pragma once

#include <string>
#include <string_view>
#include <vector>

bool sdkNaturalLess(std::string_view a, std::string_view b);

// Sorts names in that order; equal names keep their relative order.
void sdkNaturalSort(std::vector<std::string>& names);
