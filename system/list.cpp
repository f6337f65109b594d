// The object list. Links hold each other with strong references; the cycles
// this makes are broken by Remove() (which the list's destructor calls for
// every link) and by emptying the sentinel when the list goes away.
#include "system/list.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<uint64_t> g_next_serial{0};

bool SameValue(const std::shared_ptr<TObject>& a, const std::shared_ptr<TObject>& b) {
  if (a == b) return true;
  if (!a || !b) return false;
  return a->Compare(*b) == 0;
}

std::shared_ptr<TLink> NoneIfSentinel(const std::shared_ptr<TLink>& link) {
  return link && !link->IsSentinel() ? link : nullptr;
}
}  // namespace

// ---------------------------------------------------------------- TLink

TLink::TLink() : serial_(g_next_serial.fetch_add(1, std::memory_order_relaxed)) {}

std::shared_ptr<TObject> TLink::Value() const { return _value; }
std::shared_ptr<TLink> TLink::NextLink() const { return NoneIfSentinel(_succ); }
std::shared_ptr<TLink> TLink::PrevLink() const { return NoneIfSentinel(_pred); }

void TLink::Remove() {
  // A second removal would relink neighbours that have changed since.
  if (removed_ || IsSentinel()) return;
  removed_ = true;
  // Held locally: the value's destructor may run game code, and unlinking may
  // drop the last reference to this link, so nothing below touches members
  // after the neighbours have been rewired.
  std::shared_ptr<TObject> value = std::move(_value);
  std::shared_ptr<TLink> succ = _succ;
  std::shared_ptr<TLink> pred = _pred;
  if (succ) succ->_pred = pred;
  if (pred) pred->_succ = succ;
}

// ---------------------------------------------------------------- TListEnum

TListEnum::TListEnum(std::shared_ptr<TLink> first)
    : _link(std::move(first)), mark_(g_next_serial.load(std::memory_order_relaxed)) {}

int TListEnum::HasNext() {
  if (!_link) return 0;  // a cursor that outlived its list
  if (!_link->IsSentinel()) return 1;
  // Appends land just before the sentinel. Walk back over the links created
  // since this cursor last returned a live value: none of them has been seen.
  std::shared_ptr<TLink> first_new;
  for (std::shared_ptr<TLink> link = _link->_pred; link && link != _link && link->Serial() >= mark_;
       link = link->_pred) {
    first_new = link;
  }
  if (!first_new) return 0;
  _link = std::move(first_new);
  return 1;
}

std::shared_ptr<TObject> TListEnum::NextObject() {
  if (!_link || _link->IsSentinel()) return nullptr;
  if (!_link->IsRemoved()) mark_ = g_next_serial.load(std::memory_order_relaxed);
  std::shared_ptr<TObject> value = _link->_value;
  _link = _link->_succ;
  return value;
}

// ---------------------------------------------------------------- TList

TList::TList() : _head(std::make_shared<TLink>()) {
  _head->_value = _head;
  _head->_succ = _head;
  _head->_pred = _head;
}

TList::~TList() {
  Clear();
  _head->_value.reset();
  _head->_succ.reset();
  _head->_pred.reset();
}

void TList::Clear() {
  while (!IsEmpty()) {
    std::shared_ptr<TLink> first = _head->_succ;
    first->Remove();
  }
}

int TList::IsEmpty() const { return _head->_succ == _head ? 1 : 0; }

int TList::Contains(const std::shared_ptr<TObject>& value) const { return FindLink(value) ? 1 : 0; }

std::shared_ptr<TLink> TList::AddFirst(std::shared_ptr<TObject> value) {
  return InsertAfterLink(std::move(value), _head);
}

std::shared_ptr<TLink> TList::AddLast(std::shared_ptr<TObject> value) {
  return InsertBeforeLink(std::move(value), _head);
}

std::shared_ptr<TObject> TList::First() const { return IsEmpty() ? nullptr : _head->_succ->_value; }
std::shared_ptr<TObject> TList::Last() const { return IsEmpty() ? nullptr : _head->_pred->_value; }

std::shared_ptr<TObject> TList::RemoveFirst() {
  if (IsEmpty()) return nullptr;
  std::shared_ptr<TLink> link = _head->_succ;
  std::shared_ptr<TObject> value = link->_value;
  link->Remove();
  return value;
}

std::shared_ptr<TObject> TList::RemoveLast() {
  if (IsEmpty()) return nullptr;
  std::shared_ptr<TLink> link = _head->_pred;
  std::shared_ptr<TObject> value = link->_value;
  link->Remove();
  return value;
}

std::shared_ptr<TLink> TList::FirstLink() const { return IsEmpty() ? nullptr : _head->_succ; }
std::shared_ptr<TLink> TList::LastLink() const { return IsEmpty() ? nullptr : _head->_pred; }

std::shared_ptr<TLink> TList::InsertBeforeLink(std::shared_ptr<TObject> value, const std::shared_ptr<TLink>& succ) {
  if (!succ) throw TNullObjectException();
  auto link = std::make_shared<TLink>();
  link->_value = std::move(value);
  link->_succ = succ;
  link->_pred = succ->_pred;
  link->_pred->_succ = link;
  succ->_pred = link;
  return link;
}

std::shared_ptr<TLink> TList::InsertAfterLink(std::shared_ptr<TObject> value, const std::shared_ptr<TLink>& pred) {
  if (!pred) throw TNullObjectException();
  auto link = std::make_shared<TLink>();
  link->_value = std::move(value);
  link->_pred = pred;
  link->_succ = pred->_succ;
  link->_succ->_pred = link;
  pred->_succ = link;
  return link;
}

std::shared_ptr<TLink> TList::FindLink(const std::shared_ptr<TObject>& value) const {
  // Steps through the owning pointers rather than copies: this search runs
  // for every Remove(value), so reference-count traffic would dominate.
  for (const std::shared_ptr<TLink>* at = &_head->_succ; *at != _head; at = &(*at)->_succ) {
    if (SameValue((*at)->_value, value)) return *at;
  }
  return nullptr;
}

std::shared_ptr<TObject> TList::ValueAtIndex(int index) const {
  if (index >= 0) {
    for (std::shared_ptr<TLink> link = _head->_succ; link != _head; link = link->_succ) {
      if (index-- == 0) return link->_value;
    }
  }
  RuntimeError("List index out of range");
}

int TList::Count() const {
  int count = 0;
  for (TLink* link = _head->_succ.get(); link != _head.get(); link = link->_succ.get()) ++count;
  return count;
}

int TList::Remove(const std::shared_ptr<TObject>& value) {
  std::shared_ptr<TLink> link = FindLink(value);
  if (!link) return 0;
  link->Remove();
  return 1;
}

void TList::Swap(TList& list) { std::swap(_head, list._head); }

std::shared_ptr<TList> TList::Copy() const {
  auto copy = std::make_shared<TList>();
  for (TLink* link = _head->_succ.get(); link != _head.get(); link = link->_succ.get()) copy->AddLast(link->_value);
  return copy;
}

void TList::Reverse() {
  TLink* link = _head.get();
  do {
    std::swap(link->_succ, link->_pred);
    link = link->_pred.get();  // the old successor
  } while (link != _head.get());
}

std::shared_ptr<TList> TList::Reversed() const {
  auto copy = std::make_shared<TList>();
  for (TLink* link = _head->_succ.get(); link != _head.get(); link = link->_succ.get()) copy->AddFirst(link->_value);
  return copy;
}

void TList::Sort(int ascending, CompareFunction compare) {
  if (!compare) {
    compare = [](const std::shared_ptr<TObject>& a, const std::shared_ptr<TObject>& b) {
      if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
      return a->Compare(*b);
    };
  }
  std::vector<std::shared_ptr<TLink>> links;
  for (std::shared_ptr<TLink> link = _head->_succ; link != _head; link = link->_succ) links.push_back(link);
  std::stable_sort(links.begin(), links.end(), [&](const std::shared_ptr<TLink>& a, const std::shared_ptr<TLink>& b) {
    int order = compare(a->_value, b->_value);
    return ascending ? order < 0 : order > 0;
  });
  std::shared_ptr<TLink> pred = _head;
  for (const auto& link : links) {
    pred->_succ = link;
    link->_pred = pred;
    pred = link;
  }
  pred->_succ = _head;
  _head->_pred = pred;
}

std::shared_ptr<TListEnum> TList::ObjectEnumerator() const { return std::make_shared<TListEnum>(_head->_succ); }

std::vector<std::shared_ptr<TObject>> TList::ToArray() const {
  std::vector<std::shared_ptr<TObject>> array;
  for (TLink* link = _head->_succ.get(); link != _head.get(); link = link->_succ.get()) array.push_back(link->_value);
  return array;
}

std::shared_ptr<TList> TList::FromArray(const std::vector<std::shared_ptr<TObject>>& array) {
  auto list = std::make_shared<TList>();
  for (const auto& value : array) list->AddLast(value);
  return list;
}
