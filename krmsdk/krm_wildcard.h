// Wildcard matching for the patterns that select printer files, and the
// name comparison of every duplicate test.
//
// When one of the texts holds "*", "?", "[" or "]" it is the pattern (the
// first one when both do) and must match the whole other text: "*" any run,
// "?" any one character, "[a-c]" one character of a set with ranges, "[^..]"
// one character outside it, "\" makes the next pattern character literal.
// Otherwise the texts must be equal. Equal texts match in any case. Unless
// exact, "A".."Z" fold to lower case first.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

class SdkList;

int krmMatchName(const char* a, const char* b, int exact);
int krmMatchName(std::string_view a, std::string_view b, bool exact);
// Index of the first entry that matches text, or -1 (also for a null or
// empty list).
int krmFindInList(const SdkList* list, const char* text, int exact);
// Index of the first entry that is the same name as text, or -1: equal
// once "A".."Z" are folded to lower case. "*", "?", "[" and "]" are
// ordinary characters here ("a[1].frm" and "a1.frm" are two names), since
// names on a Windows disk may hold them.
int krmFindSameName(const SdkList* list, const char* text);
// Names already taken by a job, by krmFindSameName's rule, in constant time
// per name: a project of many thousands of resources is walked once.
class KrmNameSet {
 public:
  // False when the same name is already in the set.
  bool insert(std::string_view name);

 private:
  std::unordered_set<std::string> folded_;
};
// The same for local file paths, by the host's rule for letter case:
// folded on Windows, exact elsewhere ("A.frm" and "a.frm" are two files).
int krmFindSameLocalFile(const SdkList* list, const char* path);
// A pattern that matches exactly name: "*", "?", "[", "]" and "\" quoted.
std::string krmLiteralPattern(std::string_view name);
// True for a pattern that means every file: empty, or made only of "*",
// ".", "/" and "\".
bool krmMeansEverything(std::string_view pattern);
