#include "base/sdk_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/sdk_pair.h"
#include "base/sdk_tokenizer.h"

namespace {
std::string join(const SdkList& l) {
  std::string s;
  for (int i = 0; i < l.count(); ++i) s += std::string(l.get(i)) + ",";
  return s;
}

struct Counted {
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() { --*alive_; }
  int* alive_;
};
}  // namespace

TEST(SdkList, EmptyListAndInsertionOrder) {
  SdkNodeList<int> core;
  EXPECT_EQ(core.count(), 0);
  EXPECT_EQ(core.nodeAt(0), nullptr);

  SdkList l;
  l.add("a");
  l.add("b");
  l.add("c");
  EXPECT_EQ(l.insert("x", 1), 4);
  EXPECT_EQ(join(l), "a,x,b,c,");
  l.insert("y", 4);
  EXPECT_EQ(join(l), "a,x,b,c,y,");
  l.add("z");
  EXPECT_EQ(join(l), "a,x,b,c,y,z,") << "y was the tail, z links behind it";
  l.insert("h", 0);
  EXPECT_STREQ(l.get(0), "h");
}

TEST(SdkList, TextListCopiesAndRemovesFirstExactMatch) {
  SdkList l;
  std::string text = "b";
  l.add(text.c_str());
  text = "changed";
  EXPECT_STREQ(l.get(0), "b");
  l.add("b");
  l.remove("B");
  EXPECT_EQ(l.count(), 2);
  l.remove("b");
  EXPECT_EQ(l.count(), 1);
  l.remove("b");
  EXPECT_EQ(l.count(), 0);
}

TEST(SdkList, HeadAndTailStayConsistentAfterRemovals) {
  SdkList l;
  for (const char* t : {"a", "b", "c"}) l.add(t);
  l.removeAt(2);  // tail
  l.add("d");
  EXPECT_EQ(join(l), "a,b,d,");
  l.removeAt(0);  // head
  EXPECT_EQ(join(l), "b,d,");
  l.insert("e", 2);
  EXPECT_EQ(join(l), "b,d,e,");
  l.removeAt(1);
  l.removeAt(1);
  l.removeAt(0);
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.get(0), nullptr);
  l.add("f");
  EXPECT_EQ(join(l), "f,");
}

TEST(SdkList, IndexCacheIsRebuiltAfterChanges) {
  SdkList l;
  for (int i = 0; i < 150; ++i) l.add(std::to_string(i));
  EXPECT_STREQ(l.get(120), "120");
  l.add("150");
  EXPECT_STREQ(l.get(150), "150");
  l.insert("new", 0);
  EXPECT_STREQ(l.get(0), "new");
  EXPECT_STREQ(l.get(121), "120");
  l.removeAt(0);
  EXPECT_STREQ(l.get(149), "149");
  EXPECT_STREQ(l.get(10000), "150") << "past the end gives the last element";
}

TEST(SdkList, OwningAndNonOwningObjectLists) {
  int alive = 0;
  {
    SdkObjectList<Counted> owning;
    owning.add(std::make_unique<Counted>(&alive));
    owning.add(std::make_unique<Counted>(&alive));
    EXPECT_EQ(alive, 2);
    owning.removeAt(0);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);

  auto a = std::make_unique<Counted>(&alive);
  auto b = std::make_unique<Counted>(&alive);
  {
    SdkObjectList<Counted> view;
    view.setOwnsElements(0);
    view.addBorrowed(a.get());
    view.addBorrowed(b.get());
    view.remove(a.get());
    EXPECT_EQ(view.count(), 1);
    view.clear();
    view.addBorrowed(a.get());
  }
  EXPECT_EQ(alive, 2) << "a non-owning list leaves its elements intact";

  SdkObjectList<Counted> owning;
  Counted* raw = b.get();
  owning.add(std::move(b));
  auto back = owning.detachAt(0);
  EXPECT_EQ(back.get(), raw);
  EXPECT_EQ(owning.count(), 0);
}

TEST(SdkPair, SettersCopyAndGettersReturnNullWhenUnset) {
  SdkPair p;
  EXPECT_EQ(p.name(), nullptr);
  EXPECT_EQ(p.value(), nullptr);
  p.setName("n");
  p.setValue("v");
  EXPECT_STREQ(p.name(), "n");
  p.release();
  EXPECT_EQ(p.name(), nullptr);
  auto q = sdkPairFromStrings(SdkString("a"), SdkString("b"));
  EXPECT_STREQ(q->value(), "b");
}

TEST(SdkTokenizer, SplitsSkipsLeadingDelimitersAndKeepsEmptyTokens) {
  SdkString t;
  SdkTokenizer tk("a,b", ",");
  tk.nextToken(t);
  EXPECT_STREQ(t.text(), "a");
  SdkString rest;
  tk.remainder(rest);
  EXPECT_STREQ(rest.text(), "b");
  ASSERT_EQ(tk.hasMoreTokens(), 1);
  tk.nextToken(t);
  EXPECT_STREQ(t.text(), "b");
  EXPECT_EQ(tk.hasMoreTokens(), 0);

  tk.reset(",,a", ",");
  tk.nextToken(t);
  EXPECT_STREQ(t.text(), "a");
  EXPECT_EQ(tk.hasMoreTokens(), 0);

  tk.reset("a,,", ",");
  tk.nextToken(t);
  EXPECT_STREQ(t.text(), "a");
  ASSERT_EQ(tk.hasMoreTokens(), 1);
  tk.nextToken(t);
  EXPECT_STREQ(t.text(), "");
  EXPECT_EQ(tk.hasMoreTokens(), 0);

  tk.reset("", ",");
  EXPECT_EQ(tk.hasMoreTokens(), 0);
  tk.nextToken(t);
  EXPECT_STREQ(t.text(), "");

  tk.reset("one two\tthree", " \t");
  std::string all;
  while (tk.hasMoreTokens()) {
    tk.nextToken(t);
    all += t.str() + "|";
  }
  EXPECT_EQ(all, "one|two|three|");
}
