// Reading KPF files: values, tolerance of the format, and every message.
#include <gtest/gtest.h>

#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

const char* kInformation =
    "<INFORMATION>\n"
    " <COPYRIGHT>(c) Q</COPYRIGHT>\n"
    " <PROJECT_TYPE>KORO</PROJECT_TYPE>\n"
    " <FOLDER_NAME>F</FOLDER_NAME>\n"
    " <PROJECT_NAME>P</PROJECT_NAME>\n"
    " <PROJECT_VERSION>1</PROJECT_VERSION>\n"
    " <PROJECT_TITLE>T</PROJECT_TITLE>\n"
    " <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n"
    " <AUTHOR>A</AUTHOR>\n"
    " <KEYWORDS>K</KEYWORDS>\n"
    " <GENERATOR>G</GENERATOR>\n"
    " <CREATION_DATE>2024</CREATION_DATE>\n"
    "</INFORMATION>\n";

class KpfReader : public ::testing::Test {
 protected:
  void SetUp() override { project_ = kxtest::projectIn(dir_.path()); }
  // Reads text as a KPF file; returns the flags.
  int read(const std::string& text) {
    path_ = dir_ / "in.kpf";
    writeFile(path_, text);
    return project_->OpenProject(path_);
  }
  // A complete file around the given resources section and tail.
  static std::string file(const std::string& resources, const std::string& tail = "",
                          const std::string& information = kInformation) {
    return "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n" + information + "<RESOURCES>\n" +
           resources + "</RESOURCES>\n" + tail + "</KPF>\n";
  }
  TempDir dir_;
  std::unique_ptr<KxProject> project_;
  std::string path_;
};

}  // namespace

TEST_F(KpfReader, CleanFileGivesEveryValue) {
  writeFile(dir_ / "tqfc/gshared/font.pfb", "x");
  EXPECT_EQ(read(file(" <RESOURCE Name='a&amp;b.tif' Type='img' Scope='0' Description='it&apos;s' Mime='image/tiff' "
                      "PreCaching='yes' Color='red'/>\n"
                      " <RESOURCE Name='font.pfb' Type='fnt' Scope='2'/>\n"
                      " <RESOURCE Name='s.ps' Type='sub' Scope='1' SubmissionOrder='4'/>\n",
                      "<MODIFICATIONS>\n <MODIFICATION>\n  <DATE>d1</DATE>\n  <USER>u&lt;1&gt;</USER>\n  <ACTIONS>\n"
                      "   <ACTION>Add 'img' file 'a'</ACTION>\n  </ACTIONS>\n </MODIFICATION>\n</MODIFICATIONS>\n")),
            0)
      << project_->GetMessages();
  EXPECT_EQ(project_->GetKpfVersion(), "2.0");
  EXPECT_EQ(project_->GetCopyright(), "(c) Q");
  EXPECT_EQ(project_->GetFolderName(), "F");
  EXPECT_EQ(project_->GetCreationDate(), "2024");
  EXPECT_TRUE(project_->IsLoaded());
  ASSERT_EQ(project_->GetResourceCount(), 3);
  const KxResource& a = *project_->GetResource(0);
  EXPECT_EQ(a.GetName(), "a&b.tif");
  EXPECT_EQ(a.GetDescription(), "it's");
  EXPECT_EQ(a.GetMime(), "image/tiff");
  EXPECT_EQ(a.GetPreCaching(), "yes");
  EXPECT_STREQ(a.GetAttribute("Color"), "red");
  EXPECT_EQ(a.GetPath(), dir_ / "tqfc/F/P/a&b.tif");
  EXPECT_EQ(project_->GetResource(1)->GetPath(), dir_ / "tqfc/gshared/font.pfb");
  EXPECT_EQ(project_->GetResource(2)->GetPath(), dir_ / "tqfc/F/fshared/s.ps");
  EXPECT_EQ(project_->GetSubmissionFileCount(), 1);
  ASSERT_EQ(project_->GetModificationCount(), 1);
  EXPECT_EQ(project_->GetModification(0)->GetUser(), "u<1>");
  EXPECT_EQ(project_->GetModification(0)->GetAction(0), "Add 'img' file 'a'");
}

TEST_F(KpfReader, NotAnXmlFile) {
  EXPECT_EQ(read("\n" + file("")), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: '" + path_ + "' not an XML file");
  read("\xEF\xBB\xBF" + file(""));
  EXPECT_EQ(project_->GetMessages(), "ERROR: '" + path_ + "' not an XML file");
  EXPECT_EQ(project_->OpenProject(dir_ / "missing.kpf"), kKxError);
  EXPECT_EQ(project_->GetMessageRecords(), "ERROR,3,1," + dir_ / "missing.kpf" + ",\"Could not open file '%s'\"");
}

TEST_F(KpfReader, ToleranceOfTheFormat) {
  std::string info = kInformation;
  info.replace(info.find("<FOLDER_NAME>F</FOLDER_NAME>"), 28, "<folder_name> F</Folder_Name>");
  info.replace(info.find("<PROJECT_TITLE>T</PROJECT_TITLE>"), 32, "<PROJECT_TITLE>x &amp;lt; y</PROJECT_TITLE>");
  EXPECT_EQ(read(file(" <RESOURCE Name = 'ignored' Name='b.tif' Type='img' Scope='0'/>\n", "", info)) & kKxError, 0)
      << project_->GetMessages();
  EXPECT_EQ(project_->GetFolderName(), " F");  // not trimmed (a trailing blank is refused)
  EXPECT_EQ(project_->GetProjectTitle(), "x &lt; y");
  ASSERT_EQ(project_->GetResourceCount(), 1);
  EXPECT_EQ(project_->GetResource(0)->GetName(), "b.tif");
}

TEST_F(KpfReader, ResourceWithoutCloseSwallowsUpToTheNextClose) {
  read(file(" <RESOURCE Name='a' Type='img' Scope='0'>\n <RESOURCE Name='b' Type='img' Scope='0'/>\n"));
  ASSERT_EQ(project_->GetResourceCount(), 1);
  EXPECT_EQ(project_->GetResource(0)->GetName(), "b");  // the later Name wins
}

TEST_F(KpfReader, ResourceBeforeNamesAndMissingFields) {
  std::string info = kInformation;
  std::string early = "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<RESOURCES>\n <RESOURCE Name='a' Type='img' "
                      "Scope='0'/>\n</RESOURCES>\n" + info + "</KPF>\n";
  EXPECT_EQ(read(early), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: <RESOURCE> tag encountered before <FOLDER_NAME> or <PROJECT_NAME>");

  EXPECT_EQ(read(file(" <RESOURCE Type='sub' Scope=''/>\n")), kKxError);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: <RESOURCE ... /> tag, malformed or missing field(s): 'Name=', 'Scope=', 'SubmissionOrder='");
  EXPECT_EQ(project_->GetResourceCount(), 1);  // kept, as read
  read(file(" <RESOURCE Name='t' Type='jtk' Scope='0'/>\n"));
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: <RESOURCE ... /> tag, malformed or missing field(s): 'JobTicketOrder/JobTicketID='");
}

// Names that would land on the printer among the program's own files or
// another scope's, and names Windows reads as devices, stop the reading.
TEST_F(KpfReader, NamesThePrinterOrWindowsKeepAreRefused) {
  auto info = [](const std::string& folder, const std::string& project) {
    std::string text = kInformation;
    sdkReplaceAll(text, "<FOLDER_NAME>F<", "<FOLDER_NAME>" + folder + "<");
    sdkReplaceAll(text, "<PROJECT_NAME>P<", "<PROJECT_NAME>" + project + "<");
    return text;
  };
  auto resource = [](const std::string& name, int scope) {
    return " <RESOURCE Name='" + name + "' Type='frm' Scope='" + std::to_string(scope) + "'/>\n";
  };
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {file(resource("a.frm", 0), "", info("gshared", "P")), "Folder name 'gshared' is a name the printer keeps"},
      {file(resource("a.frm", 0), "", info("F", "FShared")), "Project name 'FShared' is a name the printer keeps"},
      {file(resource("a.frm", 0), "", info("F", ".krmuses")), "Project name '.krmuses' is a name the printer keeps"},
      {file(resource(".krmuses", 0)), "Resource name '.krmuses' is a name the program keeps on the printer"},
      {file(resource("sub/.KrmUses", 1)), "Resource name 'sub/.KrmUses' is a name the program keeps"},
      {file(resource("a.frm.krmtmp", 2)), "Resource name 'a.frm.krmtmp' is a name the program keeps"},
      {file(resource("CON.frm", 0)), "Resource name 'CON.frm' is not a plain name"},
      {file(resource("sub./a.frm", 0)), "Resource name 'sub./a.frm' is not a plain name"},
      {file(resource("a.frm", 0), "", info("LPT1", "P")), "Folder name 'LPT1' is not a plain folder name"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read(c.text) & kKxError, kKxError) << c.message;
    EXPECT_NE(project_->GetMessages().find(c.message), std::string::npos) << project_->GetMessages();
    EXPECT_EQ(project_->GetResourceCount(), 0) << c.message;
  }

  // A stub whose patterns give a project the folder-shared scope's folder.
  const std::string stub = dir_ / "common.run";
  writeFile(stub, "%!\n[\n (" + dir_ / "tqfc/$$FOLDER./$$PROJECT./)\n (" + dir_ / "tqfc/$$FOLDER./common/)\n (" +
                      dir_ / "tqfc/all/)\n] SETPPATH\n");
  project_ = kxProjectNew(stub);
  EXPECT_EQ(read(file(resource("a.frm", 0), "", info("F", "Common"))) & kKxError, kKxError);
  EXPECT_NE(project_->GetMessages().find("Project 'Common' of folder 'F' would share its folder with a shared scope"),
            std::string::npos)
      << project_->GetMessages();
  EXPECT_EQ(read(file(resource("a.frm", 0), "", info("F", "Own"))) & kKxError, 0) << project_->GetMessages();
}

TEST_F(KpfReader, EndOfFileChecks) {
  std::string noEnd = file("");
  noEnd.erase(noEnd.find("</KPF>"));
  EXPECT_EQ(read(noEnd), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: Premature end of file (no </KPF> tag?)");

  std::string open = file("", "<MODIFICATIONS>\n <MODIFICATION>\n  <DATE>d</DATE>\n  <USER>u</USER>\n  <ACTIONS>\n");
  read(open);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Premature end of file (no </MODIFICATIONS> tag?)\n"
            "ERROR: Premature end of file (no </MODIFICATION> tag?)\n"
            "ERROR: Premature end of file (no </ACTIONS> tag?)");
}

TEST_F(KpfReader, NestingMessagesCarryTheOffset) {
  std::string text = file("", "<MODIFICATIONS>\n<MODIFICATIONS>\n</MODIFICATIONS>\n");
  std::size_t second = text.find("<MODIFICATIONS>", text.find("<MODIFICATIONS>") + 1);
  EXPECT_EQ(read(text), kKxError);
  std::string expected = "(pos. " + std::to_string(second) + ") Nested <MODIFICATIONS> sections not allowed";
  EXPECT_EQ(project_->GetMessages(), "ERROR: " + expected);
  EXPECT_EQ(project_->GetMessageRecords(), "ERROR,-1,0,\"" + expected + "\"");

  read(file("", "<MODIFICATIONS>\n <MODIFICATION>\n  <ACTIONS>\n"));
  std::string m = project_->GetMessages();
  EXPECT_NE(m.find(") <DATE> missing or improperly specfied within <MODIFICATION> section"), std::string::npos) << m;
  EXPECT_NE(m.find(") <USER> missing or improperly specfied within <MODIFICATION> section"), std::string::npos) << m;

  read(file("</RESOURCES>\n"));
  EXPECT_NE(project_->GetMessages().find(") Unexpected </RESOURCES> tag encountered"), std::string::npos);
}

TEST_F(KpfReader, EncodingFromTheHeader) {
  std::string text = file("");
  text.replace(0, text.find('\n'), "<?xml version='1.0' encoding=\"UTF-8\"?>");
  read(text);
  EXPECT_EQ(project_->GetEncoding(), "UTF-8");
  text.replace(0, text.find('\n'), "<?xml version='1.0'?>");
  read(text);
  EXPECT_EQ(project_->GetEncoding(), "");
}

TEST_F(KpfReader, PrivateSectionsKeepTheirBytes) {
  const std::string content = "\n  <any>&amp; markup</any>\n\tline 'two' \"q\"\n";
  EXPECT_EQ(read(file("", "<PRIVATE Identifier='vendor.x'>" + content + "</PRIVATE>\n<PRIVATE Identifier=\"b\">" +
                              "</PRIVATE>\n")) & kKxError,
            0)
      << project_->GetMessages();
  ASSERT_EQ(project_->GetPrivateSections().size(), 2u);
  EXPECT_STREQ(project_->GetPrivateSection("vendor.x"), content.c_str());
  EXPECT_STREQ(project_->GetPrivateSection("b"), "");
  read(file("", "<PRIVATE Identifier>x</PRIVATE>\n"));
  EXPECT_EQ(project_->GetMessages(), "ERROR: <PRIVATE Identifier='...'> tag, malformed or missing fields(s)");
}

TEST_F(KpfReader, ProjectTypesAndPaths) {
  std::string info = kInformation;
  info.replace(info.find(">KORO<"), 6, ">PDF-X<");
  read(file("", "", info));
  EXPECT_EQ(project_->GetMessages(), "ERROR: Invalid project type: 'PDF-X'");

  // Project paths belong to the types whose paths a typed stub gives.
  writeFile(dir_ / "typed.run",
            "% KX_PROJECT_PDLTYPE: PS\n(/s/$$FOLDER./$$PROJECT./)\n(/s/$$FOLDER./fshared/)\n(/s/gshared/) SETPPATH\n");
  project_ = kxProjectNew(dir_ / "typed.run");
  info = kInformation;
  info.replace(info.find(">KORO<"), 6, ">PS<");
  read(file(" <PROJECT_PATH Scope='0'>/k/F/P/</PROJECT_PATH>\n <PROJECT_PATH Scope='3'>/k/x</PROJECT_PATH>\n", "",
            info));
  EXPECT_EQ(project_->GetMessages(), "ERROR: Invalid or missing scope for project path '/k/x/'");

  read(file(" <PROJECT_PATH Scope='0'>/k/F/P/</PROJECT_PATH>\n <RESOURCE Name='a' Type='img' Scope='0'/>\n", "",
            info));
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: If a project path of one scope is specified, project paths for all scopes must be specified\n"
            "ERROR: 'Folder shared' project path not specified\n"
            "ERROR: 'Glogal shared' project path not specified");
  EXPECT_STREQ(project_->GetLocalProjectPath(), "/k/F/P/");
}

TEST_F(KpfReader, TicketsAreCheckedAfterReading) {
  read(file(" <RESOURCE Name='s1' Type='sub' Scope='0' SubmissionOrder='1' JobTicketID='5'/>\n"
            " <RESOURCE Name='t' Type='jtk' Scope='0' JobTicketID='6' Mime='x'/>\n"));
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Submission file of order '1' specifies a job ticket with ID '5', but no job ticket with that ID is "
            "present");
  read(file(" <RESOURCE Name='s1' Type='sub' Scope='0' SubmissionOrder='1'/>\n"
            " <RESOURCE Name='t' Type='jtk' Scope='0' JobTicketOrder='1' Mime='x'/>\n"
            " <RESOURCE Name='t2' Type='jtk' Scope='0' JobTicketID='2' Mime='x'/>\n"));
  EXPECT_EQ(project_->GetMessages(), "ERROR: Job ticket specifications contain a mix of JobTicketOrder and JobTicketID");
}

TEST_F(KpfReader, MissingInformationIsReportedByLevel) {
  EXPECT_EQ(read("<?xml version='1.0'?>\n<KPF>\n<INFORMATION>\n<FOLDER_NAME>F</FOLDER_NAME>\n"
                 "<PROJECT_NAME>P</PROJECT_NAME>\n</INFORMATION>\n</KPF>\n"),
            kKxWarning | kKxInfo);
  EXPECT_EQ(project_->GetKpfVersion(), "<KPF>");
  EXPECT_EQ(project_->GetMessages(),
            "WARNING: Copyright not specified\nWARNING: Project version not specified\n"
            "WARNING: Project title not specified\nWARNING: Project generator not specified\n"
            "WARNING: Project creation date not specified\nINFO: Project description not specified\n"
            "INFO: Project author not specified\nINFO: Project keywords not specified");
}
