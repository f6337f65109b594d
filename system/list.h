// The object list every game class keeps its live objects in: a circular
// doubly linked list with a sentinel. The removal rules are what make the
// game's update loops safe: a removed link keeps its own successor, so a
// walk standing on it moves on, and links appended during a walk are reached
// in the same walk (even when the walk had already stepped onto the end).
// Leans on runtime_error.h for TObject and RuntimeError.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "system/runtime_error.h"

class TList;

// One node. The sentinel is the link whose value is the link itself.
class TLink : public TObject {
 public:
  // The element; none once the link has been removed.
  virtual std::shared_ptr<TObject> Value() const;
  // The next or previous link, none where that is the sentinel.
  virtual std::shared_ptr<TLink> NextLink() const;
  virtual std::shared_ptr<TLink> PrevLink() const;
  // Unlinks this link from its neighbours and drops the value, but keeps its
  // own _succ and _pred so a cursor standing here can still move on.
  // Removing a link a second time does nothing.
  virtual void Remove();

  bool IsSentinel() const { return _value.get() == this; }
  bool IsRemoved() const { return removed_; }
  // Creation order of links across all lists; lets a walk tell which links
  // at the end of a list were appended after it last returned a value.
  uint64_t Serial() const { return serial_; }

  TLink();

  std::shared_ptr<TObject> _value;
  std::shared_ptr<TLink> _succ;
  std::shared_ptr<TLink> _pred;

 private:
  bool removed_ = false;
  uint64_t serial_;
};

// A for-each cursor: _link is the link whose value comes next.
class TListEnum : public TObject {
 public:
  explicit TListEnum(std::shared_ptr<TLink> first);
  // 1 while the cursor stands on a link. A removed link still counts: its
  // value is none, which the walk skips. On the sentinel, links appended
  // since the cursor last returned a live value are picked up, so an object
  // appended by the body of the last element is still reached.
  virtual int HasNext();
  // The value of _link (none for a removed link); the cursor moves on to
  // that link's _succ. At the end it gives none and stays put.
  virtual std::shared_ptr<TObject> NextObject();

  std::shared_ptr<TLink> _link;

 private:
  uint64_t mark_;  // links with a serial from here on are new to this walk
};

// Range-for over a list, with the same removal rules as TListEnum: the
// cursor has already moved on when the loop body runs. Elements that are
// none or not a T are skipped, as the game's typed loops do.
template <typename T>
class TListIterator {
 public:
  struct End {};
  explicit TListIterator(std::shared_ptr<TLink> first) : cursor_(std::move(first)) { Advance(); }
  const std::shared_ptr<T>& operator*() const { return current_; }
  const std::shared_ptr<T>* operator->() const { return &current_; }
  TListIterator& operator++() {
    Advance();
    return *this;
  }
  bool operator==(End) const { return !current_; }
  bool operator!=(End) const { return static_cast<bool>(current_); }

 private:
  void Advance() {
    current_.reset();
    while (cursor_.HasNext()) {
      std::shared_ptr<TObject> value = cursor_.NextObject();
      if constexpr (std::is_same_v<T, TObject>) {
        current_ = std::move(value);
      } else if (T* typed = dynamic_cast<T*>(value.get())) {
        current_ = std::shared_ptr<T>(std::move(value), typed);  // no extra count
      }
      if (current_) return;
    }
  }

  TListEnum cursor_;
  std::shared_ptr<T> current_;
};

template <typename T>
class TListRange {
 public:
  explicit TListRange(std::shared_ptr<TLink> head) : head_(std::move(head)) {}
  TListIterator<T> begin() const { return TListIterator<T>(head_ ? head_->_succ : nullptr); }
  typename TListIterator<T>::End end() const { return {}; }

 private:
  std::shared_ptr<TLink> head_;
};

class TList : public TObject {
 public:
  using CompareFunction = std::function<int(const std::shared_ptr<TObject>&, const std::shared_ptr<TObject>&)>;

  // A sentinel linked to itself, its value itself.
  TList();
  // Clears the list and empties the sentinel so its self-references do not
  // keep it alive.
  ~TList() override;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  // Removes the first link until the list is empty.
  virtual void Clear();
  virtual int IsEmpty() const;
  virtual int Contains(const std::shared_ptr<TObject>& value) const;
  virtual std::shared_ptr<TLink> AddFirst(std::shared_ptr<TObject> value);
  virtual std::shared_ptr<TLink> AddLast(std::shared_ptr<TObject> value);
  // On an empty list these give none and change nothing.
  virtual std::shared_ptr<TObject> First() const;
  virtual std::shared_ptr<TObject> Last() const;
  virtual std::shared_ptr<TObject> RemoveFirst();
  virtual std::shared_ptr<TObject> RemoveLast();
  // None when the list is empty.
  virtual std::shared_ptr<TLink> FirstLink() const;
  virtual std::shared_ptr<TLink> LastLink() const;
  // A new link between succ's predecessor and succ / between pred and its
  // successor. A none link raises TNullObjectException.
  virtual std::shared_ptr<TLink> InsertBeforeLink(std::shared_ptr<TObject> value, const std::shared_ptr<TLink>& succ);
  virtual std::shared_ptr<TLink> InsertAfterLink(std::shared_ptr<TObject> value, const std::shared_ptr<TLink>& pred);
  // The first link whose value compares equal (Compare() == 0), else none.
  virtual std::shared_ptr<TLink> FindLink(const std::shared_ptr<TObject>& value) const;
  // Raises "List index out of range" unless 0 <= index < Count().
  virtual std::shared_ptr<TObject> ValueAtIndex(int index) const;
  // Walks the whole list every time.
  virtual int Count() const;
  // Removes the first link holding the value: 1, or 0 if it was not there.
  virtual int Remove(const std::shared_ptr<TObject>& value);
  // Exchanges the two lists' contents (their sentinels).
  virtual void Swap(TList& list);
  virtual std::shared_ptr<TList> Copy() const;
  virtual void Reverse();
  virtual std::shared_ptr<TList> Reversed() const;
  // Stable sort by relinking (links keep their values). The default order is
  // the elements' Compare(), with none first.
  virtual void Sort(int ascending = 1, CompareFunction compare = nullptr);
  virtual std::shared_ptr<TListEnum> ObjectEnumerator() const;
  virtual std::vector<std::shared_ptr<TObject>> ToArray() const;
  static std::shared_ptr<TList> FromArray(const std::vector<std::shared_ptr<TObject>>& array);

  // for (const auto& object : list) ... walks every element that is not none;
  // for (const auto& enemy : list.Each<TEnemy>()) ... only the TEnemy ones.
  TListIterator<TObject> begin() const { return TListIterator<TObject>(_head->_succ); }
  TListIterator<TObject>::End end() const { return {}; }
  template <typename T>
  TListRange<T> Each() const {
    return TListRange<T>(_head);
  }

  std::shared_ptr<TLink> _head;
};
