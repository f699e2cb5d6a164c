#include "kpsdk/kx_messages.h"

#include <gtest/gtest.h>

#include "kpsdk/kx_types.h"

TEST(KxMessageLog, RecordHoldsLevelNumberArgumentsAndQuotedFormat) {
  KxMessageLog log;
  log.Add(kKxError, "Could not open file '%s'", "Could not open file '/a/b.kpf'");
  EXPECT_EQ(log.Text(), "ERROR: Could not open file '/a/b.kpf'");
  EXPECT_EQ(log.Records(), "ERROR,3,1,/a/b.kpf,\"Could not open file '%s'\"");
  EXPECT_EQ(log.Flags(), kKxError);

  log.Add(kKxWarning, "Stubfile and KPF project path mismatch for local scope: '%s' vs '%s'",
          "Stubfile and KPF project path mismatch for local scope: '/x' vs '/y'");
  log.Add(kKxInfo, "Project author not specified", "Project author not specified");
  EXPECT_EQ(log.Text(),
            "ERROR: Could not open file '/a/b.kpf'\n"
            "WARNING: Stubfile and KPF project path mismatch for local scope: '/x' vs '/y'\n"
            "INFO: Project author not specified");
  EXPECT_EQ(log.Records(),
            "ERROR,3,1,/a/b.kpf,\"Could not open file '%s'\"|"
            "WARNING,88,2,/x,/y,\"Stubfile and KPF project path mismatch for local scope: '%s' vs '%s'\"|"
            "INFO,29,0,\"Project author not specified\"");
  EXPECT_EQ(log.Flags(), kKxError | kKxWarning | kKxInfo);
}

TEST(KxMessageLog, SameLineTwiceIsLoggedOnce) {
  KxMessageLog log;
  EXPECT_EQ(log.Add(kKxError, "XML header not present", "XML header not present"), 1);
  EXPECT_EQ(log.Add(kKxError, "XML header not present", "XML header not present"), 0);
  // The same text at another level is another line.
  EXPECT_EQ(log.Add(kKxWarning, "XML header not present", "XML header not present"), 1);
  EXPECT_EQ(log.Text(), "ERROR: XML header not present\nWARNING: XML header not present");
  EXPECT_EQ(log.Records(), "ERROR,21,0,\"XML header not present\"|WARNING,21,0,\"XML header not present\"");
}

TEST(KxMessageLog, LevelsOtherThanSingleBitsLogNothing) {
  KxMessageLog log;
  EXPECT_EQ(log.Add(3, "x", "x"), 0);
  EXPECT_EQ(log.Add(0, "x", "x"), 0);
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(log.Flags(), 0);
}

TEST(KxMessageLog, FlagsFollowLevelsNotWordsInTheText) {
  KxMessageLog log;
  log.Add(kKxWarning, "Local scope '%s' hides Folder scope '%s'",
          "Local scope '/data/ERROR/a' hides Folder scope '/data/ERROR/b'");
  EXPECT_EQ(log.Flags(), kKxWarning);
}

TEST(KxMessageLog, ArchiveTextIsTakenVerbatimWithItsTemplate) {
  KxMessageLog log;
  log.Add(kKxInfo, "Project keywords not specified", "Project keywords not specified");
  log.AddVerbatim("ERROR (Minizip): Internal - tag: 86, file: v_000001_000002.kpv, reason: CANCELLED",
                  "ERROR (Minizip): Internal - tag: %d, file: %s, reason: %s");
  EXPECT_EQ(log.Text(),
            "INFO: Project keywords not specified\n"
            "ERROR (Minizip): Internal - tag: 86, file: v_000001_000002.kpv, reason: CANCELLED");
  EXPECT_EQ(log.Flags(), kKxInfo | kKxError | kKxCancelled);
  EXPECT_EQ(log.Records(),
            "INFO,30,0,\"Project keywords not specified\"|"
            "ERROR,100,3,86,,v_000001_000002.kpv,,CANCELLED,\"ERROR (Minizip): Internal - tag: %d, file: %s, "
            "reason: %s\"");
}

TEST(KxMessageArguments, ParenthesisedArgumentSpansWordsAndBecomesQuoted) {
  auto args = kxExtractArguments("Could not create file '%s' (%s)",
                                 "Could not create file '/x/p.kpf' (No such file or directory)");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0], "/x/p.kpf");
  EXPECT_EQ(args[1], "\"No such file or directory\"");
  // A one-word reason in parentheses ends at once.
  args = kxExtractArguments("Could not create file '%s' (%s)", "Could not create file 'a' (EFBIG) extra");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[1], "\"EFBIG\"");
}

TEST(KxMessageCatalogue, NumbersAndUnknownFormats) {
  EXPECT_EQ(kxCatalogueNumber("(pos. %d) %s"), 0);
  EXPECT_EQ(kxCatalogueNumber("'Glogal shared' project path not specified"), 82);
  EXPECT_EQ(kxCatalogueNumber("ERROR (Minizip) Unexpected problem writing %s (disk full?)"), 69);
  EXPECT_EQ(kxCatalogueNumber("ERROR (Minizip): Could not create directory %s"), 54);
  EXPECT_EQ(kxCatalogueNumber("ERROR (Minizip): Index %d invalid in archive %s"), 73);
  EXPECT_EQ(kxCatalogueNumber("Volume size must be greater than zero"), 109);
  EXPECT_EQ(kxCatalogueNumber("(pos. 12) Nested <ACTIONS> sections not allowed"), -1);
  EXPECT_EQ(kxCatalogueFormat(112), nullptr);
  EXPECT_EQ(kxFormatRecord(kKxError, "(pos. 12) Nested <ACTIONS> sections not allowed",
                           "(pos. 12) Nested <ACTIONS> sections not allowed"),
            "ERROR,-1,0,\"(pos. 12) Nested <ACTIONS> sections not allowed\"");
}

TEST(KxTypes, ProjectTypeNamesAreExact) {
  EXPECT_EQ(kxParseProjectType("KORO"), 0);
  EXPECT_EQ(kxParseProjectType("PPML-GA"), 3);
  EXPECT_EQ(kxParseProjectType("ps"), -1);
  EXPECT_EQ(kxParseProjectType(""), -1);
  EXPECT_STREQ(kxProjectTypeName(2), "PDF");
  EXPECT_STREQ(kxProjectTypeName(7), "");
}

// The catalogue, number by number, as callers that map message records to
// their own texts know it.
const char* const kCatalogueTable[] = {
    "(pos. %d) %s",  // 0
    "Print-and-Forget path not specified in SETPPATH",  // 1
    "Print-and-Forget path must be first in SETPPATH definition",  // 2
    "Could not open file '%s'",  // 3
    "'%s' not an XML file",  // 4
    "Nested <MODIFICATIONS> sections not allowed",  // 5
    "Unexpected </MODIFICATIONS> tag encountered",  // 6
    "Nested <MODIFICATION> sections not allowed",  // 7
    "Unexpected </MODIFICATION> tag encountered",  // 8
    "Nested <ACTIONS> sections not allowed",  // 9
    "<DATE> missing or improperly specfied within <MODIFICATION> section",  // 10
    "<USER> missing or improperly specfied within <MODIFICATION> section",  // 11
    "Unexpected </ACTIONS> tag encountered",  // 12
    "Nested <RESOURCES> sections not allowed",  // 13
    "Unexpected </RESOURCES> tag encountered",  // 14
    "<RESOURCE ... /> tag, malformed or missing field(s): %s",  // 15
    "<RESOURCE> tag encountered before <FOLDER_NAME> or <PROJECT_NAME>",  // 16
    "<PRIVATE Identifier='...'> tag, malformed or missing fields(s)",  // 17
    "Could not create temporary directory '%s'",  // 18
    "Could not find a file with .kpf extension in archive '%s'",  // 19
    "Could not create directory: '%s'",  // 20
    "XML header not present",  // 21
    "KPF version not specified",  // 22
    "Copyright not specified",  // 23
    "Folder name not specified",  // 24
    "Project name not specified",  // 25
    "Project version not specified",  // 26
    "Project title not specified",  // 27
    "Project description not specified",  // 28
    "Project author not specified",  // 29
    "Project keywords not specified",  // 30
    "Project generator not specified",  // 31
    "Project creation date not specified",  // 32
    "Project current date not specified",  // 33
    "Project current user not specified",  // 34
    "Premature end of file (no </MODIFICATIONS> tag?)",  // 35
    "Premature end of file (no </MODIFICATION> tag?)",  // 36
    "Premature end of file (no </ACTIONS> tag?)",  // 37
    "Premature end of file (no </RESOURCES> tag?)",  // 38
    "Premature end of file (no </KPF> tag?)",  // 39
    "Could not create file '%s' (%s)",  // 40
    "Could not export (Project not yet initialized - did you call 'SetFolderProjectNames'?).",  // 41
    "The Project already contains an element named '%s'",  // 42
    "Could not find the element '%s'",  // 43
    "Could not find the resource '%s'",  // 44
    "Local scope '%s' hides Folder scope '%s'",  // 45
    "Local scope '%s' hides Global scope '%s'",  // 46
    "Folder scope '%s' hides Global scope '%s'",  // 47
    "Removal only a valid operation for archives extracted as 'Print-and-Forget'",  // 48
    "Resource '%s' was not at local scope, but should have been - removal operation halted",  // 49
    "The file '%s' could not be removed - removal operation halted",  // 50
    "The directory '%s' could not be removed",  // 51
    "The directory '%s' could not be located for removal",  // 52
    "Could not add submission file '%s' - submission order '%d' already exists",  // 53
    "ERROR (Minizip): Could not create directory %s",  // 54
    "ERROR (Minizip): Error# %d in unzGetCurrentFileInfo",  // 55
    "ERROR (Minizip): Error# %d in unzOpenCurrentFile",  // 56
    "ERROR (Minizip): Could not open file %s",  // 57
    "ERROR (Minizip): Error# %d in unzReadCurrentFile",  // 58
    "ERROR (Minizip): Unexpected problem writing file (disk full?)",  // 59
    "ERROR (Minizip): Error# %d in unzCloseCurrentFile",  // 60
    "ERROR (Minizip): Error# %d in unzGetGlobalInfo",  // 61
    "ERROR (Minizip): Error# %d unzGoToNextFile",  // 62
    "ERROR (Minizip): Could not allocate memory",  // 63
    "ERROR (Minizip): File %s not found in archive",  // 64
    "ERROR (Minizip): Cannot open %s or %s.kpc",  // 65
    "ERROR (Minizip): Cannot create archive %s",  // 66
    "ERROR (Minizip): Could not open %s in archive",  // 67
    "ERROR (Minizip): Could not read %s in archive",  // 68
    "ERROR (Minizip) Unexpected problem writing %s (disk full?)",  // 69
    "ERROR (Minizip): Could not close %s in archive",  // 70
    "ERROR (Minizip): Could not close archive %s",  // 71
    "ERROR (Minizip): No .kpf file found in archive %s",  // 72
    "ERROR (Minizip): Index %d invalid in archive %s",  // 73
    "Project type 'KORO' not allowed here",  // 74
    "This operation is restricted to projects of type 'KORO'",  // 75
    "Invalid project type: '%d'",  // 76
    "Invalid project type: '%s'",  // 77
    "Project paths may not be specified for projects of type 'KORO'",  // 78
    "If a project path of one scope is specified, project paths for all scopes must be specified",  // 79
    "'Local' project path not specified",  // 80
    "'Folder shared' project path not specified",  // 81
    "'Glogal shared' project path not specified",  // 82
    "Invalid or missing scope for project path '%s'",  // 83
    "Invalid Project Path Mismatch Action: '%d'",  // 84
    "Stubfile premature EOF at line: %d",  // 85
    "Stubfile contains invalid project type: '%s'",  // 86
    "Stubfile syntax error: KX_PROJECT_PDLTYPE '%s' missing '%s' in '%s'",  // 87
    "Stubfile and KPF project path mismatch for local scope: '%s' vs '%s'",  // 88
    "Stubfile and KPF project path mismatch for folder shared scope: '%s' vs '%s'",  // 89
    "Stubfile and KPF project path mismatch for global shared scope: '%s' vs '%s'",  // 90
    "Stubfile is missing path information for project type: '%s'",  // 91
    "Could not add job ticket file '%s' - job ticket order '%d' already exists",  // 92
    "KPF has at least one job ticket, but job ticket count does not equal submission file count: '%d' vs '%d'",  // 93
    "Job ticket element has no mime type, order: '%d'",  // 94
    "Submission file order out of sync with job ticket order: '%d' vs '%d'",  // 95
    "The resource path context could not be determined (possible cause: use of non-KORO stubfile for a KX Project of type KORO, or a KORO tqfdos|unix.run file for a non-KORO KX Project)",  // 96
    "Could not add job ticket file '%s' - job ticket ID '%d' already exists",  // 97
    "Job ticket specifications contain a mix of JobTicketOrder and JobTicketID",  // 98
    "Submission file of order '%d' specifies a job ticket with ID '%d', but no job ticket with that ID is present",  // 99
    "ERROR (Minizip): Internal - tag: %d, file: %s, reason: %s",  // 100
    "Archive volume size must be greater than zero",  // 101
    "Could not find archive file '%s'",  // 102
    "Could not open archive file '%s' - reason '%s'",  // 103
    "Compressed archives cannot be split into volumes",  // 104
    "Error reading archive volume '%s' - reason '%s'",  // 105
    "Error writing archive volume '%s' - reason '%s'",  // 106
    "Archive volume name '%s' is malformed",  // 107
    "Operation cancelled",  // 108
    "Volume size must be greater than zero",  // 109
    "ERROR (Minizip): Archive %s is damaged at entry %s (%s)",  // 110
    "ERROR (Tar): Internal - tag: %d, file: %s, reason: %s",  // 111
};

TEST(KxMessageCatalogue, EveryNumberHoldsItsText) {
  constexpr int kCount = static_cast<int>(sizeof kCatalogueTable / sizeof kCatalogueTable[0]);
  ASSERT_EQ(kCount, 112);
  for (int n = 0; n < kCount; ++n) {
    ASSERT_NE(kxCatalogueFormat(n), nullptr) << n;
    EXPECT_STREQ(kxCatalogueFormat(n), kCatalogueTable[n]) << n;
    EXPECT_EQ(kxCatalogueNumber(kCatalogueTable[n]), n) << n;
  }
  EXPECT_EQ(kxCatalogueFormat(-1), nullptr);
}

TEST(KxMessageCatalogue, ArchiveErrorsAreRecordedUnderTheirNumbers) {
  // The archive layer's templates reach the log verbatim; each record must
  // carry the template's number, not -1.
  KxMessageLog log;
  log.AddVerbatim("ERROR (Minizip): Could not open file /tmp/x", "ERROR (Minizip): Could not open file %s");
  log.AddVerbatim("ERROR (Minizip): Error# -1 in unzGetGlobalInfo", "ERROR (Minizip): Error# %d in unzGetGlobalInfo");
  EXPECT_NE(log.Records().find("ERROR,57,1,/tmp/x,"), std::string::npos) << log.Records();
  EXPECT_NE(log.Records().find("ERROR,61,1,-1,"), std::string::npos) << log.Records();
}
