// Window properties that hold this process's own objects, with a local copy that is read
// instead of the window: the system asks the window server for every property lookup, which
// costs more than the rest of a message's dispatch. Set and remove them only through these
// calls, so the copy and the window always agree. Any thread may call them.
#pragma once

#include <windows.h>

// Sets the property on the window and in the local copy; false when the window refuses it.
bool SetObjectProp(HWND Wnd, const wchar_t* Name, void* Value);
// The value from the local copy, or null (a foreign window has none).
void* GetObjectProp(HWND Wnd, const wchar_t* Name);
// Removes the property from the window and from the local copy.
void RemoveObjectProp(HWND Wnd, const wchar_t* Name);
