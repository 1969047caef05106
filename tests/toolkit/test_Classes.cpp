#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/Classes.h"

namespace {

std::vector<std::string> Log;

// Records the two steps of freeing: BeforeDestruction sees the derived part whole.
class TRecorded : public TComponent {
public:
  TRecorded(TComponent* Owner, std::string Name) : TComponent(Owner), FName(std::move(Name)) {}
  ~TRecorded() override { Log.push_back("~" + FName); }

protected:
  void BeforeDestruction() override {
    Log.push_back("before " + FName + (IsDestroying() ? " destroying" : ""));
    TComponent::BeforeDestruction();
  }

private:
  std::string FName;
};

// A derived part that the base's first step must still be able to use.
class TDerived : public TRecorded {
public:
  explicit TDerived(TComponent* Owner) : TRecorded(Owner, "derived") {}
  ~TDerived() override { Log.push_back("~derived part"); }
};

} // namespace

TEST(Components, OwnedComponentsGoWhileTheOwnerIsWholeNewestFirst) {
  Log.clear();
  auto* Owner = new TDerived(nullptr);
  new TRecorded(Owner, "a");
  new TRecorded(Owner, "b");
  delete Owner;
  EXPECT_EQ(Log,
            (std::vector<std::string>{"before derived destroying", "before b destroying", "~b",
                                      "before a destroying", "~a", "~derived part", "~derived"}));
}

TEST(Components, AComponentNotOnTheHeapStillFreesWhatItOwns) {
  Log.clear();
  {
    TComponent Owner(nullptr);
    new TRecorded(&Owner, "a");
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"before a destroying", "~a"}));
}

TEST(Components, FreedComponentLeavesItsOwnersList) {
  TComponent Owner(nullptr);
  auto* A = new TComponent(&Owner);
  auto* B = new TComponent(&Owner);
  delete A;
  ASSERT_EQ(Owner.ComponentCount(), 1);
  EXPECT_EQ(Owner.Components(0), B);
}

TEST(WeakRef, AnswersNullOnceTheComponentIsGoneAlsoWhenFreedByItsOwner) {
  auto* Owner = new TComponent(nullptr);
  auto* Child = new TComponent(Owner);
  TWeakRef<TComponent> ToChild(Child), ToOwner(Owner), Empty;
  EXPECT_EQ(ToChild.Get(), Child);
  EXPECT_TRUE(ToOwner);
  EXPECT_FALSE(Empty);
  delete Owner;
  EXPECT_EQ(ToChild.Get(), nullptr);
  EXPECT_EQ(ToOwner.Get(), nullptr);
  EXPECT_TRUE(ToChild == nullptr);
}
