// Components: ownership, names, component state, and the framework's exception type.
#include "toolkit/Classes.h"

#include <algorithm>
#include <map>
#include <new>

#include "toolkit/FormReader.h"

namespace {
std::string Encode(const std::wstring& Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    uint32_t c = uint32_t(Text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < Text.size() && uint32_t(Text[i + 1]) >= 0xDC00 &&
        uint32_t(Text[i + 1]) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(Text[i + 1]) - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      Out += char(c);
    } else if (c < 0x800) {
      Out += char(0xC0 | (c >> 6));
      Out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      Out += char(0xE0 | (c >> 12));
      Out += char(0x80 | ((c >> 6) & 0x3F));
      Out += char(0x80 | (c & 0x3F));
    } else {
      Out += char(0xF0 | (c >> 18));
      Out += char(0x80 | ((c >> 12) & 0x3F));
      Out += char(0x80 | ((c >> 6) & 0x3F));
      Out += char(0x80 | (c & 0x3F));
    }
  }
  return Out;
}

std::map<std::string, TComponentFactory>& ClassRegistry() {
  static std::map<std::string, TComponentFactory> Registry;
  return Registry;
}
} // namespace

std::wstring Utf8ToWide(const std::string& Text) {
  std::wstring Out;
  Out.reserve(Text.size());
  size_t i = 0;
  while (i < Text.size()) {
    uint8_t b = uint8_t(Text[i]);
    uint32_t c = 0xFFFD;
    size_t n = 1;
    if (b < 0x80) {
      c = b;
    } else if ((b >> 5) == 6 && i + 1 < Text.size()) {
      c = ((b & 0x1F) << 6) | (uint8_t(Text[i + 1]) & 0x3F);
      n = 2;
    } else if ((b >> 4) == 14 && i + 2 < Text.size()) {
      c = ((b & 0x0F) << 12) | ((uint8_t(Text[i + 1]) & 0x3F) << 6) | (uint8_t(Text[i + 2]) & 0x3F);
      n = 3;
    } else if ((b >> 3) == 30 && i + 3 < Text.size()) {
      c = ((b & 0x07) << 18) | ((uint8_t(Text[i + 1]) & 0x3F) << 12) |
          ((uint8_t(Text[i + 2]) & 0x3F) << 6) | (uint8_t(Text[i + 3]) & 0x3F);
      n = 4;
    }
    if (c >= 0x10000 && c <= 0x10FFFF && sizeof(wchar_t) == 2) {
      c -= 0x10000;
      Out += wchar_t(0xD800 + (c >> 10));
      Out += wchar_t(0xDC00 + (c & 0x3FF));
    } else {
      Out += wchar_t(c);
    }
    i += n;
  }
  return Out;
}

std::string WideToUtf8(const std::wstring& Text) {
  return Encode(Text);
}

Exception::Exception(std::wstring Message)
    : FMessage(std::move(Message)), FUtf8(Encode(FMessage)) {}

std::wstring ExceptionMessage(const std::exception& E) {
  if (auto* Own = dynamic_cast<const Exception*>(&E)) return Own->Message();
  if (dynamic_cast<const std::bad_alloc*>(&E)) return L"Out of memory";
  return Utf8ToWide(E.what());
}

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner) FOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // A component that was not freed with delete (a member or a local) gets the first step
  // here, without its derived parts.
  RunBeforeDestruction();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::operator delete(TComponent* Self, std::destroying_delete_t) {
  void* Memory = dynamic_cast<void*>(Self);
  Self->RunBeforeDestruction();
  Self->~TComponent();
  ::operator delete(Memory);
}

void TComponent::RunBeforeDestruction() {
  if (FDestructionStarted) return;
  FDestructionStarted = true;
  BeginDestroy();
  BeforeDestruction();
}

void TComponent::BeforeDestruction() {
  DestroyComponents();
}

void TComponent::DestroyComponents() {
  // Newest first, each telling the others it is gone.
  while (!FComponents.empty()) {
    TComponent* Child = FComponents.back();
    delete Child; // removes itself from FComponents
  }
}

void TComponent::InsertComponent(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  for (TComponent* C : FComponents)
    if (C != AComponent) C->Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto It = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (It == FComponents.end()) return;
  FComponents.erase(It);
  Notification(AComponent, opRemove);
  for (TComponent* C : FComponents)
    C->Notification(AComponent, opRemove);
}

TComponent* TComponent::FindComponent(const std::wstring& AName) const {
  for (TComponent* C : FComponents)
    if (C->FName == AName) return C;
  return nullptr;
}

void TComponent::Loaded() {
  FComponentState &= ~(csLoading | csReading);
}

void TComponent::Notification(TComponent*, TOperation) {}

bool TComponent::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Tag") {
    Tag = Value.AsInt();
    return true;
  }
  return false;
}

const std::any* TComponent::FindMethod(const std::string& MethodName) const {
  auto It = FMethods.find(MethodName);
  return It == FMethods.end() ? nullptr : &It->second;
}

bool TComponent::BindField(const std::string& FieldName, TComponent* C) {
  auto It = FFields.find(FieldName);
  return It == FFields.end() || It->second(C);
}

void TComponent::SetLoading(bool Loading) {
  if (Loading)
    FComponentState |= csLoading | csReading;
  else
    FComponentState &= ~(csLoading | csReading);
}

void TComponent::BeginDestroy() {
  FComponentState |= csDestroying;
  for (TComponent* C : FComponents)
    C->BeginDestroy();
}

void RegisterComponentClass(const std::string& ClassName, TComponentFactory Factory) {
  ClassRegistry()[ClassName] = std::move(Factory);
}

TComponent* CreateComponentByClassName(const std::string& ClassName, TComponent* Owner) {
  auto It = ClassRegistry().find(ClassName);
  if (It == ClassRegistry().end())
    throw Exception(L"Class " + Utf8ToWide(ClassName) + L" not found");
  return It->second(Owner);
}
