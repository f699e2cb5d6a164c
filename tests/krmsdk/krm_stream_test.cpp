// Output writers: failures, clean-up and the transfer command.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_transfer.h"

using namespace krmtest;

class KrmStreamTest : public StartedLibrary {};

TEST_F(KrmStreamTest, SuccessRecordsOutputPath) {
  const std::string out = dir_ / "deep/er/job.ps";
  auto stream = krmOpenStream("krmTest", out.c_str());
  EXPECT_EQ(stream->write("abc"), 1001);
  EXPECT_EQ(stream->write("def"), 1001);
  EXPECT_EQ(krmCloseStream(stream), 1001);
  EXPECT_EQ(readFile(out), "abcdef");
  EXPECT_EQ(std::string(krmGetLastMessage()), "[krmTest] Task completes successfully. [" + out + "]");
}

TEST_F(KrmStreamTest, FailureDeletesOutputAndKeepsFirstCode) {
  const std::string out = dir_ / "job.ps";
  KrmStream stream("krmTest", out);
  ASSERT_EQ(stream.open(), 1001);
  stream.write("partial");
  EXPECT_EQ(stream.fail(1003, "/x/missing.frm"), 1003);
  EXPECT_EQ(stream.fail(1012, "/x/other"), 1003);
  EXPECT_EQ(stream.write("more"), 1003);
  EXPECT_EQ(stream.close(), 1003);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_STREQ(krmGetLastMessage(), "[krmTest] Cannot locate source file. [/x/missing.frm]");
  EXPECT_STREQ(krmGetLastArgument(), "/x/missing.frm");
}

TEST_F(KrmStreamTest, UnopenableOutputGives1005) {
  writeFile(dir_ / "file", "x");
  const std::string out = dir_ / "file/job.ps";  // parent is a file
  KrmStream stream("krmTest", out);
  EXPECT_EQ(stream.open(), 1005);
  EXPECT_EQ(stream.close(), 1005);
  EXPECT_EQ(krmWriteWholeText(out.c_str(), "x"), 0);
}

#ifndef _WIN32
// A failed job deletes its output only when that is a regular file: an
// output that is a device stays (here a device like /dev/full, on which
// every write fails).
TEST_F(KrmStreamTest, FailedJobLeavesDeviceOutputAlone) {
  const std::string device = dir_ / "full";
  if (std::system(("mknod " + device + " c 1 7 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "mknod not permitted";
  KrmStream stream("krmTest", device);
  ASSERT_EQ(stream.open(), 1001);
  EXPECT_EQ(stream.write(std::string(100000, 'x')), 1005);
  EXPECT_EQ(stream.close(), 1005);
  EXPECT_TRUE(fs::is_character_file(device));
}
#endif

TEST_F(KrmStreamTest, TransferCommandForms) {
  EXPECT_EQ(krmTransferCommand(0, "fonts/Courier", "(P1) true false"),
            "\n\n0 (fonts/Courier) (P1) true false load_file\n");
  // Names with string delimiters are escaped; plain names are not.
  EXPECT_EQ(krmTransferCommand(3, "tqfc/a(1)\\b", "() false false"),
            "\n\n3 (tqfc/a\\(1\\)\\\\b) () false false load_file\n");

  const std::string out = dir_ / "job.ps";
  std::string data(1500, '\x41');
  data[3] = '\0';
  KrmStream stream("krmTest", out);
  ASSERT_EQ(stream.open(), 1001);
  EXPECT_EQ(krmDiskLoadFile("krmTest", data.data(), data.size(), "tqfc/x", "() true true", true, stream,
                            out.c_str()),
            1001);
  EXPECT_EQ(krmDiskLoadFile("krmTest", data.data(), data.size(), "tqfc/y", "() true true", false, stream,
                            out.c_str()),
            1001);
  ASSERT_EQ(stream.close(), 1001);
  EXPECT_EQ(readFile(out), "\n\n1500 (tqfc/x) () true true load_file\n" +
                               krmConvertToHex(data.data(), data.size(), 0, 512) +
                               "\n\n0 (tqfc/y) () true true load_file\n" +
                               krmConvertToAscii85(data.data(), data.size(), 0, 512));
}

// A local file streamed in pieces gives the same bytes as the whole
// buffer; an EPS binary file is cut on the way.
TEST_F(KrmStreamTest, LocalFileStreamsLikeWholeBuffer) {
  std::string data;
  for (unsigned i = 0; i < 700000; ++i) data += static_cast<char>((i * 7919u) >> 3);
  writeFile(dir_ / "big.bin", data);
  // EPS binary: header, 5 bytes of PostScript at 30, a TIFF preview at 35.
  std::string eps(30, '\0');
  auto put = [&](std::size_t at, unsigned v) { eps[at] = static_cast<char>(v); };
  put(0, 0xC5), put(1, 0xD0), put(2, 0xD3), put(3, 0xC6);
  put(4, 30), put(8, 5), put(20, 35), put(24, 4);
  eps += "%!PS\nTIFF";
  writeFile(dir_ / "pic.eps", eps);

  for (bool hex : {false, true}) {
    const std::string out = dir_ / "job.ps";
    KrmStream stream("krmTest", out);
    ASSERT_EQ(stream.open(), 1001);
    EXPECT_EQ(krmSendLocalFile(stream, (dir_ / "big.bin").c_str(), "tqfc/big", "() false false", hex), 1001);
    EXPECT_EQ(krmSendLocalFile(stream, (dir_ / "pic.eps").c_str(), "tqfc/pic", "() false false", hex), 1001);
    ASSERT_EQ(stream.close(), 1001);
    std::string expected =
        krmTransferCommand(hex ? data.size() : 0, "tqfc/big", "() false false") +
        (hex ? krmConvertToHex(data.data(), data.size(), 0, 512)
             : krmConvertToAscii85(data.data(), data.size(), 0, 512)) +
        krmTransferCommand(hex ? 5 : 0, "tqfc/pic", "() false false") +
        (hex ? krmConvertToHex("%!PS\n", 5, 0, 512) : krmConvertToAscii85("%!PS\n", 5, 0, 512));
    EXPECT_EQ(readFile(out), expected) << hex;
  }
}

TEST_F(KrmStreamTest, LocalFileChecks) {
  writeFile(dir_ / "empty", "");
  const std::string out = dir_ / "job.ps";
  {
    KrmStream stream("krmTest", out);
    stream.open();
    EXPECT_EQ(krmSendLocalFile(stream, (dir_ / "missing").c_str(), "t", "() false false", false), 1003);
    stream.close();
  }
  {
    KrmStream stream("krmTest", out);
    stream.open();
    EXPECT_EQ(krmSendLocalFile(stream, (dir_ / "empty").c_str(), "t", "() false false", false), 1001);
    EXPECT_EQ(stream.close(), 1001);
  }
  EXPECT_EQ(readFile(out), "\n\n0 (t) () false false load_file\n~>\n");
  writeFile(dir_ / "huge", "");
  fs::resize_file(dir_ / "huge", 134217728);
  {
    KrmStream stream("krmTest", out);
    stream.open();
    EXPECT_EQ(krmSendLocalFile(stream, (dir_ / "huge").c_str(), "t", "() false false", false), 1023);
    EXPECT_EQ(stream.close(), 1023);
  }
  // The failed job leaves the previous one.
  EXPECT_EQ(readFile(out), "\n\n0 (t) () false false load_file\n~>\n");
}
