#include "base/sdk_list.h"

int SdkList::add(const char* text) { return add(std::string(text ? text : "")); }

int SdkList::add(const std::string& text) {
  return core_.appendNode(std::make_unique<SdkNode<std::string>>(std::make_unique<std::string>(text)));
}

int SdkList::insert(const char* text, int position) {
  return core_.insertNode(
      std::make_unique<SdkNode<std::string>>(std::make_unique<std::string>(text ? text : "")), position);
}

const char* SdkList::get(int index) const {
  auto* n = core_.nodeAt(index);
  return n ? n->element->c_str() : nullptr;
}

void SdkList::remove(const char* key) {
  if (key == nullptr) return;
  for (auto* n = core_.head(); n; n = n->next.get())
    if (*n->element == key) {
      core_.removeNode(n);
      return;
    }
}

void SdkList::setAt(int index, const char* text) {
  auto* n = core_.nodeAt(index);
  if (n) *n->element = text ? text : "";
}

std::vector<std::string> SdkList::toVector() const {
  std::vector<std::string> v;
  v.reserve(core_.count());
  for (auto* n = core_.head(); n; n = n->next.get()) v.push_back(*n->element);
  return v;
}
