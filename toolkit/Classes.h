// Components: ownership, names, component state, and the framework's exception type.
#pragma once

#include <any>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/TextUtils.h"

class TComponent;
class TDefValue;

// The framework's error: a message text, shown by the application's error report.
class Exception : public std::exception {
public:
  explicit Exception(std::wstring Message);
  const std::wstring& Message() const { return FMessage; }
  const char* what() const noexcept override { return FUtf8.c_str(); }

private:
  std::wstring FMessage;
  std::string FUtf8;
};

// The message text of any exception, for the error report.
std::wstring ExceptionMessage(const std::exception& E);

using TNotifyEvent = std::function<void(TComponent* Sender)>;

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1,
  csReading = 2,
  csDestroying = 4,
  csDesigning = 8,
};

// A component has an owner, which frees it, a name and a tag; it is told when it has been read
// from a stored definition (Loaded) and when components it knows of come and go.
//
// Freeing runs in two steps. `delete` first calls BeforeDestruction while the most derived
// object is still whole, so that a window is destroyed and the owned components are freed
// while every class of the object can still see its own messages and members; only then do
// the destructors run. A component that is not on the heap gets the same first step from its
// destructor, without the derived parts.
class TComponent {
public:
  explicit TComponent(TComponent* AOwner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  void operator delete(TComponent* Self, std::destroying_delete_t);

  // Shared by the weak references to this component; expires when the object is gone.
  std::weak_ptr<const void> LifeToken() const { return FLife; }

  // The C++ class name; windowed controls register their window class under it.
  virtual const wchar_t* ClassName() const { return L"TComponent"; }

  TComponent* Owner() const { return FOwner; }
  const std::wstring& Name() const { return FName; }
  void SetName(const std::wstring& Value) { FName = Value; }
  intptr_t Tag = 0;

  unsigned ComponentState() const { return FComponentState; }
  bool IsLoading() const { return FComponentState & csLoading; }
  bool IsDestroying() const { return FComponentState & csDestroying; }
  bool IsDesigning() const { return FComponentState & csDesigning; }

  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int Index) const { return FComponents[size_t(Index)]; }
  TComponent* FindComponent(const std::wstring& AName) const;

  // Called once after the whole stored definition has been read.
  virtual void Loaded();
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Sets one property read from a stored definition; false when the property is unknown.
  virtual bool ReadProperty(const std::string& Name, const TDefValue& Value);

  // Handler methods and fields by name, so that a stored definition can wire events to the
  // methods of its root component and store created components in the root's fields.
  template <class F>
  void RegisterMethod(const std::string& MethodName, F Handler) {
    FMethods[MethodName] = std::move(Handler);
  }
  const std::any* FindMethod(const std::string& MethodName) const;
  template <class T>
  void RegisterField(const std::string& FieldName, T*& Field) {
    FFields[FieldName] = [&Field](TComponent* C) {
      return (Field = dynamic_cast<T*>(C)) != nullptr;
    };
  }
  // Stores C in the field of that name; false when the field exists but has another type.
  bool BindField(const std::string& FieldName, TComponent* C);

  // Marks the component and every owned one as being read or done with reading.
  void SetLoading(bool Loading);
  void BeginDestroy();
  // Frees the owned components, newest first.
  void DestroyComponents();

protected:
  // The first step of freeing, run once with the whole object alive: the component is marked
  // as being destroyed, then this runs. Overrides release what they hold and call the base
  // last; the base frees the owned components.
  virtual void BeforeDestruction();

private:
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void RunBeforeDestruction();

  std::shared_ptr<const int> FLife = std::make_shared<const int>(0);
  bool FDestructionStarted = false;
  TComponent* FOwner;
  std::wstring FName;
  std::vector<TComponent*> FComponents;
  unsigned FComponentState = 0;
  std::map<std::string, std::any> FMethods;
  std::map<std::string, std::function<bool(TComponent*)>> FFields;
};

// A reference to a component that knows when the component is gone: Get() answers null
// after the object was freed. For pointers to objects of other windows, which may be freed
// by any message.
template <class T>
class TWeakRef {
public:
  TWeakRef() = default;
  TWeakRef(T* Object) : FObject(Object) {
    if (Object) FLife = Object->LifeToken();
  }
  T* Get() const { return FLife.expired() ? nullptr : FObject; }
  T* operator->() const { return Get(); }
  T& operator*() const { return *Get(); }
  explicit operator bool() const { return Get() != nullptr; }
  bool operator==(const T* Other) const { return Get() == Other; }
  void Reset() { *this = TWeakRef(); }

private:
  T* FObject = nullptr;
  std::weak_ptr<const void> FLife;
};

// Makes a class name from the definition into a component, for the definition reader.
using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;
void RegisterComponentClass(const std::string& ClassName, TComponentFactory Factory);
TComponent* CreateComponentByClassName(const std::string& ClassName, TComponent* Owner);

template <class T>
void RegisterClass(const std::string& ClassName) {
  RegisterComponentClass(ClassName, [](TComponent* Owner) { return new T(Owner); });
}
