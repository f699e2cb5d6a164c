// KxResource: one file of a KX project.
//
// A resource has a name (unique within its project), the resolved path of
// its file, a short type code ("sub" marks a submission file, "jtk" a job
// ticket), a scope (0 local, 1 folder shared, 2 global shared), the ordering
// fields of submission files and job tickets, and free name/value
// attributes. Texts start empty; setters keep copies. A resource added to a
// project tells the project when its name changes, so the project's name
// index stays right.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class KxProject;

// A free attribute of a resource as the project file lists it.
struct KxAttribute {
  std::string name;
  std::string value;
};

// All fields at once (GetAll, GetAll2).
struct KxResourceFields {
  std::string name;
  std::string path;
  std::string type;
  std::string description;
  int scope = 0;
  int submissionOrder = 0;
  // Filled by GetAll2 only.
  std::string jobTicketName;
  int jobTicketOrder = -1;
  int jobTicketId = -1;
  int hasJobTicketId = 0;
};

class KxResource {
 public:
  KxResource() = default;
  KxResource(const KxResource&) = delete;
  KxResource& operator=(const KxResource&) = delete;
  ~KxResource() = default;

  const std::string& GetName() const { return name_; }
  void SetName(std::string_view name);
  const std::string& GetPath() const { return path_; }
  void SetPath(std::string_view path) { path_ = path; }
  // Name of the job ticket linked to a submission file.
  const std::string& GetJobTicketName() const { return jobTicketName_; }
  void SetJobTicketName(std::string_view name) { jobTicketName_ = name; }
  int HasJobTicketName() const { return jobTicketName_.empty() ? 0 : 1; }
  const std::string& GetType() const { return type_; }
  void SetType(std::string_view type) { type_ = type; }
  const std::string& GetDescription() const { return description_; }
  void SetDescription(std::string_view text) { description_ = text; }
  int GetScope() const { return scope_; }
  void SetScope(int scope) { scope_ = scope; }
  int GetSubmissionOrder() const { return submissionOrder_; }
  void SetSubmissionOrder(int order) { submissionOrder_ = order; }
  // -1 when not given.
  int GetJobTicketOrder() const { return jobTicketOrder_; }
  void SetJobTicketOrder(int order) { jobTicketOrder_ = order; }
  // -1 when not given; setting -1 clears HasJobTicketId.
  int GetJobTicketId() const { return jobTicketId_; }
  void SetJobTicketId(int id) {
    jobTicketId_ = id;
    hasJobTicketId_ = id != -1;
  }
  int HasJobTicketId() const { return hasJobTicketId_ ? 1 : 0; }
  int GetModified() const { return modified_; }
  void SetModified(int flag) { modified_ = flag; }
  const std::string& GetMime() const { return mime_; }
  void SetMime(std::string_view mime) { mime_ = mime; }
  const std::string& GetPreCaching() const { return preCaching_; }
  void SetPreCaching(std::string_view value) { preCaching_ = value; }

  // Value of the last attribute of that name (case-sensitive), or null.
  const char* GetAttribute(std::string_view name) const;
  // Replaces the first attribute of that name; a null value removes it; a
  // new name is appended.
  void SetAttribute(std::string_view name, const char* value);
  // Appends an attribute as read, even when the name already occurs.
  void AddAttribute(std::string_view name, std::string_view value);
  const std::vector<KxAttribute>& GetAttributes() const { return attributes_; }

  KxResourceFields GetAll() const;
  KxResourceFields GetAll2() const;

 private:
  friend class KxProject;

  std::string name_;
  std::string path_;
  std::string jobTicketName_;
  std::string type_;
  std::string description_;
  int scope_ = 0;
  int submissionOrder_ = 0;
  int jobTicketOrder_ = -1;
  int jobTicketId_ = -1;
  bool hasJobTicketId_ = false;
  int modified_ = 0;
  std::string mime_;
  std::string preCaching_;
  std::vector<KxAttribute> attributes_;
  KxProject* owner_ = nullptr;  // the project listing this resource, if any
};

std::unique_ptr<KxResource> kxResourceNew();

// KxModification: one entry of a project's modification history.
class KxModification {
 public:
  const std::string& GetDate() const { return date_; }
  void SetDate(std::string_view date) { date_ = date; }
  const std::string& GetUser() const { return user_; }
  void SetUser(std::string_view user) { user_ = user; }
  void AddAction(std::string_view action) { actions_.emplace_back(action); }
  int GetActionCount() const { return static_cast<int>(actions_.size()); }
  // The action at index, or an empty text outside the list.
  const std::string& GetAction(int index) const;
  std::unique_ptr<KxModification> Clone() const { return std::make_unique<KxModification>(*this); }

 private:
  std::string date_;
  std::string user_;
  std::vector<std::string> actions_;
};
