// Wildcard matching used by every duplicate, exclusion and pattern test.
//
// When one of the texts holds "*", "?", "[" or "]" it is the pattern (the
// first one when both do) and must match the whole other text: "*" any run,
// "?" any one character, "[a-c]" one character of a set with ranges, "[^..]"
// one character outside it, "\" makes the next pattern character literal.
// Otherwise the texts must be equal. Equal texts match in any case. Unless
// exact, "A".."Z" fold to lower case first.
#pragma once

#include <string_view>

class SdkList;

int krmMatchName(const char* a, const char* b, int exact);
int krmMatchName(std::string_view a, std::string_view b, bool exact);
// Index of the first entry that matches text, or -1 (also for a null or
// empty list).
int krmFindInList(const SdkList* list, const char* text, int exact);
// True for a pattern that means every file: empty, or made only of "*",
// ".", "/" and "\".
bool krmMeansEverything(std::string_view pattern);
