#include "kpsdk/kx_resource.h"

#include "kpsdk/kx_project.h"

void KxResource::SetName(std::string_view name) {
  if (name == name_) return;
  name_ = name;
  if (owner_) owner_->ResourceRenamed();
}

const char* KxResource::GetAttribute(std::string_view name) const {
  for (auto it = attributes_.rbegin(); it != attributes_.rend(); ++it)
    if (it->name == name) return it->value.c_str();
  return nullptr;
}

void KxResource::SetAttribute(std::string_view name, const char* value) {
  for (auto it = attributes_.begin(); it != attributes_.end(); ++it) {
    if (it->name != name) continue;
    if (value) {
      it->value = value;
    } else {
      attributes_.erase(it);
    }
    return;
  }
  if (value) attributes_.push_back({std::string(name), value});
}

void KxResource::AddAttribute(std::string_view name, std::string_view value) {
  attributes_.push_back({std::string(name), std::string(value)});
}

KxResourceFields KxResource::GetAll() const {
  KxResourceFields f;
  f.name = name_;
  f.path = path_;
  f.type = type_;
  f.description = description_;
  f.scope = scope_;
  f.submissionOrder = submissionOrder_;
  return f;
}

KxResourceFields KxResource::GetAll2() const {
  KxResourceFields f = GetAll();
  f.jobTicketName = jobTicketName_;
  f.jobTicketOrder = jobTicketOrder_;
  f.jobTicketId = jobTicketId_;
  f.hasJobTicketId = HasJobTicketId();
  return f;
}

std::unique_ptr<KxResource> kxResourceNew() { return std::make_unique<KxResource>(); }

const std::string& KxModification::GetAction(int index) const {
  static const std::string empty;
  return index >= 0 && index < GetActionCount() ? actions_[index] : empty;
}
