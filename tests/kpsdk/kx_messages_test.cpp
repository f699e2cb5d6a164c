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
  EXPECT_EQ(kxCatalogueFormat(110), nullptr);
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
