// DOS EPS binary header and preview removal, whole-buffer and by ranges.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_eps.h"

namespace {

void putLe32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Header, PostScript section, then the previews in the given order.
std::string epsFile(const std::string& ps, const std::string& wmf, const std::string& tiff) {
  std::string s(30, '\0');
  s[0] = '\xC5';
  s[1] = '\xD0';
  s[2] = '\xD3';
  s[3] = '\xC6';
  putLe32(s, 4, 30);
  putLe32(s, 8, static_cast<std::uint32_t>(ps.size()));
  std::uint32_t at = 30 + static_cast<std::uint32_t>(ps.size());
  putLe32(s, 12, wmf.empty() ? 0 : at);
  putLe32(s, 16, static_cast<std::uint32_t>(wmf.size()));
  putLe32(s, 20, tiff.empty() ? 0 : at + static_cast<std::uint32_t>(wmf.size()));
  putLe32(s, 24, static_cast<std::uint32_t>(tiff.size()));
  return s + ps + wmf + tiff;
}

}  // namespace

TEST(KrmEps, RemovesHeaderAndOnePreview) {
  std::string ps = "%!PS-Adobe-3.0 EPSF-3.0\n0 0 moveto\n";
  std::string tiffOnly = epsFile(ps, "", std::string(100, 'T'));
  auto out = krmProcessEPS(tiffOnly.data(), tiffOnly.size());
  ASSERT_TRUE(out);
  EXPECT_EQ(*out, ps);
  EXPECT_EQ(out->size(), tiffOnly.size() - 30 - 100);

  // With both previews the WMF one goes and the TIFF stays.
  std::string both = epsFile(ps, std::string(50, 'W'), std::string(20, 'T'));
  out = krmProcessEPS(both.data(), both.size());
  ASSERT_TRUE(out);
  EXPECT_EQ(*out, ps + std::string(20, 'T'));

  std::string plain = "%!PS\n";
  EXPECT_FALSE(krmProcessEPS(plain.data(), plain.size()));
  // Magic without a whole header is not an EPS binary file.
  EXPECT_FALSE(krmProcessEPS(tiffOnly.data(), 20));
}

TEST(KrmEps, HostileOffsetsStayInsideTheFile) {
  std::string s = epsFile("%!PS\n", "", std::string(10, 'T'));
  putLe32(s, 20, 0xFFFFFFF0u);  // TIFF far behind the end
  putLe32(s, 24, 0x7FFFFFFFu);
  auto out = krmProcessEPS(s.data(), s.size());
  ASSERT_TRUE(out);
  EXPECT_EQ(*out, s.substr(30));
  putLe32(s, 20, 2);  // preview overlapping the header
  putLe32(s, 24, 31);
  out = krmProcessEPS(s.data(), s.size());
  ASSERT_TRUE(out);
  EXPECT_EQ(*out, s.substr(33));
}

TEST(KrmEps, RangeFormCutsAcrossRanges) {
  std::string ps(200, 'P');
  std::string file = epsFile(ps, "", std::string(64, 'T'));
  // The same stream split into uneven ranges of a file.
  KrmRanges ranges = {{0, 7}, {7, 40}, {47, static_cast<std::int64_t>(file.size()) - 47}};
  KrmRanges kept = krmProcessEPSRanges(ranges, reinterpret_cast<const unsigned char*>(file.data()), 30);
  std::string joined;
  for (const KrmRange& r : kept) joined += file.substr(r.offset, r.length);
  EXPECT_EQ(joined, ps);
  EXPECT_EQ(krmRangesSize(krmCutRanges({{10, 5}, {100, 5}}, 3, 4)), 6);
}
