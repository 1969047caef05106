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
    case TDefValue::vkFloat: Entry += std::to_string(Value.Float); break;
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

// A component with typed properties, read the way the framework's controls read theirs.
class TTyped : public TComponent {
public:
  using TComponent::TComponent;
  int Count = 0;
  bool Flag = false;
  int Mode = -1;
  unsigned Flags = 0;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override {
    if (Name == "Count") {
      Count = Value.AsInt();
    } else if (Name == "Flag") {
      Flag = Value.AsBool();
    } else if (Name == "Mode") {
      Mode = Value.AsIdentIndex({"mdFirst", "mdSecond"});
    } else if (Name == "Flags") {
      Flags = Value.AsSetFlags({{"flA", 1}, {"flB", 4}});
    } else if (Name == "Refused") {
      throw Exception(L"the component refuses " + std::to_wstring(Value.Int));
    } else if (Name == "Items") {
      // Each item value is checked where it stands.
      for (const auto& Item : Value.Collection)
        for (const auto& [Key, V] : Item)
          if (Key == "Count") Count += V.AsInt();
    } else {
      return TComponent::ReadProperty(Name, Value);
    }
    return true;
  }
};

struct Registration {
  Registration() {
    RegisterClass<TRecorderChild>("TRecorderChild");
    RegisterClass<TTyped>("TTyped");
  }
} Registered;

// The error text of reading Body as the properties of a TTyped child named T of a root in a
// definition named "test.form"; the child's properties begin on line 3.
std::wstring TypedError(const std::string& Body) {
  TRoot Root;
  try {
    ReadComponentTree(
        &Root,
        ParseDefinition("object Root: TRoot\n object T: TTyped\n" + Body + "\n end\nend",
                        "test.form"),
        {}, "test.form");
  } catch (const Exception& E) {
    return E.Message();
  }
  return L"no error";
}

// The error text of parsing Text as "test.form".
std::wstring ParseError(const std::string& Text) {
  try {
    ParseDefinition(Text, "test.form");
  } catch (const Exception& E) {
    return E.Message();
  }
  return L"no error";
}

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
            L"Form definition, line 3: unknown property \"Unknown\" of A (TRecorderChild)");
  EXPECT_EQ(MessageOf("object Root: TRoot\n object A: TNoSuchClass\n end\nend"),
            L"Form definition, line 2: Class TNoSuchClass not found");
  EXPECT_EQ(MessageOf("object Root: TRoot\n OnShow = Missing\nend"),
            L"Form definition, line 2: Method Missing not found");
  EXPECT_EQ(MessageOf("object Root: TRoot\n D = {file:X}\nend"),
            L"Form definition, line 2: No packed file named X");
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

TEST(FormReader, ValuesAndObjectsCarryTheirLines) {
  TDefNode Node =
      ParseDefinition("// head\nobject Root: TRoot\n  A = 1\n\n  B = <\n    item\n"
                      "      X = 'x'\n    end>\n  object C: TC\n    D = [a]\n  end\nend");
  EXPECT_EQ(Node.Line, 2);
  ASSERT_EQ(Node.Properties.size(), 2u);
  EXPECT_EQ(Node.Properties[0].second.Line, 3);
  EXPECT_EQ(Node.Properties[1].second.Line, 5);
  EXPECT_EQ(Node.Properties[1].second.Collection[0][0].second.Line, 7);
  ASSERT_EQ(Node.Children.size(), 1u);
  EXPECT_EQ(Node.Children[0].Line, 9);
  EXPECT_EQ(Node.Children[0].Properties[0].second.Line, 10);
}

TEST(FormReader, NumbersThatDoNotFit64BitsAreErrors) {
  // The extremes still fit.
  TDefNode Node = ParseDefinition("object A: TA\n X = 9223372036854775807\n"
                                  " Y = -9223372036854775808\n Z = $7FFFFFFFFFFFFFFF\nend");
  EXPECT_EQ(Node.Properties[0].second.Int, INT64_MAX);
  EXPECT_EQ(Node.Properties[1].second.Int, INT64_MIN);
  EXPECT_EQ(Node.Properties[2].second.Int, INT64_MAX);
  EXPECT_EQ(ParseError("object A: TA\n\n X = 9223372036854775808\nend"),
            L"Form definition test.form, line 3: number 9223372036854775808 is out of range");
  EXPECT_EQ(ParseError("object A: TA\n X = -9223372036854775809\nend"),
            L"Form definition test.form, line 2: number -9223372036854775809 is out of range");
  EXPECT_EQ(ParseError("object A: TA\n X = $10000000000000000\nend"),
            L"Form definition test.form, line 2: number $10000000000000000 is out of range");
  EXPECT_EQ(ParseError("object A: TA\n X = 'a'#99999999999999999999\nend"),
            L"Form definition test.form, line 2: number 99999999999999999999 is out of range");
  // Syntax errors name the file too.
  EXPECT_EQ(ParseError("object A: TA\n X = 'open\nend"),
            L"Form definition test.form, line 2: unterminated string");
}

TEST(FormReader, FloatingPointNumbers) {
  TDefNode Node =
      ParseDefinition("object A: TA\n V = 8.41\n W = -1.5E3\n X = 2e-2\n Y = 7\n Z = 'x'\nend");
  EXPECT_EQ(Node.Properties[0].second.Kind, TDefValue::vkFloat);
  EXPECT_DOUBLE_EQ(Node.Properties[0].second.AsFloat(), 8.41);
  EXPECT_DOUBLE_EQ(Node.Properties[1].second.AsFloat(), -1500);
  EXPECT_DOUBLE_EQ(Node.Properties[2].second.AsFloat(), 0.02);
  EXPECT_DOUBLE_EQ(Node.Properties[3].second.AsFloat(), 7); // an integer reads as a number too
  EXPECT_THROW(Node.Properties[4].second.AsFloat(), EDefValueError);
  EXPECT_THROW(Node.Properties[0].second.AsInt(), EDefValueError);
  EXPECT_EQ(ParseError("object A: TA\n V = 1e999\nend"),
            L"Form definition test.form, line 2: number 1e999 is out of range");
  EXPECT_EQ(ParseError("object A: TA\n V = 1e\nend"),
            L"Form definition test.form, line 2: exponent digits were expected");
}

TEST(FormReader, TypedValuesOutOfRangeOrUnknownNameFileLineAndText) {
  EXPECT_EQ(TypedError("  Count = 2147483647\n  Count = -2147483648\n  Flag = False"), L"no error");
  EXPECT_EQ(TypedError("  Count = 1\n  Count = 2147483648"),
            L"Form definition test.form, line 4: integer 2147483648 out of range for Count");
  EXPECT_EQ(TypedError("  Count = -2147483649"),
            L"Form definition test.form, line 3: integer -2147483649 out of range for Count");
  EXPECT_EQ(TypedError("  Count = 'many'"),
            L"Form definition test.form, line 3: Integer value expected for Count");
  EXPECT_EQ(TypedError("  Flag = Yes"), L"Form definition test.form, line 3: Boolean value "
                                        L"(True or False) expected, not \"Yes\" for Flag");
  EXPECT_EQ(TypedError("  Flag = 1"),
            L"Form definition test.form, line 3: Boolean value expected for Flag");
  EXPECT_EQ(TypedError("  Mode = mdThird"),
            L"Form definition test.form, line 3: unknown identifier \"mdThird\" for Mode");
  EXPECT_EQ(TypedError("  Flags = [flA, flC]"),
            L"Form definition test.form, line 3: unknown identifier \"flC\" for Flags");
  EXPECT_EQ(TypedError("  Flags = flA"),
            L"Form definition test.form, line 3: Set expected for Flags");
  // A component's own error keeps its text behind the place.
  EXPECT_EQ(TypedError("  Refused = 7"),
            L"Form definition test.form, line 3: the component refuses 7");
  // An error in a collection item names the item value's line.
  EXPECT_EQ(TypedError("  Items = <\n    item\n      Count = 1\n    end\n    item\n"
                       "      Count = 4294967296\n    end>"),
            L"Form definition test.form, line 8: integer 4294967296 out of range for Items");
  EXPECT_EQ(TypedError("  Nothing = 1"),
            L"Form definition test.form, line 3: unknown property \"Nothing\" of T (TTyped)");
}

TEST(FormReader, TypedValuesReadWhatTheyName) {
  TRoot Root;
  ReadComponentTree(&Root,
                    ParseDefinition("object Root: TRoot\n object T: TTyped\n  Count = -5\n"
                                    "  Flag = True\n  Mode = mdSecond\n  Flags = [flB, flA]\n"
                                    " end\nend"),
                    {});
  auto* T = dynamic_cast<TTyped*>(Root.FindComponent(L"T"));
  ASSERT_NE(T, nullptr);
  EXPECT_EQ(T->Count, -5);
  EXPECT_TRUE(T->Flag);
  EXPECT_EQ(T->Mode, 1);
  EXPECT_EQ(T->Flags, 5u);
}

TEST(FormReader, DefinitionPlaceNamesTheFileWhenKnown) {
  EXPECT_EQ(DefinitionPlace("un_main.form", 12), L"Form definition un_main.form, line 12: ");
  EXPECT_EQ(DefinitionPlace("", 1), L"Form definition, line 1: ");
}
