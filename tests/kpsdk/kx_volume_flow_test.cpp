// Whether the volumes of a set follow on as one tar stream: what is found
// at the cuts, at the end of an entry and after the end of the archive.
#include <gtest/gtest.h>

#include <vector>

#include "archive/tar.h"
#include "kpsdk/kx_volume_flow.h"

namespace {

std::string header(const std::string& name, std::int64_t size) {
  TarHeader h;
  h.name = name;
  h.size = size;
  std::string block(kTarBlock, '\0');
  tarEncodeHeader(h, block.data());
  return block;
}

std::string blocks(int n, char fill = '\0') { return std::string(static_cast<std::size_t>(n) * kTarBlock, fill); }

// 600 bytes of data: one full block and 88 bytes of the next.
std::string entry(char fill) {
  std::string data = blocks(2);
  std::fill(data.begin(), data.begin() + 600, fill);
  return header("a.frm", 600) + data;
}

}  // namespace

TEST(KxVolumeFlow, TellsWhereTheStreamStopsFollowingOn) {
  const std::string end = blocks(2);
  std::string runsOn = entry('a');
  runsOn[kTarBlock + 700] = 'x';
  const struct {
    const char* what;
    std::vector<std::string> volumes;
    long broken;  // 0: the set follows on
    std::string why;
  } cases[] = {
      {"one archive cut twice", {entry('a').substr(0, 700), entry('a').substr(700) + entry('b'), end}, 0, ""},
      {"end blocks across the cut", {entry('a') + blocks(1), blocks(1) + blocks(2)}, 0, ""},
      {"data filling its last block", {header("b.tif", 2 * kTarBlock) + blocks(1, 'a'), blocks(1, 'b') + end}, 0, ""},
      {"data where a header is due", {entry('a'), blocks(1, 'z') + end}, 2,
       "does not follow on from the ones before (no entry header where the entry before ends)"},
      {"not starting with a header", {blocks(1, 'z'), end}, 1,
       "does not start the archive (no entry header where the entry before ends)"},
      {"data past an entry's end", {runsOn, end}, 1,
       "does not start the archive (an entry's data runs on past its end)"},
      {"data after the end", {entry('a') + end, blocks(1, 'z')}, 2,
       "does not follow on from the ones before (data after the end of the archive)"},
      {"a volume after the end", {entry('a') + end, blocks(3)}, 2,
       "does not follow on from the ones before (the archive ended before it)"},
      {"no end", {entry('a'), entry('b')}, 2, "tar: the archive does not end in the last volume"},
  };
  for (const auto& c : cases) {
    KxVolumeFlow flow;
    bool ok = true;
    for (std::size_t v = 0; v < c.volumes.size() && ok; ++v) {
      flow.startVolume(static_cast<long>(v) + 1);
      ok = flow.feed(c.volumes[v].data(), c.volumes[v].size());
    }
    ok = ok && flow.finish();
    EXPECT_EQ(ok, c.broken == 0) << c.what;
    EXPECT_EQ(flow.brokenVolume(), c.broken) << c.what;
    const std::string why = c.why.empty() || c.why.starts_with("tar:") ? c.why : "tar: the volume " + c.why;
    EXPECT_EQ(flow.reason(), why) << c.what;
  }
}
