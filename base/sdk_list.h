// Lists of the SDKs: a singly linked, insertion-ordered, zero-based core list
// (SdkNodeList) and the typed lists built on it.
//
// Elements keep insertion order and are never sorted. A list owns its
// elements unless told otherwise (setOwnsData / setOwnsElements): an owning
// list destroys an element when it is removed or the list is cleared; a
// non-owning list only forgets it. Elements returned by get() and nodeAt()
// are borrowed. Indexes at or past the end address the last element and an
// empty list yields null, so a bad index never reads outside the list.
// Lists of more than 100 elements answer indexed access from a cache that
// every change drops.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

template <class T>
struct SdkNode {
  explicit SdkNode(std::unique_ptr<T> e) : element(std::move(e)) {}
  std::unique_ptr<T> element;
  std::unique_ptr<SdkNode> next;
};

// Lists of this many elements or fewer are always walked; longer ones build
// the index cache on the first indexed access.
inline constexpr unsigned kSdkListCacheThreshold = 100;

template <class T>
class SdkNodeList {
 public:
  using Node = SdkNode<T>;

  SdkNodeList() = default;
  SdkNodeList(const SdkNodeList&) = delete;
  SdkNodeList& operator=(const SdkNodeList&) = delete;
  ~SdkNodeList() { clear(); }

  // Links the node behind the tail; returns the new count.
  int appendNode(std::unique_ptr<Node> node) {
    Node* raw = node.get();
    if (!head_) {
      head_ = std::move(node);
    } else {
      tail_->next = std::move(node);
    }
    tail_ = raw;
    ++count_;
    cache_.clear();
    return static_cast<int>(count_);
  }

  // Links the node in front of the element at position (0..count); a
  // position past the end appends.
  int insertNode(std::unique_ptr<Node> node, int position) {
    if (position <= 0 || !head_) {
      Node* raw = node.get();
      node->next = std::move(head_);
      head_ = std::move(node);
      if (!raw->next) tail_ = raw;
    } else if (static_cast<unsigned>(position) >= count_) {
      return appendNode(std::move(node));
    } else {
      Node* prev = nodeAt(position - 1);
      node->next = std::move(prev->next);
      prev->next = std::move(node);
      if (!prev->next->next) tail_ = prev->next.get();
    }
    ++count_;
    cache_.clear();
    return static_cast<int>(count_);
  }

  int count() const { return static_cast<int>(count_); }
  Node* head() const { return head_.get(); }
  Node* tail() const { return tail_; }

  // The node at index; past the end the last node, null on an empty list.
  Node* nodeAt(int index) const {
    if (!head_) return nullptr;
    if (index < 0) index = 0;
    if (static_cast<unsigned>(index) >= count_) return tail_;
    if (count_ > kSdkListCacheThreshold) {
      if (cache_.empty()) {
        cache_.reserve(count_);
        for (Node* n = head_.get(); n; n = n->next.get()) cache_.push_back(n);
      }
      return cache_[index];
    }
    Node* n = head_.get();
    for (int i = 0; i < index && n->next; ++i) n = n->next.get();
    return n;
  }

  // Unlinks the node (which must be of this list); returns the new count.
  int removeNode(Node* node) {
    Node* prev = nullptr;
    for (Node* n = head_.get(); n; prev = n, n = n->next.get()) {
      if (n != node) continue;
      std::unique_ptr<Node> gone = prev ? std::move(prev->next) : std::move(head_);
      if (prev) {
        prev->next = std::move(gone->next);
      } else {
        head_ = std::move(gone->next);
      }
      if (tail_ == node) tail_ = prev;
      if (!ownsData_) (void)gone->element.release();
      --count_;
      cache_.clear();
      break;
    }
    return static_cast<int>(count_);
  }

  int removeAt(int index) {
    Node* n = nodeAt(index);
    return n ? removeNode(n) : 0;
  }

  void clear() {
    // Unlink iteratively so long lists never recurse through the nodes.
    std::unique_ptr<Node> n = std::move(head_);
    while (n) {
      if (!ownsData_) (void)n->element.release();
      n = std::move(n->next);
    }
    tail_ = nullptr;
    count_ = 0;
    cache_.clear();
  }

  void setOwnsData(int flag) { ownsData_ = flag != 0; }
  bool ownsData() const { return ownsData_; }

 private:
  std::unique_ptr<Node> head_;
  Node* tail_ = nullptr;
  unsigned count_ = 0;
  bool ownsData_ = true;
  mutable std::vector<Node*> cache_;
};

// A list of adopted objects (tokens, pairs, modifications, resources).
// remove() finds an element by identity. A non-owning list merely points at
// objects that live elsewhere.
template <class T>
class SdkObjectList {
 public:
  int add(std::unique_ptr<T> element) {
    return core_.appendNode(std::make_unique<SdkNode<T>>(std::move(element)));
  }
  int insert(std::unique_ptr<T> element, int position) {
    return core_.insertNode(std::make_unique<SdkNode<T>>(std::move(element)), position);
  }
  // For non-owning lists: records a pointer to an object owned elsewhere.
  int addBorrowed(T* element) { return add(std::unique_ptr<T>(element)); }
  int insertBorrowed(T* element, int position) {
    return insert(std::unique_ptr<T>(element), position);
  }

  int count() const { return core_.count(); }
  T* get(int index) const {
    auto* n = core_.nodeAt(index);
    return n ? n->element.get() : nullptr;
  }
  // Index of the element (by identity), or -1.
  int indexOf(const T* element) const {
    int i = 0;
    for (auto* n = core_.head(); n; n = n->next.get(), ++i)
      if (n->element.get() == element) return i;
    return -1;
  }
  void remove(const T* element) {
    for (auto* n = core_.head(); n; n = n->next.get())
      if (n->element.get() == element) {
        core_.removeNode(n);
        return;
      }
  }
  int removeAt(int index) { return core_.removeAt(index); }
  // Takes the element out of the list without destroying it.
  std::unique_ptr<T> detachAt(int index) {
    auto* n = core_.nodeAt(index);
    if (!n) return nullptr;
    std::unique_ptr<T> e = std::move(n->element);
    core_.removeNode(n);
    return e;
  }
  void clear() { core_.clear(); }
  void setOwnsElements(int flag) { core_.setOwnsData(flag); }
  bool ownsElements() const { return core_.ownsData(); }

  template <class F>
  void forEach(F&& f) const {
    for (auto* n = core_.head(); n; n = n->next.get()) f(n->element.get());
  }

 private:
  SdkNodeList<T> core_;
};

// A list of texts, each stored as a private copy.
class SdkList {
 public:
  int add(const char* text);
  int add(const std::string& text);
  int insert(const char* text, int position);
  int count() const { return core_.count(); }
  // The text at index (borrowed); null on an empty list.
  const char* get(int index) const;
  // Removes the first element equal to key (byte for byte).
  void remove(const char* key);
  int removeAt(int index) { return core_.removeAt(index); }
  void clear() { core_.clear(); }
  // Replaces the text at index; no effect on an empty list.
  void setAt(int index, const char* text);
  std::vector<std::string> toVector() const;

 private:
  SdkNodeList<std::string> core_;
};

class KpfToken;
class SdkPair;
class KxModification;
class KxResource;
using SdkTokenList = SdkObjectList<KpfToken>;
using SdkPairList = SdkObjectList<SdkPair>;
using SdkModificationList = SdkObjectList<KxModification>;
using SdkResourceList = SdkObjectList<KxResource>;
