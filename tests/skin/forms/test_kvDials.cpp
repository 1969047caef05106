#include "skin/forms/kvDials.h"

#include <commdlg.h>

#include "skin/controls/kvBtnWnd.h"
#include "skin/forms/kvFormAnim.h"
#include "skin/forms/sDialogs.h"
#include "skin/messages/sMessages.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class DialsTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  static bool Skinned(HWND Wnd) { return SendSkinCommand(Wnd, KV_ISSKINNED) == 1; }
  // The top-level dialog of this thread with a caption, or null.
  static HWND FindDialog(const wchar_t* Caption) {
    HWND Found = FindWindowW(L"#32770", Caption);
    return Found && IsWindowVisible(Found) ? Found : nullptr;
  }
  // Shows a message box, looks at it while it is up, then closes it.
  struct TSeen {
    bool Shown = false, Skinned = false, SysMenuStyle = false;
    size_t Records = 0;
  };
  TSeen Box(HWND Owner, const wchar_t* Caption) {
    TSeen Seen;
    RunLater(250, [&, Caption] {
      HWND Dlg = FindDialog(Caption);
      if (!Dlg) return;
      Seen.Shown = true;
      Seen.Skinned = Skinned(Dlg);
      Seen.SysMenuStyle = GetWindowLongW(Dlg, GWL_STYLE) & WS_SYSMENU;
      Seen.Records = HookProviders().size();
      PostMessageW(Dlg, WM_COMMAND, IDOK, 0);
    });
    RunLater(3000, [Caption] {
      if (HWND Dlg = FindDialog(Caption)) PostMessageW(Dlg, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(Owner, L"Nic nenalezeno", Caption, MB_OK | MB_ICONINFORMATION);
    return Seen;
  }
};

TEST(MessageBoxStyle, TypesAndButtonSetsGiveTheSystemStyles) {
  EXPECT_EQ(MessageBoxStyle(mtError, mbOK), UINT(MB_ICONERROR | MB_OK));
  EXPECT_EQ(MessageBoxStyle(mtWarning, mbOK | mbCancel), UINT(MB_ICONWARNING | MB_OKCANCEL));
  EXPECT_EQ(MessageBoxStyle(mtConfirmation, mbYes | mbNo | mbCancel),
            UINT(MB_ICONQUESTION | MB_YESNOCANCEL));
  EXPECT_EQ(MessageBoxStyle(mtInformation, mbYes | mbNo), UINT(MB_ICONINFORMATION | MB_YESNO));
  EXPECT_EQ(MessageBoxStyle(mtCustom, mbAbort | mbRetry | mbIgnore), UINT(MB_ABORTRETRYIGNORE));
  EXPECT_EQ(MessageBoxStyle(mtCustom, mbRetry | mbCancel), UINT(MB_RETRYCANCEL));
  EXPECT_EQ(MessageBoxStyle(mtCustom, mbOK | mbHelp), UINT(MB_OK | MB_HELP));
  EXPECT_STREQ(DefaultBoxCaption(mtWarning), L"Warning");
  EXPECT_STREQ(DefaultBoxCaption(mtError), L"Error");
  EXPECT_STREQ(DefaultBoxCaption(mtInformation), L"Information");
  EXPECT_STREQ(DefaultBoxCaption(mtConfirmation), L"Confirm");
  EXPECT_STREQ(DefaultBoxCaption(mtCustom), L"");
}

TEST_F(DialsTest, AnUnownedMessageBoxIsSkinnedAnOwnedOneKeepsTheSystemLook) {
  UseMeadowStyle();
  ShowForm();
  TSeen Unowned = Box(nullptr, L"Bez vlastníka");
  EXPECT_TRUE(Unowned.Shown);
  EXPECT_TRUE(Unowned.Skinned);
  EXPECT_FALSE(Unowned.SysMenuStyle) << "the skin draws the close button";
  TSeen Owned = Box(Form->Handle(), L"S vlastníkem");
  EXPECT_TRUE(Owned.Shown);
  EXPECT_FALSE(Owned.Skinned);
  EXPECT_TRUE(Owned.SysMenuStyle);
  // The records of closed boxes are gone; a hundred boxes leave the list bounded.
  PumpFor(50);
  size_t Before = HookProviders().size();
  for (int i = 0; i < 100; ++i) {
    RunLater(30, [] {
      if (HWND Dlg = FindDialog(L"Mnoho")) PostMessageW(Dlg, WM_COMMAND, IDOK, 0);
    });
    RunLater(2000, [] {
      if (HWND Dlg = FindDialog(L"Mnoho")) PostMessageW(Dlg, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(nullptr, L"x", L"Mnoho", MB_OK);
  }
  PumpFor(50);
  EXPECT_LE(HookProviders().size(), Before + 1);
}

constexpr DWORD ModalDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;

// A dialog template in memory: a caption, a static text, an edit and a push button.
std::vector<WORD> DialogTemplate(DWORD Style = ModalDialogStyle, DWORD ExStyle = 0) {
  std::vector<WORD> T;
  auto Dword = [&](DWORD V) {
    T.push_back(LOWORD(V));
    T.push_back(HIWORD(V));
  };
  auto Text = [&](const wchar_t* S) {
    for (; *S; ++S)
      T.push_back(WORD(*S));
    T.push_back(0);
  };
  auto Align = [&] {
    if (T.size() % 2) T.push_back(0);
  };
  Dword(Style);
  Dword(ExStyle);
  T.push_back(3);                   // items
  T.push_back(10), T.push_back(10); // x, y
  T.push_back(200), T.push_back(80);
  T.push_back(0), T.push_back(0); // no menu, default class
  Text(L"Dialog bez vlastníka");
  auto Item = [&](DWORD Style, short X, short Y, short W, short H, WORD Id, WORD Class,
                  const wchar_t* S) {
    Align();
    Dword(Style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    T.push_back(WORD(X)), T.push_back(WORD(Y)), T.push_back(WORD(W)), T.push_back(WORD(H));
    T.push_back(Id);
    T.push_back(0xFFFF), T.push_back(Class);
    Text(S);
    T.push_back(0);
  };
  Item(SS_LEFT, 10, 10, 180, 10, 100, 0x0082, L"Soubor nenalezen");
  Item(WS_BORDER | ES_AUTOHSCROLL, 10, 25, 180, 12, 101, 0x0081, L"text");
  Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 70, 50, 60, 14, IDOK, 0x0080, L"OK");
  return T;
}

INT_PTR CALLBACK DialogProc(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM) {
  if (Msg == WM_INITDIALOG) return TRUE;
  if (Msg == WM_COMMAND && LOWORD(WParam) == IDOK) {
    DestroyWindow(Dlg);
    return TRUE;
  }
  if (Msg == WM_CLOSE) {
    DestroyWindow(Dlg);
    return TRUE;
  }
  return FALSE;
}

TEST_F(DialsTest, ADialogWithoutOwnerGetsItsFrameAndItsChildrenTheirAdapters) {
  UseMeadowStyle();
  ShowForm();
  std::vector<WORD> T = DialogTemplate();
  HWND Dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                        nullptr, DialogProc, 0);
  ASSERT_NE(Dlg, nullptr);
  PumpFor(200);
  EXPECT_TRUE(Skinned(Dlg));
  HWND Static = GetDlgItem(Dlg, 100), Edit = GetDlgItem(Dlg, 101), Ok = GetDlgItem(Dlg, IDOK);
  EXPECT_NE(dynamic_cast<TkvStaticWnd*>(TkvMainWnd::Of(Static)), nullptr);
  EXPECT_NE(dynamic_cast<TkvEditWnd*>(TkvMainWnd::Of(Edit)), nullptr);
  EXPECT_NE(dynamic_cast<TkvBtnWnd*>(TkvMainWnd::Of(Ok)), nullptr);
  // The title band is the skin's, not the system's caption colours.
  RECT R;
  GetWindowRect(Dlg, &R);
  TClientDC Screen(nullptr);
  COLORREF Title = GetPixel(Screen, R.left + 60, R.top + 8);
  EXPECT_NE(Title, GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_GT(GetGValue(Title), GetBValue(Title)) << "the meadow's green title";
  // The close button closes it, with the mouse.
  auto* A = dynamic_cast<TkvDialogWnd*>(TkvMainWnd::Of(Dlg));
  ASSERT_NE(A, nullptr);
  TFormLayout L = A->Layout();
  ASSERT_TRUE(L.Shown[cbClose]);
  int Cx = R.left + (L.Buttons[cbClose].Left + L.Buttons[cbClose].Right) / 2;
  int Cy = R.top + (L.Buttons[cbClose].Top + L.Buttons[cbClose].Bottom) / 2;
  EXPECT_EQ(SendMessageW(Dlg, WM_NCHITTEST, 0, MAKELPARAM(Cx, Cy)), HTCLOSE);
  SetForegroundWindow(Dlg);
  MouseTo(Cx, Cy);
  PumpFor(150);
  // Hot, with the fade's overlay of the engine's own over exactly the button.
  EXPECT_EQ(A->ButtonClose.State, 1);
  ASSERT_NE(A->FadeOf(A->ButtonClose), nullptr);
  if (HWND Overlay = A->FadeOf(A->ButtonClose)->Overlay()) {
    RECT O;
    GetWindowRect(Overlay, &O);
    EXPECT_EQ(O.left, R.left + L.Buttons[cbClose].Left);
    EXPECT_EQ(O.right - O.left, L.Buttons[cbClose].Width());
  }
  MouseButton(true);
  PumpFor(60);
  MouseButton(false);
  PumpFor(150);
  EXPECT_FALSE(IsWindow(Dlg));
  MouseTo(1000, 700);
  PumpFor(50);
}

TEST_F(DialsTest, TheDialogsSystemMenuDropsAtARightClickOnTheCaption) {
  UseMeadowStyle();
  ShowForm();
  std::vector<WORD> T = DialogTemplate();
  HWND Dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                        nullptr, DialogProc, 0);
  PumpFor(150);
  ASSERT_TRUE(Skinned(Dlg));
  SetForegroundWindow(Dlg);
  PumpFor(50);
  RECT R;
  GetWindowRect(Dlg, &R);
  std::vector<std::wstring> Items;
  RECT Shown{};
  RunLater(300, [&] {
    HWND M = FindWindowW(L"#32768", nullptr);
    if (M && IsWindowVisible(M)) {
      GetWindowRect(M, &Shown);
      HMENU H = HMENU(SendMessageW(M, 0x01E1 /* MN_GETHMENU */, 0, 0));
      for (int i = 0; i < GetMenuItemCount(H); ++i) {
        wchar_t Buf[64] = {};
        GetMenuStringW(H, UINT(i), Buf, 64, MF_BYPOSITION);
        Items.push_back(Buf[0] ? Buf : L"-");
      }
    }
    KeyPress(VK_ESCAPE);
  });
  SendMessageW(Dlg, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(R.left + 40, R.top + 8));
  PumpFor(100);
  // A dialog frame: move and close only.
  EXPECT_EQ(Items, (std::vector<std::wstring>{L"Pohyb", L"-", L"Zavřítt\tAlt+F4"}));
  EXPECT_EQ(Shown.left, R.left + 40);
  EXPECT_EQ(Shown.top, R.top + 8);
  EXPECT_TRUE(IsWindow(Dlg));
  DestroyWindow(Dlg);
}

TEST_F(DialsTest, ADialogShowsAndHidesWithItsAnimations) {
  UseMeadowStyle();
  Manager->AnimEffects.DialogShow.Time = 120;
  Manager->AnimEffects.DialogHide.Time = 120;
  ShowForm();
  // Counts the animation windows made and freed.
  static int Made = 0, Freed = 0;
  Made = Freed = 0;
  HHOOK Watch = SetWindowsHookExW(
      WH_CBT,
      [](int Code, WPARAM WParam, LPARAM LParam) -> LRESULT {
        if (Code == HCBT_CREATEWND) {
          auto* Cs = reinterpret_cast<CBT_CREATEWNDW*>(LParam)->lpcs;
          if (!IS_INTRESOURCE(Cs->lpszClass) && std::wstring(Cs->lpszClass) == L"TOutputWindow")
            ++Made;
        } else if (Code == HCBT_DESTROYWND &&
                   WindowClassName(reinterpret_cast<HWND>(WParam)) == L"TOutputWindow") {
          ++Freed;
        }
        return CallNextHookEx(nullptr, Code, WParam, LParam);
      },
      nullptr, GetCurrentThreadId());
  std::vector<WORD> T = DialogTemplate();
  HWND Dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                        nullptr, DialogProc, 0);
  PumpFor(300);
  EXPECT_TRUE(Skinned(Dlg));
  EXPECT_GE(Made, 1) << "the show animation's window";
  EXPECT_TRUE(IsWindowVisible(Dlg));
  EXPECT_FALSE(GetWindowLongW(Dlg, GWL_EXSTYLE) & WS_EX_LAYERED) << "opaque at the end";
  // Cancel hides it with the hide animation, whose cover goes afterwards.
  int Before = Made;
  SendMessageW(Dlg, WM_COMMAND, IDCANCEL, 0);
  ShowWindow(Dlg, SW_HIDE);
  PumpFor(300);
  EXPECT_GT(Made, Before) << "the hide cover";
  EXPECT_EQ(Freed, Made) << "every animation window freed";
  UnhookWindowsHookEx(Watch);
  DestroyWindow(Dlg);
}

TEST_F(DialsTest, DroppingTheSkinFreesTheRecordsAndGivesTheDialogItsCloseButtonBack) {
  UseMeadowStyle();
  ShowForm();
  std::vector<WORD> T = DialogTemplate();
  HWND Dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                        nullptr, DialogProc, 0);
  PumpFor(150);
  ASSERT_TRUE(Skinned(Dlg));
  EXPECT_FALSE(GetWindowLongW(Dlg, GWL_STYLE) & WS_SYSMENU);
  Manager->SetActive(false);
  PumpFor(50);
  EXPECT_FALSE(Skinned(Dlg));
  EXPECT_TRUE(GetWindowLongW(Dlg, GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(TkvMainWnd::Of(Dlg), nullptr);
  for (TkvProvider* P : HookProviders())
    EXPECT_NE(P->CtrlHandle, Dlg);
  DestroyWindow(Dlg);
}

TEST_F(DialsTest, AThirdVisibleDialogIsLeftAlone) {
  UseMeadowStyle();
  ShowForm();
  std::vector<WORD> T = DialogTemplate();
  HWND D1 = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                       nullptr, DialogProc, 0);
  PumpFor(100);
  HWND D2 = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                       nullptr, DialogProc, 0);
  PumpFor(100);
  HWND D3 = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()),
                                       nullptr, DialogProc, 0);
  PumpFor(100);
  EXPECT_TRUE(Skinned(D1));
  EXPECT_TRUE(Skinned(D2));
  EXPECT_FALSE(Skinned(D3));
  DestroyWindow(D3);
  DestroyWindow(D2);
  DestroyWindow(D1);
  PumpFor(50);
}

TEST_F(DialsTest, TheOpenDialogWithTheMainWindowAsOwnerKeepsTheSystemLook) {
  UseMeadowStyle();
  ShowForm();
  bool Shown = false, WasSkinned = true, SysMenu = false;
  RunLater(1500, [&] {
    HWND Dlg = FindWindowW(L"#32770", L"Otevřít soubor");
    if (!Dlg) return;
    Shown = true;
    WasSkinned = Skinned(Dlg);
    SysMenu = GetWindowLongW(Dlg, GWL_STYLE) & WS_SYSMENU;
    PostMessageW(Dlg, WM_COMMAND, IDCANCEL, 0);
  });
  RunLater(6000, [] {
    if (HWND Dlg = FindWindowW(L"#32770", L"Otevřít soubor"))
      PostMessageW(Dlg, WM_COMMAND, IDCANCEL, 0);
  });
  TsOpenDialog Open(nullptr);
  Open.Title = L"Otevřít soubor";
  Open.Filter = L"textový soubor|*.txt";
  Open.Execute();
  EXPECT_TRUE(Shown);
  EXPECT_FALSE(WasSkinned);
  EXPECT_TRUE(SysMenu);
}

int ThreadWindows() {
  int N = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM P) {
        ++*reinterpret_cast<int*>(P);
        return TRUE;
      },
      LPARAM(&N));
  return N;
}

bool Layered(HWND W) {
  return (GetWindowLongW(W, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

// A sizeable dialog with every caption button.
constexpr DWORD SizeableDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                      WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_VISIBLE;

class DialogButtonsTest : public DialsTest {
protected:
  HWND MakeDialog(DWORD Style = SizeableDialogStyle, DWORD ExStyle = WS_EX_CONTEXTHELP) {
    Template = DialogTemplate(Style, ExStyle);
    HWND Dlg = CreateDialogIndirectParamW(
        nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(Template.data()), nullptr, DialogProc, 0);
    PumpFor(150);
    Adapter = Dlg ? dynamic_cast<TkvDialogWnd*>(TkvMainWnd::Of(Dlg)) : nullptr;
    return Dlg;
  }
  // The centre of a caption button on the screen.
  POINT Centre(HWND Dlg, TCaptionButtonKind Kind) {
    RECT R;
    GetWindowRect(Dlg, &R);
    TFormLayout L = Adapter->Layout();
    const TRect& B = L.Buttons[Kind];
    return {R.left + (B.Left + B.Right) / 2 - L.WindowOrigin.X,
            R.top + (B.Top + B.Bottom) / 2 - L.WindowOrigin.Y};
  }
  LRESULT HitAt(HWND Dlg, POINT P) {
    return SendMessageW(Dlg, WM_NCHITTEST, 0, MAKELPARAM(P.x, P.y));
  }
  void Click(POINT P) {
    MouseTo(P.x, P.y);
    PumpFor(60);
    MouseButton(true);
    PumpFor(40);
    MouseButton(false);
    PumpFor(100);
  }
  void MouseAway() {
    MouseTo(1200, 1000);
    PumpFor(50);
  }
  std::vector<WORD> Template;
  TkvDialogWnd* Adapter = nullptr;
};

TEST_F(DialogButtonsTest, MaximizeMinimizeAndHelpButtonsLieRightToLeftWithTheirHitCodes) {
  UseMeadowStyle();
  ShowForm();
  HWND Dlg = MakeDialog();
  ASSERT_TRUE(Skinned(Dlg));
  ASSERT_NE(Adapter, nullptr);
  EXPECT_TRUE(Adapter->VisibleMax());
  EXPECT_TRUE(Adapter->VisibleMin());
  EXPECT_TRUE(Adapter->VisibleHelp());
  EXPECT_TRUE(Adapter->EnabledMax());
  EXPECT_FALSE(Adapter->EnabledRestore());
  // A sizeable frame takes the big images, with the skin's own for each button.
  const TsSkinModel& Sm = Manager->Model();
  auto Mask = [&](const char* Name) {
    return Sm.GetMaskIndex(Sm.ConstData.IndexGLobalInfo, "GLOBALINFO", Name);
  };
  EXPECT_EQ(Adapter->ButtonClose.ImageIndex, Mask("BICONCLOSE"));
  EXPECT_EQ(Adapter->ButtonMax.ImageIndex, Mask("BICONMAX"));
  EXPECT_EQ(Adapter->ButtonMin.ImageIndex, Mask("BICONMIN"));
  EXPECT_GE(Adapter->ButtonMax.ImageIndex, 0);
  TFormLayout L = Adapter->Layout();
  for (int K = cbClose; K < cbCount; ++K)
    EXPECT_TRUE(L.Shown[size_t(K)]) << K;
  EXPECT_LE(L.Buttons[cbMax].Right, L.Buttons[cbClose].Left);
  EXPECT_LE(L.Buttons[cbMin].Right, L.Buttons[cbMax].Left);
  EXPECT_LE(L.Buttons[cbHelp].Right, L.Buttons[cbMin].Left);
  EXPECT_EQ(HitAt(Dlg, Centre(Dlg, cbClose)), HTCLOSE);
  EXPECT_EQ(HitAt(Dlg, Centre(Dlg, cbMax)), HTMAXBUTTON);
  EXPECT_EQ(HitAt(Dlg, Centre(Dlg, cbMin)), HTMINBUTTON);
  EXPECT_EQ(HitAt(Dlg, Centre(Dlg, cbHelp)), HTHELP);
  RECT R;
  GetWindowRect(Dlg, &R);
  EXPECT_EQ(HitAt(Dlg, {R.left + 40, Centre(Dlg, cbClose).y}), HTCAPTION);
  // Without an icon of its own the title has no icon place; with one, a double click on it
  // closes the dialog.
  EXPECT_TRUE(L.IconRect.IsEmpty());
  HICON Icon = LoadIconW(nullptr, IDI_INFORMATION);
  SendMessageW(Dlg, WM_SETICON, ICON_SMALL, LPARAM(Icon));
  EXPECT_FALSE(Adapter->SkinData()->BGChanged) << "the frame drawn again with its icon";
  L = Adapter->Layout();
  ASSERT_FALSE(L.IconRect.IsEmpty());
  EXPECT_LE(L.IconRect.Right, L.TextRect.Left);
  POINT IconAt{R.left + (L.IconRect.Left + L.IconRect.Right) / 2,
               R.top + (L.IconRect.Top + L.IconRect.Bottom) / 2};
  EXPECT_EQ(HitAt(Dlg, IconAt), HTSYSMENU);
  SendMessageW(Dlg, WM_NCLBUTTONDBLCLK, HTSYSMENU, MAKELPARAM(IconAt.x, IconAt.y));
  EXPECT_FALSE(IsWindow(Dlg));

  // A dialog frame shows a maximize button it cannot use: faint, and the caption for the mouse.
  Dlg = MakeDialog(ModalDialogStyle | WS_MAXIMIZEBOX, 0);
  ASSERT_NE(Adapter, nullptr);
  EXPECT_TRUE(Adapter->VisibleMax());
  EXPECT_FALSE(Adapter->EnabledMax());
  EXPECT_FALSE(Adapter->VisibleHelp());
  L = Adapter->Layout();
  EXPECT_TRUE(L.Shown[cbMax]);
  EXPECT_FALSE(L.Shown[cbHelp]);
  EXPECT_EQ(HitAt(Dlg, Centre(Dlg, cbMax)), HTCAPTION);
  // A dialog frame takes the small images (this skin has none: the big ones).
  EXPECT_EQ(Adapter->ButtonClose.ImageIndex,
            Mask("SICONCLOSE") >= 0 ? Mask("SICONCLOSE") : Mask("BICONCLOSE"));
  SendMessageW(Dlg, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(R.left + 40, R.top + 8));
  EXPECT_FALSE(IsZoomed(Dlg)) << "a double click maximizes only where that is allowed";
  DestroyWindow(Dlg);
}

TEST_F(DialogButtonsTest, MaximizeRestoreAndMinimizeByMouse) {
  UseMeadowStyle();
  ShowForm();
  HWND Dlg = MakeDialog();
  ASSERT_NE(Adapter, nullptr);
  SetForegroundWindow(Dlg);
  PumpFor(50);
  int Windows = ThreadWindows();
  int64_t Gdi = LiveGdiObjects();

  Click(Centre(Dlg, cbMax));
  EXPECT_TRUE(IsZoomed(Dlg));
  EXPECT_FALSE(Adapter->EnabledMax());
  EXPECT_TRUE(Adapter->EnabledRestore());
  // The maximize button lights up for a moment after the change, then goes back to normal
  // while the mouse is elsewhere.
  EXPECT_EQ(Adapter->ButtonMax.State, 1);
  MouseAway();
  EXPECT_TRUE(PumpUntil([&] { return Adapter->ButtonMax.State == 0; }, 3000));
  // The frame follows the new size: the region covers the maximized window inside its frame.
  RECT Box{};
  ASSERT_NE(GetWindowRgnBox(Dlg, &Box), ERROR);
  RECT R;
  GetWindowRect(Dlg, &R);
  EXPECT_EQ(Box.right - Box.left, (R.right - R.left) - 2 * Adapter->Layout().Frame);
  // Over a maximized dialog the same button restores it.
  EXPECT_EQ(HitAt(Dlg, Centre(Dlg, cbMax)), HTMAXBUTTON);
  Click(Centre(Dlg, cbMax));
  EXPECT_FALSE(IsZoomed(Dlg));
  MouseAway();

  // A double click on the caption maximizes, another restores.
  GetWindowRect(Dlg, &R);
  SendMessageW(Dlg, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(R.left + 40, R.top + 8));
  EXPECT_TRUE(IsZoomed(Dlg));
  GetWindowRect(Dlg, &R);
  SendMessageW(Dlg, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(R.left + 40, R.top + 8));
  EXPECT_FALSE(IsZoomed(Dlg));
  PumpUntil([&] { return Adapter->ButtonMax.State == 0; }, 3000);

  // Minimize by mouse; restored by the system command.
  SetForegroundWindow(Dlg);
  PumpFor(30);
  Click(Centre(Dlg, cbMin));
  EXPECT_TRUE(IsIconic(Dlg));
  EXPECT_FALSE(Adapter->EnabledMin());
  SendMessageW(Dlg, WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpFor(50);
  EXPECT_FALSE(IsIconic(Dlg));
  EXPECT_TRUE(IsWindowVisible(Dlg));
  MouseAway();
  PumpUntil([&] { return Adapter->ButtonMax.State == 0; }, 3000);
  PumpFor(300); // the buttons' fades end
  EXPECT_EQ(ThreadWindows(), Windows);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  DestroyWindow(Dlg);
}

TEST_F(DialogButtonsTest, TheHelpButtonAsksForContextHelp) {
  UseMeadowStyle();
  ShowForm();
  HWND Dlg = MakeDialog();
  ASSERT_NE(Adapter, nullptr);
  static int Asked = 0;
  Asked = 0;
  HHOOK Hook = SetWindowsHookExW(
      WH_CALLWNDPROC,
      [](int Code, WPARAM WParam, LPARAM LParam) -> LRESULT {
        auto* M = reinterpret_cast<const CWPSTRUCT*>(LParam);
        if (Code == HC_ACTION && M->message == WM_SYSCOMMAND &&
            (M->wParam & 0xFFF0) == SC_CONTEXTHELP)
          ++Asked;
        return CallNextHookEx(nullptr, Code, WParam, LParam);
      },
      nullptr, GetCurrentThreadId());
  SetForegroundWindow(Dlg);
  PumpFor(50);
  Click(Centre(Dlg, cbHelp));
  UnhookWindowsHookEx(Hook);
  EXPECT_EQ(Asked, 1);
  EXPECT_TRUE(IsWindow(Dlg));
  EXPECT_FALSE(IsZoomed(Dlg));
  EXPECT_FALSE(IsIconic(Dlg));
  MouseAway();
  DestroyWindow(Dlg);
}

TEST_F(DialogButtonsTest, DraggingBlendsTheDialogAndLeavesItOpaque) {
  UseMeadowStyle();
  Manager->AnimEffects.BlendOnMoving = {true, 170, 1000};
  ShowForm();
  // Wine drags outlines only; blending applies to full-window dragging, set for this test.
  BOOL FullDrag = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &FullDrag, 0);
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  HWND Dlg = MakeDialog(ModalDialogStyle, 0);
  ASSERT_NE(Adapter, nullptr);
  SetForegroundWindow(Dlg);
  PumpFor(50);
  RECT R;
  GetWindowRect(Dlg, &R);
  POINT Grip{R.left + 40, Centre(Dlg, cbClose).y};
  ASSERT_EQ(HitAt(Dlg, Grip), HTCAPTION);
  bool LayeredMeanwhile = false, BlendingMeanwhile = false;
  uint8_t Early = 255, Late = 255;
  bool Released = false;
  RunLater(120, [&] {
    LayeredMeanwhile = Layered(Dlg);
    BlendingMeanwhile = (Adapter->FFormState & fsBlending) != 0;
    Early = MovingBlendValue(Dlg);
    // A thirtieth of the way (85) per tick: 3, so it reaches the blend value after 29 ticks.
    PumpUntil([&] { return MovingBlendValue(Dlg) == 170; }, 3000);
    Late = MovingBlendValue(Dlg);
    // The move loop itself must see the mouse move and the release: no pumping here.
    MouseTo(Grip.x + 30, Grip.y + 20);
    MouseButton(false);
    Released = true;
  });
  RunLater(6000, [&] {
    if (!Released) MouseButton(false);
  });
  MouseTo(Grip.x, Grip.y);
  PumpFor(50);
  MouseButton(true);
  EXPECT_TRUE(PumpUntil([&] { return Released; }, 8000));
  PumpFor(100);
  EXPECT_TRUE(LayeredMeanwhile);
  EXPECT_TRUE(BlendingMeanwhile);
  EXPECT_LT(Early, 255);
  EXPECT_GT(Early, 170);
  EXPECT_EQ(Early % 3, 0) << "255 less whole steps of 3";
  EXPECT_EQ(Late, 170);
  // Opaque again, no longer layered, and redrawn where it was dropped.
  EXPECT_FALSE(Layered(Dlg));
  EXPECT_EQ(Adapter->FFormState & fsBlending, 0u);
  EXPECT_EQ(MovingBlendValue(Dlg), 255);
  RECT After;
  GetWindowRect(Dlg, &After);
  EXPECT_EQ(After.left - R.left, 30);
  EXPECT_EQ(After.top - R.top, 20);
  EXPECT_FALSE(Adapter->SkinData()->BGChanged);

  // With blending off the drag only moves it.
  Manager->AnimEffects.BlendOnMoving.Active = false;
  bool LayeredPlain = true;
  Released = false;
  GetWindowRect(Dlg, &R);
  Grip = {R.left + 40, Centre(Dlg, cbClose).y};
  RunLater(150, [&] {
    LayeredPlain = Layered(Dlg);
    MouseTo(Grip.x + 10, Grip.y + 10);
    MouseButton(false);
    Released = true;
  });
  MouseTo(Grip.x, Grip.y);
  PumpFor(50);
  MouseButton(true);
  EXPECT_TRUE(PumpUntil([&] { return Released; }, 8000));
  EXPECT_FALSE(LayeredPlain);
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FullDrag, nullptr, 0);
  MouseTo(1200, 1000);
  DestroyWindow(Dlg);
}

TEST_F(DialogButtonsTest, ExtendedBordersGiveTheDialogABorderWindowThatGoesWithIt) {
  UseMeadowStyle();
  Manager->SetExtendedBorders(true);
  ShowForm();
  int Windows = ThreadWindows();
  HWND Dlg = MakeDialog(ModalDialogStyle, 0);
  ASSERT_NE(Adapter, nullptr);
  ASSERT_NE(Adapter->BorderForm(), nullptr);
  HWND Border = Adapter->BorderForm()->Handle();
  ASSERT_NE(Border, nullptr);
  EXPECT_EQ(WindowClassName(Border), L"TkvBorderForm");
  EXPECT_TRUE(IsWindowVisible(Border));
  EXPECT_EQ(GetWindow(Border, GW_OWNER), Dlg);
  EXPECT_TRUE(GetPropW(Border, L"KVTAG"));
  EXPECT_EQ(ThreadWindows(), Windows + 2) << "the dialog and its border window";
  // The image carries the shadow margins; the dialog itself shows only its client part.
  TRect Shadow = Adapter->ShadowSize();
  TBitmap32* Image = Adapter->SkinData()->CacheBmp();
  ASSERT_NE(Image, nullptr);
  RECT R, C, Box;
  GetWindowRect(Dlg, &R);
  GetClientRect(Dlg, &C);
  EXPECT_GT(Image->Width(), C.right + Shadow.Left + Shadow.Right);
  ASSERT_NE(GetWindowRgnBox(Dlg, &Box), ERROR);
  EXPECT_EQ(Box.right - Box.left, C.right);
  EXPECT_EQ(Box.bottom - Box.top, C.bottom);
  RECT BR;
  GetWindowRect(Border, &BR);
  EXPECT_LT(BR.left, R.left);
  EXPECT_LT(BR.top, R.top);
  // The caption buttons lie on the border window; its hit test finds the close button.
  POINT Close = Centre(Dlg, cbClose);
  EXPECT_EQ(Adapter->BorderForm()->Ex_WMNCHitTest({Close.x, Close.y}), htCloseCode);
  // Moving the dialog takes the border window along.
  SetWindowPos(Dlg, nullptr, R.left + 25, R.top + 15, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(50);
  RECT BR2;
  GetWindowRect(Border, &BR2);
  EXPECT_EQ(BR2.left - BR.left, 25);
  EXPECT_EQ(BR2.top - BR.top, 15);
  // A click on its close button through the border window ends the dialog; the border
  // window goes with it.
  SetForegroundWindow(Dlg);
  PumpFor(50);
  Click(Centre(Dlg, cbClose));
  EXPECT_FALSE(IsWindow(Dlg));
  EXPECT_FALSE(IsWindow(Border));
  MouseAway();
  PumpFor(300);
  EXPECT_EQ(ThreadWindows(), Windows);

  // Without extended borders: no border window, the whole window framed by the region.
  Manager->SetExtendedBorders(false);
  PumpFor(50);
  Windows = ThreadWindows(); // the form's own border window went too
  Dlg = MakeDialog(ModalDialogStyle, 0);
  ASSERT_NE(Adapter, nullptr);
  EXPECT_EQ(Adapter->BorderForm(), nullptr);
  GetWindowRect(Dlg, &R);
  ASSERT_NE(GetWindowRgnBox(Dlg, &Box), ERROR);
  EXPECT_EQ(Box.right - Box.left, R.right - R.left);
  DestroyWindow(Dlg);
  PumpFor(50);
  EXPECT_EQ(ThreadWindows(), Windows);
}

} // namespace
