// "Did you mean ...?": the known names closest to a mistyped one.
#pragma once

#include <string>
#include <vector>

// Up to three candidates within a few typing mistakes of name (letter case
// ignored), closest first; candidates that start with name count too.
std::vector<std::string> closestNames(const std::string& name, const std::vector<std::string>& candidates);

// "; did you mean 'a' or 'b'?", or empty when nothing is close.
std::string didYouMean(const std::string& name, const std::vector<std::string>& candidates);
