// KxProject: writing the canonical KPF text.
//
// The whole text is built in memory and then replaces the old file in one
// step (kxReplaceFile), so a failed write leaves the previous file whole.
#include "kpsdk/kx_file_replace.h"
#include "kpsdk/kx_project.h"

namespace {

// Entity encoding: "&" first, so nothing is encoded twice.
std::string encode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

void element(std::string& out, const char* indent, const char* tag, std::string_view value) {
  out += indent;
  out += '<';
  out += tag;
  out += '>';
  out += encode(value);
  out += "</";
  out += tag;
  out += ">\n";
}

void writeModification(std::string& out, const KxModification& m) {
  if (m.GetActionCount() == 0) return;
  out += " <MODIFICATION>\n";
  element(out, "  ", "DATE", m.GetDate());
  element(out, "  ", "USER", m.GetUser());
  out += "  <ACTIONS>\n";
  for (int i = 0; i < m.GetActionCount(); ++i) element(out, "   ", "ACTION", m.GetAction(i));
  out += "  </ACTIONS>\n";
  out += " </MODIFICATION>\n";
}

void writeResource(std::string& out, const KxResource& r) {
  out += " <RESOURCE Name='";
  out += encode(r.GetName());
  out += "' Type='";
  out += r.GetType();
  out += "' Scope='";
  out += std::to_string(r.GetScope());
  out += '\'';
  if (r.GetType() == "sub") {
    out += " SubmissionOrder='" + std::to_string(r.GetSubmissionOrder()) + "'";
    if (r.HasJobTicketId()) out += " JobTicketID='" + std::to_string(r.GetJobTicketId()) + "'";
  } else if (r.GetType() == "jtk") {
    if (r.HasJobTicketId() && r.GetJobTicketId() != -1) {
      out += " JobTicketID='" + std::to_string(r.GetJobTicketId()) + "'";
    } else if (r.GetJobTicketOrder() != -1) {
      out += " JobTicketOrder='" + std::to_string(r.GetJobTicketOrder()) + "'";
    }
  }
  if (!r.GetDescription().empty()) out += " Description='" + encode(r.GetDescription()) + "'";
  if (!r.GetMime().empty()) out += " Mime='" + encode(r.GetMime()) + "'";
  for (const KxAttribute& a : r.GetAttributes()) {
    out += ' ';
    out += a.name;
    out += "='";
    out += a.value;
    out += '\'';
  }
  out += "/>\n";
}

}  // namespace

int KxProject::WriteKpf(const std::string& path) {
  ValidateInformation(0);
  if (GetMessageFlags() & kKxError) return GetMessageFlags();

  std::string out;
  out.reserve(256 + resources_.size() * 96);
  if (encoding_.empty()) {
    out += "<?xml version='1.0'?>\n";
  } else {
    out += "<?xml version='1.0' encoding='" + encoding_ + "'?>\n";
  }
  kpfVersion_ = "2.0";
  out += "<KPF Version='" + kpfVersion_ + "'>\n\n";
  out += "<INFORMATION>\n";
  element(out, " ", "COPYRIGHT", copyright_);
  out += " <PROJECT_TYPE>";
  out += kxProjectTypeName(projectType_);
  out += "</PROJECT_TYPE>\n";
  element(out, " ", "FOLDER_NAME", folderName_);
  element(out, " ", "PROJECT_NAME", projectName_);
  element(out, " ", "PROJECT_VERSION", projectVersion_);
  element(out, " ", "PROJECT_TITLE", projectTitle_);
  element(out, " ", "PROJECT_DESCRIPTION", projectDescription_);
  element(out, " ", "AUTHOR", author_);
  element(out, " ", "KEYWORDS", keywords_);
  element(out, " ", "GENERATOR", generator_);
  element(out, " ", "CREATION_DATE", creationDate_);
  out += "</INFORMATION>\n\n";
  out += "<RESOURCES>\n";
  if (projectType_ != kKxTypeKoro && ValidateProjectPaths() && HasProjectPaths()) {
    for (int scope = 0; scope < 3; ++scope)
      out += " <PROJECT_PATH Scope='" + std::to_string(scope) + "'>" + projectPaths_[scope] + "</PROJECT_PATH>\n";
  }
  for (const auto& r : resources_) writeResource(out, *r);
  out += "</RESOURCES>\n\n";
  if (!modifications_.empty() || currentModification_->GetActionCount() > 0) {
    out += "<MODIFICATIONS>\n";
    for (const auto& m : modifications_) writeModification(out, *m);
    writeModification(out, *currentModification_);
    out += "</MODIFICATIONS>\n\n";
  }
  for (const KxPrivateSection& s : privateSections_)
    out += "<PRIVATE Identifier='" + s.identifier + "'>" + s.content + "</PRIVATE>\n\n";
  out += "</KPF>\n";

  std::string reason;
  if (!kxReplaceFile(path, out, reason)) log(kKxError, "Could not create file '%s' (%s)", path.c_str(), reason.c_str());
  return GetMessageFlags();
}
