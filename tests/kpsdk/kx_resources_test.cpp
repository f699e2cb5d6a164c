// Resource rules: uniqueness, ordered submission files and job tickets,
// linking, recording, removal, entries.
#include <gtest/gtest.h>

#include "kx_test_util.h"

using kxtest::resource;
using kxtest::TempDir;
using kxtest::writeFile;

namespace {

class KxResources : public ::testing::Test {
 protected:
  void SetUp() override {
    project_ = kxtest::projectIn(dir_.path());
    ASSERT_NE(project_, nullptr);
    kxtest::describe(*project_);
  }
  // A resource whose file exists.
  std::unique_ptr<KxResource> file(const std::string& name, const std::string& type = "img") {
    std::string path = dir_ / ("files/" + name);
    writeFile(path, name);
    return resource(name, type, 0, path);
  }
  std::unique_ptr<KxResource> sub(const std::string& name, int order) {
    auto r = file(name, "sub");
    r->SetSubmissionOrder(order);
    return r;
  }
  std::unique_ptr<KxResource> ticketByOrder(const std::string& name, int order) {
    auto r = file(name, "jtk");
    r->SetJobTicketOrder(order);
    r->SetMime("application/jdf");
    return r;
  }
  std::unique_ptr<KxResource> ticketById(const std::string& name, int id) {
    auto r = file(name, "jtk");
    r->SetJobTicketId(id);
    r->SetMime("application/jdf");
    return r;
  }
  std::vector<int> submissionOrders() {
    std::vector<int> v;
    for (int i = 0; i < project_->GetSubmissionFileCount(); ++i)
      v.push_back(project_->GetResource(project_->FindResource(sdkFileNamePart(project_->GetSubmissionFilePath(i))))
                      ->GetSubmissionOrder());
    return v;
  }

  TempDir dir_;
  std::unique_ptr<KxProject> project_;
};

}  // namespace

TEST_F(KxResources, DuplicateNamesAndMissingFilesAreRefused) {
  EXPECT_EQ(project_->AddResource(file("a.tif")), 0);
  EXPECT_EQ(project_->AddResource(file("a.tif")), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: The Project already contains an element named 'a.tif'");
  EXPECT_EQ(project_->GetResourceCount(), 1);
  EXPECT_EQ(project_->AddResource(resource("b.tif", "img", 0, dir_ / "nowhere/b.tif")), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: Could not find the resource '" + dir_ / "nowhere/b.tif" + "'");
  EXPECT_EQ(project_->GetResourceCount(), 1);
  EXPECT_TRUE(project_->IsModified());
}

TEST_F(KxResources, SubmissionFilesAreKeptInOrderWithoutDuplicates) {
  EXPECT_EQ(project_->AddResource(sub("s3.ps", 3)), 0);
  EXPECT_EQ(project_->AddResource(sub("s1.ps", 1)), 0);
  EXPECT_EQ(project_->AddResource(sub("s2.ps", 2)), 0);
  EXPECT_EQ(submissionOrders(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(project_->AddResource(sub("again2.ps", 2)), kKxError);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Could not add submission file 'again2.ps' - submission order '2' already exists");
  EXPECT_EQ(project_->GetResourceCount(), 3);
  EXPECT_EQ(project_->FindResource("again2.ps"), -1);
  // Resources keep the order they were added in.
  EXPECT_EQ(project_->GetResource(0)->GetName(), "s3.ps");
}

TEST_F(KxResources, TicketsByOrderLinkAndRefuseDuplicatesAndIds) {
  project_->AddResource(sub("s1.ps", 1));
  project_->AddResource(sub("s2.ps", 2));
  EXPECT_EQ(project_->AddResource(ticketByOrder("t2.jdf", 2)), 0);
  EXPECT_EQ(project_->AddResource(ticketByOrder("t1.jdf", 1)), 0);
  EXPECT_EQ(project_->GetSubmissionJobTicket(0), "t1.jdf");
  EXPECT_EQ(project_->GetSubmissionJobTicket(1), "t2.jdf");
  EXPECT_EQ(project_->GetSubmissionJobTicket(5), "");
  EXPECT_TRUE(project_->HasJobTicketOrder());

  EXPECT_EQ(project_->AddResource(ticketByOrder("t1b.jdf", 1)), kKxError);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Could not add job ticket file 't1b.jdf' - job ticket order '1' already exists");
  EXPECT_EQ(project_->AddResource(ticketById("tid.jdf", 7)), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: Job ticket specifications contain a mix of JobTicketOrder and JobTicketID");
  // The refused ticket leaves the scheme as it was: order tickets still go in.
  EXPECT_FALSE(project_->HasJobTicketId());
  project_->AddResource(sub("s3.ps", 3));
  EXPECT_EQ(project_->AddResource(ticketByOrder("t3.jdf", 3)), 0);
  EXPECT_EQ(project_->GetJobTicketCount(), 3);
  EXPECT_EQ(project_->GetSubmissionJobTicket(2), "t3.jdf");
}

TEST_F(KxResources, RemovingTheLastTicketFreesTheScheme) {
  project_->AddResource(sub("s1.ps", 1));
  project_->AddResource(ticketByOrder("t1.jdf", 1));
  ASSERT_EQ(project_->GetSubmissionJobTicket(0), "t1.jdf");
  project_->RemoveResource(*project_->GetResource(project_->FindResource("t1.jdf")));
  EXPECT_EQ(project_->GetJobTicketCount(), 0);
  EXPECT_FALSE(project_->HasJobTicketOrder());
  EXPECT_FALSE(project_->HasJobTicketId());
  EXPECT_EQ(project_->GetSubmissionJobTicket(0), "");
  // Removal deletes a local resource's file.
  EXPECT_FALSE(sdkFileExists((dir_ / "files/t1.jdf").c_str()));

  auto s = sub("s9.ps", 9);
  s->SetJobTicketId(4);
  project_->AddResource(std::move(s));
  EXPECT_EQ(project_->AddResource(ticketById("t4.jdf", 4)), 0);
  EXPECT_TRUE(project_->HasJobTicketId());
  EXPECT_EQ(project_->GetSubmissionJobTicket(1), "t4.jdf");
  EXPECT_EQ(project_->AddResource(ticketById("t4b.jdf", 4)), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: Could not add job ticket file 't4b.jdf' - job ticket ID '4' already exists");
}

TEST_F(KxResources, RecordingStampsUnknownDateAndUser) {
  project_->SetCurrentDate("");
  project_->SetCurrentUser("");
  project_->SetRecordModifications(1);
  EXPECT_EQ(project_->AddResource(file("a.tif")), kKxError);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Project current date not specified\nERROR: Project current user not specified");
  EXPECT_EQ(project_->GetResourceCount(), 1);
  const KxModification& m = project_->GetCurrentModification();
  EXPECT_EQ(m.GetDate(), "Unknown");
  EXPECT_EQ(m.GetUser(), "Unknown");
  ASSERT_EQ(m.GetActionCount(), 1);
  EXPECT_EQ(m.GetAction(0), "Add 'img' file 'a.tif'");
  EXPECT_EQ(project_->GetCurrentDate(), "Unknown");

  EXPECT_EQ(project_->AddResource(file("b.tif")), 0);
  project_->ModifyResource(*project_->GetResource(1));
  project_->ModifyResource(*project_->GetResource(1));  // recorded once
  project_->RemoveResource(*project_->GetResource(0));
  EXPECT_EQ(m.GetActionCount(), 4);
  EXPECT_EQ(m.GetAction(2), "Modify 'img' file 'b.tif'");
  EXPECT_EQ(m.GetAction(3), "Remove 'img' file 'a.tif'");
}

TEST_F(KxResources, FindResourceFollowsInsertRemoveDetachAndRenames) {
  project_->AddResource(file("a"));
  project_->AddResource(file("b"));
  project_->InsertResource(file("c"), 0);
  EXPECT_EQ(project_->FindResource("c"), 0);
  EXPECT_EQ(project_->FindResource("b"), 2);
  std::unique_ptr<KxResource> a = project_->DetachResource(*project_->GetResource(1));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetName(), "a");
  EXPECT_TRUE(sdkFileExists((dir_ / "files/a").c_str()));  // detaching keeps the file
  EXPECT_EQ(project_->FindResource("a"), -1);
  EXPECT_EQ(project_->FindResource("b"), 1);
  project_->GetResource(1)->SetName("renamed");
  EXPECT_EQ(project_->FindResource("b"), -1);
  EXPECT_EQ(project_->FindResource("renamed"), 1);
  EXPECT_EQ(project_->SetResourceDescription("renamed", "text"), 0);
  EXPECT_EQ(project_->GetResource(1)->GetDescription(), "text");
  EXPECT_EQ(project_->SetResourceDescription("zzz", "text"), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: Could not find the element 'zzz'");
}

TEST_F(KxResources, EntryNamesAndPaths) {
  project_->SetKpfPath(dir_ / "x/P1.kpf");
  project_->AddResource(file("a.tif"));
  EXPECT_EQ(project_->GetEntryName(0), "P1.kpf");
  EXPECT_EQ(project_->GetEntryName(1), "a.tif");
  EXPECT_EQ(project_->GetEntryName(2), "");
  EXPECT_EQ(project_->GetEntryPath(0), dir_ / "x/P1.kpf");
  EXPECT_EQ(project_->GetEntryPath(1), dir_ / "files/a.tif");
  EXPECT_EQ(project_->GetEntryPath(-1), "KPF");
  project_->SetKpfPath("");
  EXPECT_EQ(project_->GetEntryPath(0), "KPF");
}

TEST_F(KxResources, ResourceAttributesAndCallerValues) {
  auto r = kxResourceNew();
  EXPECT_EQ(r->GetJobTicketOrder(), -1);
  EXPECT_EQ(r->GetJobTicketId(), -1);
  EXPECT_FALSE(r->HasJobTicketId());
  r->SetAttribute("Color", "red");
  r->AddAttribute("Color", "blue");
  EXPECT_STREQ(r->GetAttribute("Color"), "blue");  // the last one wins
  r->SetAttribute("Color", "green");               // replaces the first
  EXPECT_EQ(r->GetAttributes()[0].value, "green");
  r->SetAttribute("Color", nullptr);
  EXPECT_STREQ(r->GetAttribute("Color"), "blue");
  EXPECT_EQ(r->GetAttribute("color"), nullptr);
  r->SetJobTicketId(3);
  EXPECT_TRUE(r->HasJobTicketId());
  r->SetJobTicketId(-1);
  EXPECT_FALSE(r->HasJobTicketId());

  EXPECT_EQ(project_->GetOptionA(), 1);
  project_->SetNumber(2.5);
  project_->SetUserValue(7);
  project_->Reset();
  EXPECT_EQ(project_->GetOptionA(), 0);
  EXPECT_EQ(project_->GetNumber(), 0.0);
  EXPECT_EQ(project_->GetUserValue(), 7);
  EXPECT_EQ(project_->GetEncoding(), "ISO-8859-1");
}

TEST_F(KxResources, PrivateSections) {
  project_->SetPrivateSection("a", "1");
  project_->SetPrivateSection("b", "2");
  project_->SetPrivateSection("a", "3");
  EXPECT_STREQ(project_->GetPrivateSection("a"), "3");
  project_->SetPrivateSection("a", nullptr);
  EXPECT_EQ(project_->GetPrivateSection("a"), nullptr);
  EXPECT_EQ(project_->GetPrivateSections().size(), 1u);
}

TEST_F(KxResources, SavingNeedsAProjectNameOrAPath) {
  project_->SetFolderProjectNames("F1", "");
  EXPECT_EQ(project_->SaveProject(), kKxError);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Could not export (Project not yet initialized - did you call 'SetFolderProjectNames'?).");
}

TEST_F(KxResources, ValidationOfTicketsAgainstSubmissionFiles) {
  project_->AddResource(sub("s1.ps", 1));
  project_->AddResource(sub("s2.ps", 2));
  project_->AddResource(ticketByOrder("t1.jdf", 1));
  project_->ClearMessages();
  EXPECT_EQ(project_->ValidateInformation(0), kKxError);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: KPF has at least one job ticket, but job ticket count does not equal submission file count: '1' "
            "vs '2'");
  auto t3 = ticketByOrder("t3.jdf", 3);
  t3->SetMime("");
  project_->AddResource(std::move(t3));
  project_->ClearMessages();
  project_->ValidateInformation(0);
  EXPECT_EQ(project_->GetMessages(),
            "ERROR: Job ticket element has no mime type, order: '3'\n"
            "ERROR: Submission file order out of sync with job ticket order: '2' vs '3'");
}
