// The built-in shadow images from the program's RCDATA resources.
#include <windows.h>

#include "skin/images/kvShadows.h"

TBitmap32 LoadShadowResource(const wchar_t* Name, void* Module) {
  HMODULE Owner = Module ? static_cast<HMODULE>(Module) : GetModuleHandleW(nullptr);
  HRSRC Info = FindResourceW(Owner, Name, MAKEINTRESOURCEW(10)); // RT_RCDATA
  if (!Info) return {};
  HGLOBAL Handle = LoadResource(Owner, Info);
  const void* Data = Handle ? LockResource(Handle) : nullptr;
  const DWORD Size = SizeofResource(Owner, Info);
  if (!Data || Size == 0) return {};
  try {
    return DecodeShadowImage(Data, Size);
  } catch (...) {
    return {};
  }
}

const TBuiltinShadows& BuiltinShadows() {
  static const TBuiltinShadows Shadows{LoadShadowResource(L"kvSHDA"),
                                       LoadShadowResource(L"kvSHDI")};
  return Shadows;
}
