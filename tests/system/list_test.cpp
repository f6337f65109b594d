// The object list: walks that remove and append while running, the removed
// link's kept pointers, the operations of the list, and that nothing is kept
// alive once the list is gone.
#include "system/list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Named : TObject {
  explicit Named(std::string n) : name(std::move(n)) {}
  std::string ToString() const override { return name; }
  std::string name;
};

struct Other : TObject {};

std::shared_ptr<Named> Make(const char* name) { return std::make_shared<Named>(name); }

std::string NameOf(const std::shared_ptr<TObject>& object) { return object ? object->ToString() : "null"; }

// The list's contents in order, by name.
std::string Contents(const TList& list) {
  std::string text;
  for (const auto& object : list.ToArray()) text += NameOf(object);
  return text;
}

// Walks with the raw cursor, recording every value it yields (null included),
// and runs `body` on each non-null value as the game's loops do.
template <typename Body>
std::vector<std::string> Walk(const TList& list, Body body) {
  std::vector<std::string> yielded;
  auto cursor = list.ObjectEnumerator();
  while (cursor->HasNext()) {
    auto object = cursor->NextObject();
    yielded.push_back(NameOf(object));
    if (object) body(object);
  }
  return yielded;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(ListWalk, RemovingTheCurrentObjectVisitsEachOnceAndEmptiesTheList) {
  TList list;
  for (const char* n : {"A", "B", "C"}) list.AddLast(Make(n));
  EXPECT_EQ(Walk(list, [&](const auto& object) { EXPECT_EQ(list.Remove(object), 1); }), (Names{"A", "B", "C"}));
  EXPECT_EQ(list.IsEmpty(), 1);

  for (const char* n : {"A", "B", "C"}) list.AddLast(Make(n));
  std::string visited;
  for (const auto& object : list) {
    visited += NameOf(object);
    list.Remove(object);
  }
  EXPECT_EQ(visited, "ABC");
  EXPECT_EQ(list.Count(), 0);
}

TEST(ListWalk, RemovingTheNextObjectYieldsNullThenMovesOn) {
  TList list;
  auto a = Make("A"), b = Make("B"), c = Make("C");
  for (const auto& o : {a, b, c}) list.AddLast(o);
  EXPECT_EQ(Walk(list, [&](const auto& object) { if (object == a) list.Remove(b); }), (Names{"A", "null", "C"}));
  EXPECT_EQ(Contents(list), "AC");

  // The range-for skips the null, as the game's typed loop does.
  list.AddLast(b);
  list.AddLast(Make("D"));  // [A C B D]
  std::string visited;
  for (const auto& object : list) {
    visited += NameOf(object);
    if (object == a) list.Remove(c);
  }
  EXPECT_EQ(visited, "ABD");
}

TEST(ListWalk, SeveralConsecutiveRemovedLinksEachYieldNull) {
  TList list;
  auto a = Make("A"), b = Make("B"), c = Make("C"), d = Make("D");
  for (const auto& o : {a, b, c, d}) list.AddLast(o);
  EXPECT_EQ(Walk(list, [&](const auto& object) {
              if (object == a) {
                list.Remove(b);
                list.Remove(c);
              }
            }),
            (Names{"A", "null", "null", "D"}));
}

TEST(ListWalk, RemovingALaterObjectHidesIt) {
  TList list;
  auto a = Make("A"), b = Make("B"), c = Make("C");
  for (const auto& o : {a, b, c}) list.AddLast(o);
  EXPECT_EQ(Walk(list, [&](const auto& object) { if (object == a) list.Remove(c); }), (Names{"A", "B"}));
}

TEST(ListWalk, AppendsDuringTheWalkAreReachedInTheSamePass) {
  TList list;
  list.AddLast(Make("A"));
  EXPECT_EQ(Walk(list, [&](const auto& object) { if (NameOf(object) == "A") list.AddLast(Make("B")); }),
            (Names{"A", "B"}));

  // Objects that spawn more objects: every spawn is updated in the same pass.
  TList chain;
  chain.AddLast(Make("3"));
  std::string visited;
  for (const auto& object : chain) {
    visited += NameOf(object);
    int n = std::stoi(NameOf(object));
    if (n > 0) chain.AddLast(Make(std::to_string(n - 1).c_str()));
  }
  EXPECT_EQ(visited, "3210");
}

TEST(ListWalk, AppendsAfterRemovalsNearTheEndAreStillReachedOnce) {
  // The last object removes itself and leaves a successor behind.
  TList list;
  auto a = Make("A");
  list.AddLast(a);
  EXPECT_EQ(Walk(list, [&](const auto& object) {
              if (object == a) {
                list.Remove(a);
                list.AddLast(Make("B"));
                list.AddLast(Make("C"));
              }
            }),
            (Names{"A", "B", "C"}));
  EXPECT_EQ(Contents(list), "BC");

  // The cursor stands on a removed link whose old successor is the end.
  TList other;
  auto x = Make("X"), y = Make("Y");
  other.AddLast(x);
  other.AddLast(y);
  EXPECT_EQ(Walk(other, [&](const auto& object) {
              if (object == x) {
                other.Remove(y);
                other.AddLast(Make("Z"));
              }
            }),
            (Names{"X", "null", "Z"}));

  // Objects seen earlier in the walk are never returned a second time.
  TList again;
  again.AddLast(Make("P"));
  again.AddLast(Make("Q"));
  int appended = 0;
  EXPECT_EQ(Walk(again, [&](const auto&) {
              if (appended++ < 1) again.AddLast(Make("R"));
            }),
            (Names{"P", "Q", "R"}));
}

TEST(ListWalk, CursorAtTheEndGivesNoneAndStays) {
  TList list;
  list.AddLast(Make("A"));
  auto cursor = list.ObjectEnumerator();
  EXPECT_EQ(NameOf(cursor->NextObject()), "A");
  EXPECT_EQ(cursor->HasNext(), 0);
  EXPECT_EQ(cursor->NextObject(), nullptr);
  EXPECT_EQ(cursor->HasNext(), 0);
  EXPECT_EQ(TList().ObjectEnumerator()->HasNext(), 0);
}

TEST(ListWalk, ClearingDuringTheWalkYieldsNullForEveryRemainingLink) {
  TList list;
  for (const char* n : {"A", "B", "C"}) list.AddLast(Make(n));
  EXPECT_EQ(Walk(list, [&](const auto&) { list.Clear(); }), (Names{"A", "null", "null"}));
  EXPECT_EQ(list.Count(), 0);

  // A game start empties a list and refills it from inside a walk.
  for (const char* n : {"A", "B", "C"}) list.AddLast(Make(n));
  EXPECT_EQ(Walk(list, [&](const auto& object) {
              if (NameOf(object) == "A") {
                list.Clear();
                list.AddLast(Make("D"));
              }
            }),
            (Names{"A", "null", "null", "D"}));
}

TEST(ListWalk, TypedWalkSkipsOtherClasses) {
  TList list;
  list.AddLast(Make("A"));
  list.AddLast(std::make_shared<Other>());
  list.AddLast(nullptr);
  list.AddLast(Make("B"));
  std::string visited;
  for (const std::shared_ptr<Named>& named : list.Each<Named>()) visited += named->name;
  EXPECT_EQ(visited, "AB");
  int others = 0;
  for (const auto& other : list.Each<Other>()) others += other ? 1 : 0;
  EXPECT_EQ(others, 1);
  int all = 0;
  for (const auto& object : list) all += object ? 1 : 0;
  EXPECT_EQ(all, 3);  // the null element is skipped
  EXPECT_EQ(list.Count(), 4);
}

TEST(ListLinks, RemovedLinkKeepsItsNeighboursAndLosesItsValue) {
  TList list;
  auto a = list.AddLast(Make("A"));
  auto b = list.AddLast(Make("B"));
  auto c = list.AddLast(Make("C"));
  b->Remove();
  EXPECT_EQ(b->Value(), nullptr);
  EXPECT_EQ(b->NextLink(), c);
  EXPECT_EQ(b->PrevLink(), a);
  EXPECT_EQ(a->NextLink(), c);
  EXPECT_EQ(c->PrevLink(), a);
  EXPECT_EQ(a->PrevLink(), nullptr);  // the sentinel reads as none
  EXPECT_EQ(c->NextLink(), nullptr);
  EXPECT_EQ(list.FirstLink(), a);
  EXPECT_EQ(list.LastLink(), c);

  // A second removal must not undo later changes around the old position.
  auto n = list.InsertAfterLink(Make("N"), a);
  b->Remove();
  EXPECT_EQ(Contents(list), "ANC");
  EXPECT_EQ(n->PrevLink(), a);
  EXPECT_EQ(c->PrevLink(), n);
}

TEST(ListOps, CountAndRemoveWithTheSameObjectTwice) {
  TList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IsEmpty(), 1);
  auto x = Make("X");
  auto first = list.AddLast(x);
  auto second = list.AddLast(x);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Remove(x), 1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(first->Value(), nullptr);  // only the first link went
  EXPECT_EQ(second->Value(), x);
  EXPECT_EQ(list.Remove(x), 1);
  EXPECT_EQ(list.Remove(x), 0);  // not there any more: nothing happens
  EXPECT_EQ(list.Remove(Make("X")), 0);  // equal name, different object
  EXPECT_EQ(list.Count(), 0);
}

TEST(ListOps, FindContainsAndValueAtIndex) {
  TList list;
  auto a = Make("A"), b = Make("B");
  list.AddLast(a);
  auto link_b = list.AddLast(b);
  EXPECT_EQ(list.FindLink(b), link_b);
  EXPECT_EQ(list.FindLink(Make("B")), nullptr);
  EXPECT_EQ(list.Contains(a), 1);
  EXPECT_EQ(list.Contains(nullptr), 0);
  EXPECT_EQ(list.ValueAtIndex(0), a);
  EXPECT_EQ(list.ValueAtIndex(1), b);
  for (int bad : {-1, 2, 100}) {
    try {
      list.ValueAtIndex(bad);
      FAIL() << bad;
    } catch (const TRuntimeException& e) {
      EXPECT_EQ(e.error, "List index out of range");
    }
  }
}

TEST(ListOps, EndsOfTheList) {
  TList list;
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(list.RemoveFirst(), nullptr);
  EXPECT_EQ(list.RemoveLast(), nullptr);
  EXPECT_EQ(list.FirstLink(), nullptr);
  EXPECT_EQ(list.LastLink(), nullptr);
  list.AddLast(Make("B"));
  list.AddFirst(Make("A"));
  list.AddLast(Make("C"));
  EXPECT_EQ(NameOf(list.First()), "A");
  EXPECT_EQ(NameOf(list.Last()), "C");
  EXPECT_EQ(NameOf(list.RemoveFirst()), "A");
  EXPECT_EQ(NameOf(list.RemoveLast()), "C");
  EXPECT_EQ(Contents(list), "B");
  list.InsertBeforeLink(Make("0"), list.FirstLink());
  list.InsertAfterLink(Make("9"), list.LastLink());
  EXPECT_EQ(Contents(list), "0B9");
  EXPECT_THROW(list.InsertBeforeLink(Make("x"), nullptr), TNullObjectException);
}

TEST(ListOps, CopyReverseSwapAndArrays) {
  auto list = TList::FromArray({Make("A"), Make("B"), Make("C")});
  EXPECT_EQ(Contents(*list), "ABC");
  auto copy = list->Copy();
  auto reversed = list->Reversed();
  list->Reverse();
  EXPECT_EQ(Contents(*list), "CBA");
  EXPECT_EQ(Contents(*copy), "ABC");
  EXPECT_EQ(Contents(*reversed), "CBA");
  EXPECT_EQ(copy->First(), list->Last());  // same objects, not copies
  EXPECT_EQ(NameOf(list->LastLink()->PrevLink()->Value()), "B");

  TList empty;
  empty.Reverse();
  EXPECT_EQ(empty.IsEmpty(), 1);
  empty.Swap(*copy);
  EXPECT_EQ(Contents(empty), "ABC");
  EXPECT_EQ(copy->IsEmpty(), 1);
  EXPECT_EQ(empty.ToArray().size(), 3u);
}

TEST(ListOps, SortIsStableAndRelinksTheSameLinks) {
  TList list;
  auto link_b = list.AddLast(Make("b"));
  list.AddLast(Make("a1"));
  list.AddLast(Make("c"));
  list.AddLast(Make("a2"));
  auto by_first_letter = [](const std::shared_ptr<TObject>& x, const std::shared_ptr<TObject>& y) {
    return NameOf(x)[0] - NameOf(y)[0];
  };
  list.Sort(1, by_first_letter);
  EXPECT_EQ(Contents(list), "a1a2bc");
  EXPECT_EQ(list.ValueAtIndex(2), link_b->Value());
  EXPECT_EQ(NameOf(link_b->NextLink()->Value()), "c");
  list.Sort(0, by_first_letter);
  EXPECT_EQ(Contents(list), "cba1a2");  // descending, ties still in order
  EXPECT_EQ(list.Count(), 4);
}

TEST(ListLifetime, DestroyingTheListFreesLinksValuesAndSentinel) {
  std::weak_ptr<TObject> value;
  std::weak_ptr<TLink> sentinel, link;
  {
    auto list = std::make_shared<TList>();
    auto object = Make("A");
    value = object;
    link = list->AddLast(object);
    list->AddLast(Make("B"));
    sentinel = list->_head;
  }
  EXPECT_TRUE(value.expired());
  EXPECT_TRUE(link.expired());
  EXPECT_TRUE(sentinel.expired());
}

TEST(ListLifetime, KeptLinksAndCursorsOutliveTheListSafely) {
  std::weak_ptr<TLink> sentinel;
  std::shared_ptr<TLink> kept;
  std::shared_ptr<TListEnum> cursor;
  {
    TList list;
    kept = list.AddLast(Make("A"));
    list.AddLast(Make("B"));
    cursor = list.ObjectEnumerator();
    sentinel = list._head;
  }
  EXPECT_EQ(kept->Value(), nullptr);  // the list cleared it on the way out
  // The cursor runs out at the emptied sentinel instead of crashing.
  int steps = 0;
  while (cursor->HasNext() && steps < 10) {
    EXPECT_EQ(cursor->NextObject(), nullptr);
    ++steps;
  }
  EXPECT_LT(steps, 10);
  kept.reset();
  cursor.reset();
  EXPECT_TRUE(sentinel.expired());
}

TEST(ListLifetime, AnObjectHoldingItsOwnLinkIsFreedByRemoval) {
  struct SelfLinked : TObject {
    std::shared_ptr<TLink> link;
  };
  std::weak_ptr<TObject> watch;
  TList list;
  {
    auto object = std::make_shared<SelfLinked>();
    object->link = list.AddLast(object);
    watch = object;
  }
  EXPECT_FALSE(watch.expired());  // the list keeps it alive
  std::static_pointer_cast<SelfLinked>(watch.lock())->link->Remove();
  EXPECT_TRUE(watch.expired());
}
