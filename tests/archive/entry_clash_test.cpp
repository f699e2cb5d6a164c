// Containers in which two entries would land on one file: every reader
// refuses them, zip and tar alike, before anything is written.
#include "archive/container_listing.h"
#include "archive_test_util.h"

using namespace archive_test;

namespace {

struct Names {
  std::vector<std::string> entries;
  bool refused;
};

const Names kCases[] = {
    {{"x.frm", "./x.frm"}, true},
    {{"a/x.frm", "a//x.frm"}, true},
    {{"a/x.frm", "a\\x.frm"}, true},  // made on Windows
    {{"x.frm", "x.frm"}, true},
    {{"P.kpf", "P.kpf"}, true},
    {{"Fonts/X.frm", "fonts/x.FRM"}, true},  // one file where names ignore case
    {{"a", "a/"}, true},                     // a file and a folder of one name
    {{"a/", "a/x.frm", "a//"}, false},       // one folder named twice
    {{"a/x.frm", "b/x.frm"}, false},
};

bool isFolder(const std::string& name) { return name.back() == '/'; }

void makeZip(const fs::path& at, const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> entries{{"proj.kpf", "p"}};
  for (const std::string& n : names) entries.push_back({n, isFolder(n) ? "" : n});
  makeRawZip(at, entries);
}

void makeTar(const fs::path& at, const std::vector<std::string>& names) {
  TarBuilder tar;
  tar.add("proj.kpf", "p");
  for (const std::string& n : names) isFolder(n) ? tar.add(n, "", '5') : tar.add(n, n);
  writeFile(at, tar.finish());
}

class EntryClashTest : public ArchiveTest {};

TEST_F(EntryClashTest, EveryReaderRefusesEntriesThatLandOnOneFile) {
  int n = 0;
  for (const Names& c : kCases) {
    for (bool zip : {true, false}) {
      const std::string label = (zip ? "zip " : "tar ") + c.entries[0] + " / " + c.entries[1];
      const fs::path container = path("c" + std::to_string(++n) + (zip ? ".kpc" : ".tar"));
      zip ? makeZip(container, c.entries) : makeTar(container, c.entries);
      const std::string out = path("out" + std::to_string(n)).string();
      ArchiveHandler handler;
      std::vector<ContainerEntry> listed;
      const std::string errors[] = {
          ListContainerEntries(container.string(), listed),
          handler.Extract(container.string(), out + "/all"),
          handler.ExtractProjectFile(container.string(), out + "/kpf"),
          handler.ExtractNamed(container.string(), "x.frm", out + "/named"),
      };
      for (const std::string& error : errors) {
        if (c.refused) {
          EXPECT_NE(std::string::npos, error.find("Internal - tag: 66, file: ")) << label << ": " << error;
        } else {
          EXPECT_EQ(std::string::npos, error.find("tag: 66")) << label << ": " << error;
        }
      }
      if (c.refused) {
        EXPECT_EQ((std::vector<std::string>{"all/", "kpf/", "named/"}), listTree(out)) << label;
      }
    }
  }
}

}  // namespace
