// Components: ownership, names, component state, and the framework's exception type.
#include "toolkit/Classes.h"

#include <algorithm>
#include <map>
#include <new>

#include "toolkit/FormReader.h"

namespace {
std::map<std::string, TComponentFactory>& ClassRegistry() {
  static std::map<std::string, TComponentFactory> Registry;
  return Registry;
}
} // namespace

Exception::Exception(std::wstring Message)
    : FMessage(std::move(Message)), FUtf8(WideToUtf8(FMessage)) {}

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
