// Window properties with a local copy.
#include "toolkit/WindowProps.h"

#include <cwchar>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct TLocalProps {
  std::mutex Lock;
  // A window holds few properties: a short list each.
  std::unordered_map<HWND, std::vector<std::pair<const wchar_t*, void*>>> Windows;
};

TLocalProps& Props() {
  static TLocalProps P;
  return P;
}

} // namespace

bool SetObjectProp(HWND Wnd, const wchar_t* Name, void* Value) {
  if (!Wnd || !SetPropW(Wnd, Name, Value)) return false;
  TLocalProps& P = Props();
  std::lock_guard<std::mutex> Guard(P.Lock);
  auto& List = P.Windows[Wnd];
  for (auto& Entry : List)
    if (std::wcscmp(Entry.first, Name) == 0) {
      Entry.second = Value;
      return true;
    }
  List.emplace_back(Name, Value);
  return true;
}

void* GetObjectProp(HWND Wnd, const wchar_t* Name) {
  if (!Wnd) return nullptr;
  TLocalProps& P = Props();
  std::lock_guard<std::mutex> Guard(P.Lock);
  auto It = P.Windows.find(Wnd);
  if (It == P.Windows.end()) return nullptr;
  for (const auto& Entry : It->second)
    if (std::wcscmp(Entry.first, Name) == 0) return Entry.second;
  return nullptr;
}

void RemoveObjectProp(HWND Wnd, const wchar_t* Name) {
  if (!Wnd) return;
  RemovePropW(Wnd, Name);
  TLocalProps& P = Props();
  std::lock_guard<std::mutex> Guard(P.Lock);
  auto It = P.Windows.find(Wnd);
  if (It == P.Windows.end()) return;
  auto& List = It->second;
  for (auto E = List.begin(); E != List.end(); ++E)
    if (std::wcscmp(E->first, Name) == 0) {
      List.erase(E);
      break;
    }
  if (List.empty()) P.Windows.erase(It);
}
