// The menu bar of a skinned form.
#include "skin/forms/kvMenuLine.h"

#include <algorithm>

#include "skin/forms/sSkinProvider.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"

int SystemMenuBarHeight(HWND Wnd, const RECT& Window) {
  if (!Wnd || !GetMenu(Wnd) || IsIconic(Wnd)) return 0;
  // The system's client area with the bar, against its frame and caption alone.
  RECT WithBar = Window;
  DefWindowProcW(Wnd, WM_NCCALCSIZE, FALSE, LPARAM(&WithBar));
  RECT Frame{0, 0, 0, 0};
  AdjustWindowRectEx(&Frame, DWORD(GetWindowLongW(Wnd, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongW(Wnd, GWL_EXSTYLE)));
  return std::max(0, int(WithBar.top - Window.top) + int(Frame.top));
}

void RegisterMenuLines() {
  MenuLineHostOf = [](HWND Wnd) -> TkvMenuLineHost* {
    if (!IsWindow(Wnd)) return nullptr;
    auto* P = reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Wnd, KV_QUERYPROVIDER));
    return P && P->Skinned() ? P : nullptr;
  };
}

bool TsSkinProvider::MenuPresent() const {
  TForm* F = FForm.Get();
  TMainMenu* M = F ? F->Menu() : nullptr;
  if (!M || !F->HandleAllocated() || GetMenu(F->Handle()) == nullptr) return false;
  if (F->BorderStyle() == bsDialog || F->Parent()) return false;
  for (int i = 0; i < M->Items().Count(); ++i)
    if (M->Items().Items(i)->Visible) return true;
  return false;
}

int TsSkinProvider::MenuHeight() const {
  return MenuPresent() ? FMenuBarHeight : 0;
}

void TsSkinProvider::InitMenuItems(bool Active) {
  TForm* F = FForm.Get();
  TMainMenu* M = F ? F->Menu() : nullptr;
  if (!M || M->IsDestroying()) return;
  SkinableMenus().InitMenuLine(*M, Active && DrawNonClientArea);
}

void TsSkinProvider::MeasureMenuItem(const MEASUREITEMSTRUCT& Measure) {
  TForm* F = FForm.Get();
  TMainMenu* M = F ? F->Menu() : nullptr;
  if (Measure.CtlType != ODT_MENU || !M || !M->OwnerDraw) return;
  TMenuItem* Item = MenuItemOfCommand(UINT(Measure.itemData));
  if (Item && Item->Menu() == M) SkinableMenus().InitItem(*Item, true);
}

const TBitmap32* TsSkinProvider::MenuLineBmp() const {
  return FMenuLineBmp.IsEmpty() ? nullptr : &FMenuLineBmp;
}

TPoint TsSkinProvider::MenuLineOrigin(HDC DC) const {
  TFormLayout L = Layout();
  const TBitmap32* Image = FCommonData->CacheBmp();
  // The provider draws the items into its own image; the system into the window.
  if (Image && DC && DC == static_cast<HDC>(Image->NativeDC()))
    return {L.MenuLine.Left, L.MenuLine.Top};
  return {L.MenuLineWindow.Left, L.MenuLineWindow.Top};
}

void TsSkinProvider::PaintMenuLine(TBitmap32& Image, const TFormLayout& L) {
  const TsSkinModel* Sm = Model();
  TsSkinManager* M = FCommonData->SkinManager();
  HWND W = OwnerHandle();
  TForm* F = FForm.Get();
  TRect R = L.MenuLine.Intersected(Image.BoundsRect());
  if (!Sm || !M || !M->SkinnedPopups || !W || !F || R.IsEmpty()) return;
  std::string Name = MenuLineSkin.empty() ? "MENULINE" : UpperCaseAscii(MenuLineSkin);
  if (int Section = Sm->GetSkinIndex(Name); Section >= 0)
    PaintSectionByIndex(Section, Name, NewCacheInfo(&Image, 0, 0), -1, -1, Sm, &Image,
                        {R.Left, R.Top}, R, 0, true);
  GdiFlush();
  FMenuLineBmp.SetSize(R.Width(), R.Height());
  CopyPixels(FMenuLineBmp, 0, 0, Image, R);
  // The items the painter (or the application) draws go onto the image.
  HMENU Bar = GetMenu(W);
  HDC DC = static_cast<HDC>(Image.NativeDC());
  RECT Window{};
  GetWindowRect(W, &Window);
  for (int i = 0, n = Bar && DC ? GetMenuItemCount(Bar) : 0; i < n; ++i) {
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_DATA | MIIM_STATE | MIIM_FTYPE;
    RECT Screen{};
    if (!GetMenuItemInfoW(Bar, UINT(i), TRUE, &Info) || !(Info.fType & MFT_OWNERDRAW) ||
        !GetMenuItemRect(W, Bar, UINT(i), &Screen))
      continue;
    TMenuItem* Item = MenuItemOfCommand(UINT(Info.dwItemData));
    if (!Item || !Item->OnDrawItem) continue;
    RECT Rc{Screen.left - Window.left + L.WindowOrigin.X,
            Screen.top - Window.top + L.WindowOrigin.Y,
            Screen.right - Window.left + L.WindowOrigin.X,
            Screen.bottom - Window.top + L.WindowOrigin.Y};
    UINT State = ((Info.fState & MFS_GRAYED) ? ODS_GRAYED | ODS_DISABLED : 0u) |
                 ((Info.fState & MFS_HILITE) ? ODS_SELECTED : 0u) |
                 ((Info.fState & MFS_DEFAULT) ? ODS_DEFAULT : 0u);
    Item->OnDrawItem(Item, DC, Rc, State);
  }
  GdiFlush();
}
