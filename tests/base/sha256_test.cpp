#include "base/sha256.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(Sha256, KnownDigestsInAnyPieces) {
  struct Case {
    std::string data, hex;
  };
  for (const Case& c : {Case{"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
                        Case{"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
                        Case{"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                             "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
                        Case{std::string(1000000, 'a'),
                             "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}}) {
    Sha256 whole;
    whole.update(c.data);
    EXPECT_EQ(whole.hex(), c.hex);
    Sha256 pieces;  // pieces that straddle the 64-byte blocks
    for (std::size_t at = 0; at < c.data.size(); at += 37) pieces.update(std::string_view(c.data).substr(at, 37));
    EXPECT_EQ(pieces.hex(), c.hex);
  }
  const auto file = std::filesystem::temp_directory_path() / "qm_sha256_test.bin";
  std::ofstream(file, std::ios::binary) << "abc";
  EXPECT_EQ(sha256OfFile(file.string()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::filesystem::remove(file);
  EXPECT_EQ(sha256OfFile(file.string()), "");
}
