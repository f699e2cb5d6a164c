// The command table and what is made from it: parsing, help within 80
// columns, the manual page and the bash completion; the message and JSON
// helpers of the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_help.h"
#include "cli/cli_json.h"
#include "cli/cli_suggest.h"
#include "tests/common/test_platform.h"
#include "tests/delivery/test_env.h"
#include "tools/cups/private_cups.h"

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string longestLine(const std::string& text) {
  std::string longest;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    if (end - pos > longest.size()) longest = text.substr(pos, end - pos);
    pos = end + 1;
  }
  return longest;
}

}  // namespace

TEST(CliTable, EveryHelpTextFitsEightyColumns) {
  const std::vector<Command> commands = allCommands();
  EXPECT_LE(longestLine(generalHelp(commands)).size(), kHelpWidth) << longestLine(generalHelp(commands));
  for (const Command& c : commands) {
    const std::string help = commandHelp(c);
    EXPECT_LE(longestLine(help).size(), kHelpWidth) << c.name << ": " << longestLine(help);
    EXPECT_TRUE(contains(generalHelp(commands), "  " + c.name + " ")) << c.name;
  }
}

TEST(CliTable, NoTwoOptionsOfACommandShareAName) {
  for (const Command& c : allCommands()) {
    std::vector<std::string> seen;
    for (const OptionDef& o : optionsOf(c)) {
      std::string longName = "--" + o.longName;
      EXPECT_EQ(std::count(seen.begin(), seen.end(), longName), 0) << c.name << " " << longName;
      seen.push_back(longName);
      if (o.shortName) {
        std::string shortName = std::string("-") + o.shortName;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), shortName), 0) << c.name << " " << shortName;
        seen.push_back(shortName);
      }
    }
  }
}

TEST(CliTable, ShortOptionsMeanOneThingEverywhere) {
  std::map<char, std::string> meaning;
  for (const Command& c : allCommands()) {
    for (const OptionDef& o : optionsOf(c)) {
      if (!o.shortName) continue;
      auto [it, fresh] = meaning.emplace(o.shortName, o.longName);
      EXPECT_EQ(it->second, o.longName) << "-" << o.shortName << " in " << c.name;
    }
  }
  // And a long option takes the same kind of value everywhere.
  std::map<std::string, std::string> values;
  for (const Command& c : allCommands())
    for (const OptionDef& o : optionsOf(c)) {
      auto [it, fresh] = values.emplace(o.longName, o.valueName);
      EXPECT_EQ(it->second, o.valueName) << "--" << o.longName << " in " << c.name;
    }
}

TEST(CliTable, ManualPageNamesEveryCommandAndOptionAndRendersCleanly) {
  const std::vector<Command> commands = allCommands();
  const std::string man = manPage(commands);
  auto roffName = [](const std::string& name) {
    std::string out;
    for (char ch : name) out += ch == '-' ? std::string("\\-") : std::string(1, ch);
    return out;
  };
  for (const Command& c : commands) {
    EXPECT_TRUE(contains(man, ".SS \"" + roffName(c.name) + " ")) << c.name;
    for (const OptionDef& o : optionsOf(c))
      EXPECT_TRUE(contains(man, "\\fB\\-\\-" + roffName(o.longName) + "\\fR")) << c.name << " --" << o.longName;
  }
  QM_POSIX_ONLY("groff checks the page, and only the Linux build makes and installs it");
  ScratchDir dir;
  std::string file = dir.write("quaymaster-cli.1", man);
  std::string warnings;
  ASSERT_EQ(runProgram({"groff", "-man", "-Tutf8", "-ww", "-z", file}, warnings), 0) << warnings;
  EXPECT_EQ(warnings, "");
}

TEST(CliTable, BashCompletionOffersCommandsOptionsAndChoices) {
  QM_POSIX_ONLY("the completion runs in bash");
  ScratchDir dir;
  std::string script = dir.write("completion.bash", bashCompletion(allCommands()));
  auto complete = [&](const std::string& words, int index) {
    std::string out;
    runProgram({"bash", "-c",
                "source '" + script + "'; COMP_WORDS=(" + words + "); COMP_CWORD=" + std::to_string(index) +
                    "; _quaymaster_cli; printf '%s\\n' \"${COMPREPLY[@]}\""},
               out);
    return out;
  };
  EXPECT_EQ(complete("quaymaster-cli inst", 1), "install\n");
  EXPECT_EQ(complete("quaymaster-cli send-container x.kpc --resources ''", 4), "stored\nincluded\ndeploy\n");
  EXPECT_EQ(complete("quaymaster-cli -c q.ini delete ''", 4), "all\ntessel\nresources\nproject\n");
  EXPECT_TRUE(contains(complete("quaymaster-cli install --au", 2), "--auto-start\n"));
  EXPECT_EQ(complete("quaymaster-cli preview j.ps --format p", 4), "png\npdf\n");
  EXPECT_EQ(complete("quaymaster-cli help gr", 2), "groups\n");
  // A value of an option is not taken for the first operand.
  EXPECT_EQ(complete("quaymaster-cli list -d Tessel_1 f", 4), "fonts\n");
}

TEST(CliArgs, ValuesInEveryFormAndChoicesChecked) {
  std::vector<OptionDef> options{{"printer", 'd', "NAME", "", {}},
                                {"status-page", 's', "", "", {}},
                                {"wait", 'w', "", "", {}},
                                {"resources", 0, "WHERE", "", {"stored", "included"}}};
  ParsedArgs a;
  std::string error;
  ASSERT_TRUE(parseArgs(options, {"-sw", "-dP1", "x", "--resources=included", "--", "-y"}, a, error)) << error;
  EXPECT_TRUE(a.has("status-page"));
  EXPECT_TRUE(a.has("wait"));
  EXPECT_EQ(a.value("printer"), "P1");
  EXPECT_EQ(a.value("resources"), "included");
  EXPECT_EQ(a.positionals(), (std::vector<std::string>{"x", "-y"}));

  ParsedArgs b;
  EXPECT_FALSE(parseArgs(options, {"--resources", "everything"}, b, error));
  EXPECT_EQ(error, "--resources takes stored or included, not 'everything'");
  EXPECT_FALSE(parseArgs(options, {"--status-page=1"}, b, error));
  EXPECT_FALSE(parseArgs(options, {"--printer"}, b, error));
  EXPECT_FALSE(parseArgs(options, {"-x"}, b, error));
  EXPECT_EQ(error, "unknown option '-x'");
}

TEST(CliArgs, PageRangesAndWrapping) {
  int first = 0, last = 0;
  EXPECT_TRUE(parsePageRange("3-7", first, last));
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 7);
  EXPECT_TRUE(parsePageRange("5-4", first, last)) << "well formed; the job decides it is invalid";
  for (const char* bad : {"1-x", "-3", "3-", "3", "a-b", "1--2", "99999999999-1", " 1-2"})
    EXPECT_FALSE(parsePageRange(bad, first, last)) << bad;

  std::string table = "  all      every file\n  fonts    its fonts";
  EXPECT_EQ(wrapText(table, 0), table) << "lines that fit keep their spacing";
  std::string wrapped = wrapText(std::string(50, 'a') + " " + std::string(40, 'b') + " c", 10, 80);
  EXPECT_EQ(wrapped, std::string(50, 'a') + "\n" + std::string(10, ' ') + std::string(40, 'b') + " c");
}

TEST(CliMessages, OneLineWithTheDetailAfterAColon) {
  EXPECT_EQ(oneLine("Quaymaster cannot locate the source file.\n\n/a/b.frm"),
            "Quaymaster cannot locate the source file: /a/b.frm");
  EXPECT_EQ(oneLine("Quaymaster cannot send the job to the printer(s).\n\nP1\nP2"),
            "Quaymaster cannot send the job to the printer(s): P1, P2");
  EXPECT_EQ(oneLine("ERROR (Minizip): Cannot open a.kpc or a.kpc.kpc\n"), "Cannot open a.kpc or a.kpc.kpc");
  EXPECT_EQ(oneLine("KRMSDK is not started."), "KRMSDK is not started.");
  EXPECT_EQ(oneLine("Cannot open a.kpc: Access is denied.\r\n"), "Cannot open a.kpc: Access is denied.")
      << "a Windows system text leaves no carriage return to be shown escaped";
}

TEST(CliMessages, ProgressLineOnlyForLongWorkAndClearedBeforeAnError) {
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  OpProgressStep step;
  step.phase = OpProgressStep::Phase::Writing;
  step.item = "logo.tif";
  step.fraction = 0.5;
  OpProgress progress = terminalJobProgress();
  EXPECT_TRUE(progress(step));
  const std::string early = captured.str();
  std::this_thread::sleep_for(std::chrono::milliseconds(450));
  EXPECT_TRUE(progress(step));
  sayError("cannot send");
  clearProgressLine();
  std::cerr.rdbuf(saved);
  EXPECT_EQ(early, "") << "short work shows nothing";
  EXPECT_EQ(captured.str(), "\r" + step.text() + " (50%)\x1b[K\r\x1b[Kquaymaster-cli: cannot send\n");
}

TEST(CliMessages, SuggestionsAreTheClosestNamesOnly) {
  EXPECT_EQ(closestNames("Tesel_1", {"Tessel_1", "Tessel_2", "Raw_Capture"}), (std::vector<std::string>{"Tessel_1"}));
  EXPECT_EQ(closestNames("instal", {"install", "startup", "list"}), (std::vector<std::string>{"install"}));
  EXPECT_EQ(closestNames("lsit", {"install", "list", "delete"}), (std::vector<std::string>{"list"}));
  EXPECT_TRUE(closestNames("zzzzzz", {"install", "list"}).empty());
  EXPECT_EQ(didYouMean("flor_2", {"Floor_2"}), "; did you mean 'Floor_2'?");
  EXPECT_EQ(didYouMean("x", {"Floor_2"}), "");
}

TEST(CliShowable, ControlsAndBadBytesAreEscapedAndNamesStayApart) {
  const struct {
    std::string in, shown;
  } cases[] = {
      {"plain name.pfa", "plain name.pfa"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"x\033x", "x\\x1bx"},
      {"\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07"},
      {std::string("a\0b\n\r\t", 6), "a\\x00b\\x0a\\x0d\\x09"},
      {"del\x7f", "del\\x7f"},
      {"c1\xc2\x9b\xc2\x80 nbsp\xc2\xa0", "c1\\xc2\\x9b\\xc2\\x80 nbsp\xc2\xa0"},
      {"\xfc.frm", "\\xfc.frm"},
      {"\x9b", "\\x9b"},
      {"\xc3", "\\xc3"},                          // cut short
      {"\xc0\xaf", "\\xc0\\xaf"},                  // overlong
      {"\xed\xa0\x80", "\\xed\\xa0\\x80"},          // surrogate
      {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // past U+10FFFF
      {"C:\\Quaymaster\\fonts\\a.pfa", "C:\\Quaymaster\\fonts\\a.pfa"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"\\xfc.frm", "\\\\xfc.frm"},   // typed backslash-x
      {"\\\\x", "\\\\\\\\x"},
      {"\\\x1b", "\\\\\\x1b"},    // a backslash before an escape
  };
  for (const auto& c : cases) EXPECT_EQ(cliShowable(c.in), c.shown) << c.in;
  EXPECT_EQ(cliShowable("a\x1b\xc2\x9b\xfc", ShowFor::Json), "a\x1b\xc2\x9b\\xfc") << "JSON escapes controls itself";
  EXPECT_EQ(cliShowableLines("%%[ Error: \x1b[31m ]%%\nok\r\nlast\rline"), "%%[ Error: \\x1b[31m ]%%\nok\nlast\\x0dline")
      << "printer answers";
  // Different names never show the same.
  std::vector<std::string> shown;
  for (const auto& c : cases) shown.push_back(cliShowable(c.in));
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(std::adjacent_find(shown.begin(), shown.end()), shown.end());
}

TEST(CliJson, EscapedAndAlwaysUtf8) {
  EXPECT_EQ(jsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
  EXPECT_EQ(jsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"") << "UTF-8 stays";
  // Bytes that are not UTF-8 are the text \xNN, so FC and C3 BC differ.
  EXPECT_EQ(jsonString("\xfc.frm"), "\"\\\\xfc.frm\"");
  EXPECT_EQ(jsonString("\xc3\xbc.frm"), "\"\xc3\xbc.frm\"");
  EXPECT_EQ(jsonString("a\\xfc"), "\"a\\\\\\\\xfc\"") << "a typed \\x is told apart";
  EXPECT_EQ(jsonString("\x1b[2J\x7f\xc2\x9b"), "\"\\u001b[2J\\u007f\\u009b\"");
  JsonWriter json;
  json.beginObject().key("names").value(std::vector<std::string>{"a", "b"}).key("empty").beginArray().endArray();
  json.key("n").value(std::int64_t{3}).key("ok").value(true).endObject();
  EXPECT_EQ(json.str(), "{\n  \"names\": [\n    \"a\",\n    \"b\"\n  ],\n  \"empty\": [],\n  \"n\": 3,\n  \"ok\": true\n}\n");
}

TEST(CliMessages, ErrorsShowReceivedNamesEscaped) {
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  sayError("cannot read the font 'x\x1b]0;owned\x07'");
  std::cerr.rdbuf(saved);
  EXPECT_EQ(captured.str(), "quaymaster-cli: cannot read the font 'x\\x1b]0;owned\\x07'\n");
}
