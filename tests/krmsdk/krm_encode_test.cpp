// Hexadecimal and ASCII85 encoders: fixed vectors, the line rules, the
// incremental encoders against the whole-buffer ones, and Ghostscript's own
// decoders and Python's a85encode as independent references.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "krm_test_util.h"
#include "krmsdk/krm_encode.h"

using namespace krmtest;

namespace {

std::string a85(const std::string& s) { return krmConvertToAscii85(s.data(), s.size(), 0, 512); }
std::string hex(const std::string& s) { return krmConvertToHex(s.data(), s.size(), 0, 512); }

std::string randomBytes(std::size_t n, unsigned seed, bool withZeroRuns = true) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(rng() & 0xFF);
  // Zero groups exercise "z", also at odd offsets.
  if (withZeroRuns && n > 40)
    for (std::size_t i = 7; i < 23 && i < n; ++i) s[i] = '\0';
  return s;
}

// Feeds the encoder in pieces of varying size.
template <class Encoder>
std::string incremental(const std::string& data, unsigned seed) {
  Encoder enc;
  std::string out;
  std::mt19937 rng(seed);
  std::size_t at = 0;
  while (at < data.size()) {
    std::size_t n = std::min<std::size_t>(data.size() - at, rng() % 700);
    enc.encode(reinterpret_cast<const unsigned char*>(data.data()) + at, n, out);
    at += n;
  }
  enc.finish(out);
  return out;
}

int run(const std::string& command) { return std::system(command.c_str()); }

}  // namespace

TEST(KrmEncode, HexRules) {
  EXPECT_EQ(hex(std::string("\x00\xFF", 2)), "00FF");
  std::string digits = hex(std::string(513, '\xAB'));
  EXPECT_EQ(digits.size(), 1024u + 1 + 2);
  EXPECT_EQ(digits[1024], '\n');
  EXPECT_EQ(digits.substr(1025), "AB");
  // Exactly one line: no break after the last byte.
  EXPECT_EQ(hex(std::string(512, '\x01')).find('\n'), std::string::npos);
  // Groups wrap in angle brackets.
  EXPECT_EQ(krmConvertToHex("\x01\x02\x03", 3, 2, 0), "<0102>\n<03>");
  EXPECT_EQ(krmConvertToHex("\x01\x02", 2, 0, 1), "01\n02");
  EXPECT_EQ(hex(""), "");
}

TEST(KrmEncode, Ascii85Vectors) {
  EXPECT_EQ(a85(std::string(4, '\0')), "z~>\n");
  EXPECT_EQ(a85(std::string(1, '\0')), "!!~>\n");
  EXPECT_EQ(a85("Man "), "9jqo^~>\n");
  EXPECT_EQ(a85("Ma"), "9jn~>\n");
  EXPECT_EQ(a85(""), "~>\n");
  // A partial group of zeros is never "z".
  EXPECT_EQ(a85(std::string(7, '\0')), "z!!!!~>\n");
  // 512 non-zero bytes: one full line, its break, then the end mark.
  std::string line = a85(std::string(512, '\x41'));
  ASSERT_EQ(line.size(), 640u + 1 + 3);
  EXPECT_EQ(line.substr(640), "\n~>\n");
  // "z" groups count towards the 128 groups of a line.
  std::string zeros = a85(std::string(516, '\0'));
  EXPECT_EQ(zeros, std::string(128, 'z') + "\nz~>\n");
  // With blocks: "<~" opens, "~>\n<~" separates, "~>\n" closes.
  EXPECT_EQ(krmConvertToAscii85("Man Man ", 8, 4, 4), "<~9jqo^~>\n<~9jqo^~>\n");
}

TEST(KrmEncode, IncrementalEncodersMatchWholeBuffer) {
  for (std::size_t n : {0u, 1u, 3u, 4u, 5u, 511u, 512u, 513u, 1024u, 2047u, 5000u, 70001u}) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
      std::string data = randomBytes(n, seed);
      EXPECT_EQ(incremental<KrmAscii85Encoder>(data, seed), a85(data)) << n;
      EXPECT_EQ(incremental<KrmHexEncoder>(data, seed), hex(data)) << n;
    }
  }
  std::string zeros(4096, '\0');
  EXPECT_EQ(incremental<KrmAscii85Encoder>(zeros, 9), a85(zeros));
}

// Ghostscript decodes our ASCII85 and hexadecimal text back to the input,
// byte for byte, for many sizes.
TEST(KrmEncode, GhostscriptDecodesRoundTrip) {
  if (run("gs --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "Ghostscript missing";
  ScratchDir dir;
  std::vector<std::size_t> sizes;
  for (std::size_t n = 0; n <= 2000; n += (n < 40 ? 1 : 37)) sizes.push_back(n);
  sizes.push_back(65536 + 3);
  sizes.push_back(1000003);
  // One Ghostscript run decodes every file: list of (encoded, decoded).
  std::string program = "/decode { % in out filtername\n"
                        "  3 1 roll (w) file exch (r) file 3 -1 roll filter\n"
                        "  { dup 4096 string readstring exch 3 index exch writestring not { exit } if } loop\n"
                        "  closefile closefile } def\n";
  for (std::size_t n : sizes) {
    std::string data = randomBytes(n, static_cast<unsigned>(n) + 17);
    std::string base = dir / ("d" + std::to_string(n));
    writeFile(base + ".bin", data);
    writeFile(base + ".a85", a85(data));
    writeFile(base + ".hex", hex(data) + ">");
    program += "(" + base + ".a85) (" + base + ".a85.out) /ASCII85Decode decode\n";
    program += "(" + base + ".hex) (" + base + ".hex.out) /ASCIIHexDecode decode\n";
  }
  writeFile(dir / "decode.ps", program + "quit\n");
  ASSERT_EQ(run("gs -q -dNODISPLAY -dSAFER -dBATCH -dNOPAUSE --permit-file-all=" + dir.path() + "/ " +
                dir / "decode.ps"),
            0);
  for (std::size_t n : sizes) {
    std::string base = dir / ("d" + std::to_string(n));
    std::string data = readFile(base + ".bin");
    EXPECT_EQ(readFile(base + ".a85.out"), data) << "ASCII85, " << n << " bytes";
    EXPECT_EQ(readFile(base + ".hex.out"), data) << "hex, " << n << " bytes";
  }
}

// Python's a85encode gives the same characters once our line breaks and
// end mark are taken away.
TEST(KrmEncode, AgreesWithPythonA85) {
  if (run("python3 -c 'import base64' > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 missing";
  ScratchDir dir;
  std::string script = "import base64,sys\n"
                       "for p in sys.argv[1:]:\n"
                       "    d=open(p,'rb').read()\n"
                       "    open(p+'.py','wb').write(base64.a85encode(d))\n";
  writeFile(dir / "enc.py", script);
  std::string args;
  std::vector<std::size_t> sizes = {0, 1, 2, 3, 4, 5, 8, 100, 511, 512, 513, 1999, 2000, 100003};
  for (std::size_t n : sizes) {
    std::string p = dir / ("p" + std::to_string(n));
    writeFile(p, randomBytes(n, static_cast<unsigned>(n) * 3 + 1));
    args += " " + p;
  }
  ASSERT_EQ(run("python3 " + dir / "enc.py" + args), 0);
  for (std::size_t n : sizes) {
    std::string p = dir / ("p" + std::to_string(n));
    std::string ours = a85(readFile(p));
    ASSERT_GE(ours.size(), 3u);
    ours.resize(ours.size() - 3);  // "~>\n"
    std::erase(ours, '\n');
    EXPECT_EQ(ours, readFile(p + ".py")) << n;
  }
}
