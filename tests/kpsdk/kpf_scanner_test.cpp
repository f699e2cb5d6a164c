// Token rules of the KPF scanner.
#include <gtest/gtest.h>

#include "kpsdk/kpf_token.h"

namespace {

// "kind:text" of every token.
std::vector<std::string> tokens(std::string_view text) {
  KpfTokenStream s;
  s.TokenizeText(text);
  std::vector<std::string> out;
  while (const KpfToken* t = s.NextToken()) out.push_back(std::to_string(t->GetKind()) + ":" + t->GetText());
  return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(KpfScanner, TagsInAnyCaseAndHeaderToTheLastMarkOnTheLine) {
  EXPECT_EQ(tokens("<?xml version='1.0'?> x ?>\n<kpf Version='2'>a>\n</Kpf>"),
            (V{"2:<?xml version='1.0'?> x ?>", "54:\n", "3:<kpf Version='2'>a>", "54:\n", "57:</Kpf>"}));
  EXPECT_EQ(tokens("<folder_name>F</FOLDER_name>"), (V{"6:<folder_name>", "55:F", "7:</FOLDER_name>"}));
  EXPECT_EQ(tokens("<!-- <INFORMATION> -->"),
            (V{"40:<!--", "54: ", "42:<INFORMATION>", "54: ", "41:-->"}));
}

TEST(KpfScanner, BlankAfterResourcePrivateAndProjectPathIsPartOfTheTag) {
  EXPECT_EQ(tokens("<RESOURCE Name='a'/>"), (V{"38:<RESOURCE ", "46:Name='a'", "39:/>"}));
  EXPECT_EQ(tokens("<resource\tx"), (V{"38:<resource\t", "55:x"}));
  // A line end after the name does not make the tag.
  EXPECT_EQ(tokens("<RESOURCE\nName='a'"), (V{"56:<", "55:RESOURCE", "54:\n", "46:Name='a'"}));
  EXPECT_EQ(tokens("<RESOURCES>"), (V{"36:<RESOURCES>"}));
  EXPECT_EQ(tokens("<PRIVATE Identifier='i'>"), (V{"44:<PRIVATE ", "53:Identifier='i'", "56:>"}));
  EXPECT_EQ(tokens("<PROJECT_PATH Scope='1'>"), (V{"60:<PROJECT_PATH ", "48:Scope='1'", "56:>"}));
}

TEST(KpfScanner, NamedAttributesWinOverGenericOnes) {
  EXPECT_EQ(tokens("Name='x' type=\"y\" SCOPE='0' precaching='1' Description='d' SubmissionOrder='2' Mime='m' "
                   "JobTicketOrder='3' JobTicketID='4' Color='red' FileName='f'"),
            (V{"46:Name='x'", "54: ", "47:type=\"y\"", "54: ", "48:SCOPE='0'", "54: ", "49:precaching='1'", "54: ",
               "50:Description='d'", "54: ", "51:SubmissionOrder='2'", "54: ", "52:Mime='m'", "54: ",
               "62:JobTicketOrder='3'", "54: ", "63:JobTicketID='4'", "54: ", "53:Color='red'", "54: ",
               "53:FileName='f'"}));
  // Either quote closes; the value may span lines; blanks around "=" break it.
  EXPECT_EQ(tokens("Name='a\nb\""), (V{"46:Name='a\nb\""}));
  EXPECT_EQ(tokens("Name = 'x'"), (V{"55:Name", "54: ", "56:=", "54: ", "56:'", "55:x", "56:'"}));
  EXPECT_EQ(tokens("Job_Id='1'"), (V{"55:Job", "56:_", "53:Id='1'"}));
  EXPECT_EQ(tokens("Name='open"), (V{"55:Name", "56:=", "56:'", "55:open"}));
}

TEST(KpfScanner, OffsetsCarriageReturnsAndZeroByte) {
  KpfTokenStream s;
  s.TokenizeText(std::string_view("ab\r\n<DATE>\0<USER>", 17));
  ASSERT_EQ(s.GetTokenCount(), 3);
  EXPECT_EQ(s.GetToken(1).GetText(), "\n\n");
  EXPECT_EQ(s.GetToken(2).GetKind(), kKpfDate);
  EXPECT_EQ(s.GetToken(2).GetStart(), 4);
  EXPECT_EQ(s.GetToken(2).GetEnd(), 9);
  EXPECT_EQ(s.GetToken(2).GetLength(), 6);
  EXPECT_EQ(s.GetToken(2).Clone()->GetText(), "<DATE>");

  KpfTokenStream missing;
  missing.TokenizeFile("/nonexistent/file.kpf");
  EXPECT_FALSE(missing.HasMoreTokens());
}
