// Names that came from received files reach the terminal with their
// control characters escaped, and bytes that are not UTF-8 keep names
// apart, on the terminal and in --json alike.
#include "archive/archive_handler.h"
#include "cli_fixture.h"

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST_F(CliFixture, ControlBytesFromReceivedNamesAreShownEscaped) {
  const std::string font = scratchFile("esc.pfa", "%!PS-AdobeFont-1.0: x\033x 001.000\n"
                                                  "/FontName /x\033x def\n"
                                                  "currentdict end\n");
  CliRun fonts = cli({"load-fonts", font, "--output", scratch_ + "/fonts.ps"});
  EXPECT_EQ(fonts.output.find('\033'), std::string::npos) << fonts.output;
  EXPECT_TRUE(contains(fonts.output, "x\\x1bx")) << fonts.output;

  writeConfig("", "Clear\033[2J=Tessel_1\nxray=Tessel_2\n");
  CliRun printers = cli({"printers"});
  ASSERT_EQ(printers.status, 0) << printers.output;
  EXPECT_EQ(printers.output.find('\033'), std::string::npos) << printers.output;
  EXPECT_TRUE(contains(printers.output, "\n\\\\\\Clear\\x1b[2J\n")) << printers.output;
  EXPECT_TRUE(contains(printers.output, "\n\\\\\\xray\n")) << "the group marker is no escape: " << printers.output;
  CliRun groups = cli({"groups", "list"});
  ASSERT_EQ(groups.status, 0) << groups.output;
  EXPECT_EQ(groups.output.find('\033'), std::string::npos) << groups.output;
  EXPECT_TRUE(contains(groups.output, "Clear\\x1b[2J: Tessel_1\n")) << groups.output;
  CliRun groupsJson = cli({"groups", "list", "--json"});
  EXPECT_TRUE(contains(groupsJson.output, "\"Clear\\u001b[2J\"")) << groupsJson.output;
}

TEST_F(CliFixture, EntryNamesOfOtherBytesNeverLookTheSame) {
  const std::string form = scratchFile("form.frm", "form");
  const std::string kpc = scratch_ + "/names.kpc";
  ArchiveHandler handler(nullptr);
  handler.SetArchiveFormat(1);  // tar keeps the bytes of a name as they are
  ASSERT_EQ(handler.Create(kpc, {{"\xfc.frm", form}, {"\xc3\xbc.frm", form}, {"clear\033[2J.frm", form}}), "");

  CliRun list = cli({"container", "list", kpc});
  ASSERT_EQ(list.status, 0) << list.output;
  EXPECT_EQ(list.output, "\\xfc.frm\n\xc3\xbc.frm\nclear\\x1b[2J.frm\n");
  CliRun json = cli({"container", "list", kpc, "--json"});
  ASSERT_EQ(json.status, 0) << json.output;
  EXPECT_TRUE(contains(json.output, "\"name\": \"\\\\xfc.frm\"")) << json.output;
  EXPECT_TRUE(contains(json.output, "\"name\": \"\xc3\xbc.frm\"")) << json.output;
  EXPECT_TRUE(contains(json.output, "\"name\": \"clear\\u001b[2J.frm\"")) << json.output;
}
