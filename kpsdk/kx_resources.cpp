// KxProject: the resource rules (adding, finding, removing), the ordered
// submission files and job tickets, modification recording, and the checks
// of a project's information.
#include <algorithm>
#include <unordered_map>

#include "kpsdk/kx_project.h"

namespace {

constexpr std::string_view kSubmission = "sub";
constexpr std::string_view kJobTicket = "jtk";

}  // namespace

KxResource* KxProject::GetResource(int index) const {
  if (index < 0 || index >= GetResourceCount()) return nullptr;
  return resources_[index].get();
}

void KxProject::rebuildIndex() const {
  nameIndex_.clear();
  nameIndex_.reserve(resources_.size());
  for (int i = 0; i < GetResourceCount(); ++i) nameIndex_.emplace(resources_[i]->GetName(), i);
  indexDirty_ = false;
}

int KxProject::FindResource(std::string_view name) const {
  if (indexDirty_) rebuildIndex();
  auto it = nameIndex_.find(std::string(name));
  return it == nameIndex_.end() ? -1 : it->second;
}

int KxProject::indexOfResource(const KxResource* resource) const {
  for (int i = 0; i < GetResourceCount(); ++i)
    if (resources_[i].get() == resource) return i;
  return -1;
}

void KxProject::appendResource(std::unique_ptr<KxResource> resource) {
  resource->owner_ = this;
  if (!indexDirty_) nameIndex_.emplace(resource->GetName(), GetResourceCount());
  resources_.push_back(std::move(resource));
}

int KxProject::AddResource(std::unique_ptr<KxResource> resource) {
  return addResourceAt(std::move(resource), -1);
}

int KxProject::InsertResource(std::unique_ptr<KxResource> resource, int position) {
  return addResourceAt(std::move(resource), std::max(position, 0));
}

int KxProject::addResourceAt(std::unique_ptr<KxResource> resource, int position) {
  ClearMessages();
  if (!resource) return 0;
  if (FindResource(resource->GetName()) >= 0) {
    return log(kKxError, "The Project already contains an element named '%s'", resource->GetName().c_str());
  }
  if (!sdkFileExists(resource->GetPath().c_str())) {
    return log(kKxError, "Could not find the resource '%s'", resource->GetPath().c_str());
  }
  const bool ordered = resource->GetType() == kSubmission || resource->GetType() == kJobTicket;
  if (resource->GetType() == kSubmission) {
    if (AddSubmissionFile(resource.get()) & kKxError) return GetMessageFlags();
  } else if (resource->GetType() == kJobTicket) {
    if (AddJobTicket(resource.get()) & kKxError) return GetMessageFlags();
  }
  RecordAction(sdkFormat("Add '%s' file '%s'", resource->GetType().c_str(), resource->GetName().c_str()));
  if (position < 0 || position >= GetResourceCount()) {
    appendResource(std::move(resource));
  } else {
    resource->owner_ = this;
    resources_.insert(resources_.begin() + position, std::move(resource));
    indexDirty_ = true;
  }
  // Link the new ticket or submission file now that it is listed.
  if (ordered && !jobTickets_.empty()) LinkJobTickets();
  modified_ = true;
  return GetMessageFlags();
}

void KxProject::ModifyResource(const KxResource& resource) {
  int i = FindResource(resource.GetName());
  if (i < 0) return;
  KxResource& r = *resources_[i];
  if (!r.GetModified()) {
    r.SetModified(1);
    RecordAction(sdkFormat("Modify '%s' file '%s'", r.GetType().c_str(), r.GetName().c_str()));
  }
  modified_ = true;
}

void KxProject::dropFromOrderedLists(KxResource* r) {
  if (r->GetType() == kSubmission) RemoveSubmissionFile(r);
  if (r->GetType() == kJobTicket) RemoveJobTicket(r);
}

void KxProject::RemoveResource(const KxResource& resource) {
  int i = FindResource(resource.GetName());
  if (i < 0) return;
  KxResource* r = resources_[i].get();
  dropFromOrderedLists(r);
  RecordAction(sdkFormat("Remove '%s' file '%s'", r->GetType().c_str(), r->GetName().c_str()));
  modified_ = true;
  if (r->GetScope() == kKxScopeLocal && sdkFileExists(r->GetPath().c_str())) sdkDeleteFile(r->GetPath().c_str());
  resources_.erase(resources_.begin() + i);
  indexDirty_ = true;
}

std::unique_ptr<KxResource> KxProject::DetachResource(const KxResource& resource) {
  int i = FindResource(resource.GetName());
  if (i < 0) return nullptr;
  KxResource* r = resources_[i].get();
  dropFromOrderedLists(r);
  std::unique_ptr<KxResource> detached = std::move(resources_[i]);
  resources_.erase(resources_.begin() + i);
  detached->owner_ = nullptr;
  indexDirty_ = true;
  return detached;
}

int KxProject::SetResourceDescription(std::string_view name, std::string_view description) {
  int i = FindResource(name);
  if (i < 0) return log(kKxError, "Could not find the element '%s'", std::string(name).c_str());
  resources_[i]->SetDescription(description);
  modified_ = true;
  return GetMessageFlags();
}

int KxProject::AddSubmissionFile(KxResource* resource) {
  if (!resource) return GetMessageFlags();
  // The list is sorted by order without duplicates: find the place by halves.
  const int order = resource->GetSubmissionOrder();
  auto at = std::lower_bound(submissionFiles_.begin(), submissionFiles_.end(), order,
                             [](const KxResource* r, int o) { return r->GetSubmissionOrder() < o; });
  if (at != submissionFiles_.end() && (*at)->GetSubmissionOrder() == order) {
    return log(kKxError, "Could not add submission file '%s' - submission order '%d' already exists",
               resource->GetName().c_str(), order);
  }
  submissionFiles_.insert(at, resource);
  return GetMessageFlags();
}

void KxProject::RemoveSubmissionFile(KxResource* resource) { std::erase(submissionFiles_, resource); }

int KxProject::AddJobTicket(KxResource* resource) {
  if (!resource) return GetMessageFlags();
  const bool byId = resource->HasJobTicketId() != 0;
  const bool orderWasSeen = jobTicketOrderSeen_;
  const bool idWasSeen = jobTicketIdSeen_;
  (byId ? jobTicketIdSeen_ : jobTicketOrderSeen_) = true;
  if (jobTicketOrderSeen_ && jobTicketIdSeen_) {
    // The refused ticket must not change the project's scheme.
    jobTicketOrderSeen_ = orderWasSeen;
    jobTicketIdSeen_ = idWasSeen;
    return log(kKxError, "Job ticket specifications contain a mix of JobTicketOrder and JobTicketID");
  }
  const int key = byId ? resource->GetJobTicketId() : resource->GetJobTicketOrder();
  auto at = jobTickets_.end();
  for (auto it = jobTickets_.begin(); it != jobTickets_.end(); ++it) {
    const KxResource* t = *it;
    if (byId) {
      if (t->HasJobTicketId() && t->GetJobTicketId() == key) {
        return log(kKxError, "Could not add job ticket file '%s' - job ticket ID '%d' already exists",
                   resource->GetName().c_str(), key);
      }
    } else if (!t->HasJobTicketId() && t->GetJobTicketOrder() == key) {
      return log(kKxError, "Could not add job ticket file '%s' - job ticket order '%d' already exists",
                 resource->GetName().c_str(), key);
    }
    int tkey = byId ? t->GetJobTicketId() : t->GetJobTicketOrder();
    if (at == jobTickets_.end() && tkey > key) at = it;
  }
  jobTickets_.insert(at, resource);
  LinkJobTickets();
  return GetMessageFlags();
}

void KxProject::RemoveJobTicket(KxResource* resource) {
  if (!resource) return;
  for (auto& r : resources_) {
    if (r->GetType() == kSubmission && r->GetJobTicketName() == resource->GetName()) {
      r->SetJobTicketName("");
      r->SetJobTicketId(-1);
    }
  }
  std::erase(jobTickets_, resource);
  if (jobTickets_.empty()) {
    jobTicketOrderSeen_ = false;
    jobTicketIdSeen_ = false;
  }
}

void KxProject::LinkJobTickets() {
  // Ticket key -> ticket name; the last ticket of a key wins, as when every
  // ticket is matched against every submission file in list order.
  std::unordered_map<int, const std::string*> tickets;
  for (auto& r : resources_) {
    if (r->GetType() == kSubmission) {
      r->SetJobTicketName("");
    } else if (r->GetType() == kJobTicket) {
      if (jobTicketIdSeen_) {
        if (r->HasJobTicketId()) tickets[r->GetJobTicketId()] = &r->GetName();
      } else {
        tickets[r->GetJobTicketOrder()] = &r->GetName();
      }
    }
  }
  if (tickets.empty()) return;
  for (auto& r : resources_) {
    if (r->GetType() != kSubmission) continue;
    int key;
    if (jobTicketIdSeen_) {
      if (!r->HasJobTicketId()) continue;
      key = r->GetJobTicketId();
    } else {
      key = r->GetSubmissionOrder();
    }
    auto it = tickets.find(key);
    if (it != tickets.end()) r->SetJobTicketName(*it->second);
  }
}

std::string KxProject::GetSubmissionFilePath(int index) const {
  if (index < 0 || index >= GetSubmissionFileCount()) return std::string();
  return submissionFiles_[index]->GetPath();
}

int KxProject::IsSubmissionFileUnordered(int index) const {
  if (index < 0 || index >= GetSubmissionFileCount()) return 0;
  int i = FindResource(sdkFileNamePart(submissionFiles_[index]->GetPath()));
  if (i < 0) return 0;
  const KxResource& r = *resources_[i];
  return r.GetType() == kSubmission && r.GetSubmissionOrder() == 0 ? 1 : 0;
}

std::string KxProject::GetSubmissionJobTicket(int index) const {
  if (index < 0 || index >= GetSubmissionFileCount()) return std::string();
  return submissionFiles_[index]->GetJobTicketName();
}

void KxProject::RecordAction(std::string_view action) {
  if (!recordModifications_) return;
  KxModification& m = *currentModification_;
  if (m.GetDate().empty()) {
    if (currentDate_.empty()) {
      log(kKxError, "Project current date not specified");
      currentDate_ = "Unknown";
    }
    m.SetDate(currentDate_);
  }
  if (m.GetUser().empty()) {
    if (currentUser_.empty()) {
      log(kKxError, "Project current user not specified");
      currentUser_ = "Unknown";
    }
    m.SetUser(currentUser_);
  }
  m.AddAction(action);
  modified_ = true;
}

int KxProject::DeriveKpfPath() {
  if (projectName_.empty()) {
    return log(kKxError,
               "Could not export (Project not yet initialized - did you call 'SetFolderProjectNames'?).");
  }
  std::string name = projectName_ + ".kpf";
  if (temporaryExport_) {
    SdkString dir;
    if (!sdkMakeTempDir(dir)) return log(kKxError, "Could not create temporary directory '%s'", dir.text());
    kpfPath_ = sdkJoinPath(dir.view(), name);
  } else {
    kpfPath_ = ResolveLocalPath(name, 1);
    if (kpfPath_.empty()) kpfPath_ = ResolveLocalPath(name, 0);
  }
  loaded_ = true;
  return GetMessageFlags();
}

int KxProject::SaveProject() {
  ClearMessages();
  if (kpfPath_.empty() && (DeriveKpfPath() & kKxError)) return GetMessageFlags();
  if (WriteKpf(kpfPath_) != 0) return GetMessageFlags();
  modified_ = false;
  // An empty modification is never written, so it is not kept either.
  if (currentModification_->GetActionCount() > 0) modifications_.push_back(std::move(currentModification_));
  currentModification_ = std::make_unique<KxModification>();
  currentModification_->SetDate(currentDate_);
  currentModification_->SetUser(currentUser_);
  return GetMessageFlags();
}

int KxProject::ValidateInformation(int checkVersion) {
  if (checkVersion && kpfVersion_.empty()) log(kKxError, "KPF version not specified");
  const std::pair<const std::string*, const char*> warnings[] = {
      {&copyright_, "Copyright not specified"},
      {&folderName_, "Folder name not specified"},
      {&projectName_, "Project name not specified"},
      {&projectVersion_, "Project version not specified"},
      {&projectTitle_, "Project title not specified"},
      {&generator_, "Project generator not specified"},
      {&creationDate_, "Project creation date not specified"},
  };
  for (const auto& [field, message] : warnings)
    if (field->empty()) logFormatted(kKxWarning, message);
  const std::pair<const std::string*, const char*> infos[] = {
      {&projectDescription_, "Project description not specified"},
      {&author_, "Project author not specified"},
      {&keywords_, "Project keywords not specified"},
  };
  for (const auto& [field, message] : infos)
    if (field->empty()) logFormatted(kKxInfo, message);
  ValidateProjectPaths();
  if (rawSetppath_.empty()) {
    logFormatted(kKxError,
                 "The resource path context could not be determined (possible cause: use of non-KORO stubfile for a "
                 "KX Project of type KORO, or a KORO tqfdos|unix.run file for a non-KORO KX Project)");
  }
  LinkJobTickets();

  auto checkTicketMimes = [this] {
    for (auto& r : resources_)
      if (r->GetType() == kJobTicket && r->GetMime().empty())
        log(kKxError, "Job ticket element has no mime type, order: '%d'", r->GetJobTicketOrder());
  };
  if (jobTicketOrderSeen_ && !jobTicketIdSeen_) {
    if (GetJobTicketCount() != GetSubmissionFileCount()) {
      log(kKxError,
          "KPF has at least one job ticket, but job ticket count does not equal submission file count: '%d' vs "
          "'%d'",
          GetJobTicketCount(), GetSubmissionFileCount());
    } else {
      checkTicketMimes();
      for (std::size_t i = 0; i < jobTickets_.size(); ++i) {
        int sub = submissionFiles_[i]->GetSubmissionOrder();
        int jtk = jobTickets_[i]->GetJobTicketOrder();
        if (sub != jtk) {
          log(kKxError, "Submission file order out of sync with job ticket order: '%d' vs '%d'", sub, jtk);
          break;
        }
      }
    }
  } else if (jobTicketIdSeen_ && !jobTicketOrderSeen_) {
    checkTicketMimes();
    for (const KxResource* s : submissionFiles_) {
      if (s->HasJobTicketId() && !s->HasJobTicketName()) {
        log(kKxError,
            "Submission file of order '%d' specifies a job ticket with ID '%d', but no job ticket with that ID is "
            "present",
            s->GetSubmissionOrder(), s->GetJobTicketId());
        break;
      }
    }
  } else if (jobTicketIdSeen_ && jobTicketOrderSeen_) {
    log(kKxError, "Job ticket specifications contain a mix of JobTicketOrder and JobTicketID");
  }
  return GetMessageFlags();
}
