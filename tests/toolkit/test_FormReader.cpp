#include <gtest/gtest.h>

#include "toolkit/FormReader.h"

namespace {

// A component that records the properties it is given, in order.
class TRecorder : public TComponent {
public:
  using TComponent::TComponent;
  std::vector<std::string> Log;
  TComponent* ParentSeen = nullptr;
  bool LoadingWhileRead = false;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override {
    LoadingWhileRead = IsLoading();
    if (Name == "Unknown") return false;
    std::string Entry = Name + "=";
    switch (Value.Kind) {
    case TDefValue::vkInt: Entry += std::to_string(Value.Int); break;
    case TDefValue::vkString: Entry += WideToUtf8(Value.Str); break;
    case TDefValue::vkIdent: Entry += Value.Ident; break;
    case TDefValue::vkSet:
      for (const auto& S : Value.Set)
        Entry += S + ",";
      break;
    case TDefValue::vkStrings:
      for (const auto& S : Value.Strings)
        Entry += "[" + WideToUtf8(S) + "]";
      break;
    case TDefValue::vkBinary: Entry += std::to_string(Value.Binary.size()) + " bytes"; break;
    case TDefValue::vkCollection:
      Entry += std::to_string(Value.Collection.size()) + " items";
      break;
    }
    if (Value.Method) Entry += " (method)";
    Log.push_back(Entry);
    return true;
  }
  void Loaded() override {
    TComponent::Loaded();
    LoadOrder().push_back(WideToUtf8(Name()));
  }
  static std::vector<std::string>& LoadOrder() {
    static std::vector<std::string> Order;
    return Order;
  }
};

class TRecorderChild : public TRecorder, public IParentable {
public:
  using TRecorder::TRecorder;
  void SetParentComponent(TComponent* Parent) override { ParentSeen = Parent; }
};

class TRoot : public TRecorder {
public:
  explicit TRoot() : TRecorder(nullptr) {
    SetName(L"Root");
    RegisterField("A", A);
    RegisterField("B", B);
    RegisterMethod("AClick", TNotifyEvent([this](TComponent*) { ++Clicks; }));
  }
  TRecorderChild* A = nullptr;
  TRecorderChild* B = nullptr;
  int Clicks = 0;
};

struct Registration {
  Registration() { RegisterClass<TRecorderChild>("TRecorderChild"); }
} Registered;

} // namespace

TEST(FormReader, ParsesEveryValueKind) {
  TDefNode Node = ParseDefinition(R"(// a comment
object Root: TRoot
  Count = -12
  Hex = $1F
  Title = 'It''s '#269'esk'#253
  Colour = clBtnFace
  Icons = [biSystemMenu, biHelp]
  Lines.Strings = (
    'Nápověda:'
    ''
    'x')
  Data = {0A ff 10}
  File = {file:Skin.kvz}
  Items = <
    item
      Name = 'MeadowStyle'
      Shadow = 0
    end>
end)");
  ASSERT_EQ(Node.ClassName, "TRoot");
  ASSERT_EQ(Node.Properties.size(), 9u);
  EXPECT_EQ(Node.Properties[0].second.Int, -12);
  EXPECT_EQ(Node.Properties[1].second.Int, 31);
  EXPECT_EQ(Node.Properties[2].second.Str, L"It's \u010Desk\u00FD");
  EXPECT_EQ(Node.Properties[3].second.Ident, "clBtnFace");
  EXPECT_EQ(Node.Properties[4].second.Set, (std::vector<std::string>{"biSystemMenu", "biHelp"}));
  EXPECT_EQ(Node.Properties[5].second.Strings,
            (std::vector<std::wstring>{L"N\u00E1pov\u011Bda:", L"", L"x"}));
  EXPECT_EQ(Node.Properties[6].second.Binary, (std::vector<uint8_t>{0x0A, 0xFF, 0x10}));
  EXPECT_EQ(Node.Properties[7].second.Ident, "Skin.kvz");
  ASSERT_EQ(Node.Properties[8].second.Collection.size(), 1u);
  EXPECT_EQ(Node.Properties[8].second.Collection[0][0].second.Str, L"MeadowStyle");
}

TEST(FormReader, SyntaxErrorsNameTheLine) {
  try {
    ParseDefinition("object A: TA\n  X = 'open\nend");
    FAIL() << "no error";
  } catch (const Exception& E) {
    EXPECT_NE(E.Message().find(L"line 2"), std::wstring::npos) << E.what();
  }
  EXPECT_THROW(ParseDefinition("object A: TA\n  X = 1\n"), Exception);
  EXPECT_THROW(ParseDefinition("object A: TA\n  D = {ABC}\nend"), Exception);
  EXPECT_THROW(ParseDefinition("object A: TA end trailing"), Exception);
}

TEST(FormReader, ReadsInDefinitionOrderWithLoadingSetAndLoadedAfter) {
  TRecorder::LoadOrder().clear();
  TRoot Root;
  TDefNode Node = ParseDefinition(R"(object Root: TRoot
  First = 1
  object A: TRecorderChild
    X = 2
    OnClick = AClick
    object B: TRecorderChild
      Y = 3
    end
  end
  Last = 4
end)");
  ReadComponentTree(&Root, Node, {});
  EXPECT_EQ(Root.Log, (std::vector<std::string>{"First=1", "Last=4"}));
  ASSERT_NE(Root.A, nullptr);
  ASSERT_NE(Root.B, nullptr);
  EXPECT_EQ(Root.A->Name(), L"A");
  EXPECT_EQ(Root.A->Owner(), &Root);
  EXPECT_EQ(Root.B->Owner(), &Root); // owned by the root, parented by the enclosing object
  EXPECT_EQ(Root.B->ParentSeen, Root.A);
  EXPECT_EQ(Root.A->Log, (std::vector<std::string>{"X=2", "OnClick=AClick (method)"}));
  EXPECT_TRUE(Root.A->LoadingWhileRead);
  EXPECT_FALSE(Root.A->IsLoading());
  EXPECT_EQ(TRecorder::LoadOrder(), (std::vector<std::string>{"Root", "A", "B"}));
}

TEST(FormReader, ReportsUnknownPropertiesClassesMethodsAndWrongFields) {
  auto ReadText = [](const std::string& Text) {
    TRoot Root;
    ReadComponentTree(&Root, ParseDefinition(Text), {});
  };
  auto MessageOf = [&](const std::string& Text) {
    try {
      ReadText(Text);
    } catch (const Exception& E) {
      return E.Message();
    }
    return std::wstring(L"no error");
  };
  EXPECT_EQ(MessageOf("object Root: TRoot\n object A: TRecorderChild\n Unknown = 1\n end\nend"),
            L"Error reading A.Unknown: Property Unknown does not exist");
  EXPECT_EQ(MessageOf("object Root: TRoot\n object A: TNoSuchClass\n end\nend"),
            L"Class TNoSuchClass not found");
  EXPECT_EQ(MessageOf("object Root: TRoot\n OnShow = Missing\nend"), L"Method Missing not found");
  EXPECT_EQ(MessageOf("object Root: TRoot\n D = {file:X}\nend"), L"No packed file named X");
}

TEST(FormReader, ResolvesPackedFilesInPropertiesAndCollections) {
  TRoot Root;
  TDefNode Node = ParseDefinition(
      "object Root: TRoot\n D = {file:ONE}\n Items = <item Data = {file:TWO} end>\nend");
  std::vector<std::string> Asked;
  ReadComponentTree(&Root, Node, [&](const std::string& Name) {
    Asked.push_back(Name);
    return std::vector<uint8_t>(Name.size() * 2, 7);
  });
  EXPECT_EQ(Asked, (std::vector<std::string>{"ONE", "TWO"}));
  EXPECT_EQ(Root.Log[0], "D=6 bytes");
}

TEST(Components, OwnerFreesOwnedAndNotifies) {
  struct TWatcher : TComponent {
    using TComponent::TComponent;
    int Removed = 0;
    void Notification(TComponent*, TOperation Op) override { Removed += Op == opRemove; }
  };
  auto* Owner = new TComponent(nullptr);
  auto* Watcher = new TWatcher(Owner);
  auto* Other = new TComponent(Owner);
  EXPECT_EQ(Owner->ComponentCount(), 2);
  delete Other;
  EXPECT_EQ(Owner->ComponentCount(), 1);
  EXPECT_EQ(Watcher->Removed, 1);
  delete Owner; // frees the watcher too (checked by the sanitizer build)
}

TEST(Components, Utf8RoundTrip) {
  std::wstring Text = L"P\u0159eps\u00E1no \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(Text)), Text);
  EXPECT_EQ(WideToUtf8(L"\u0158"), "\xC5\x98");
}
