// Message forms and the file dialogs.
#include "toolkit/Dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace {
constexpr int kMargin = 12;
constexpr int kSpacing = 14;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
} // namespace

TMessageForm::TMessageForm(TComponent* AOwner, const std::wstring& Message) : TForm(AOwner) {
  SetLoading(true);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetCaption(Application ? Application->Title() : L"");
  Font().SetName(L"Tahoma");
  Font().SetHeight(-11);

  FMessage = new TLabel(this);
  FMessage->SetName(L"Message");
  FMessage->SetParent(this);
  FMessage->SetCaption(Message);
  FOk = new TButton(this);
  FOk->SetName(L"OK");
  FOk->SetParent(this);
  FOk->SetCaption(L"OK");
  FOk->ModalResult = mrOk;
  SetLoading(false);
  FMessage->Loaded();

  // The text decides the size: wide enough for its longest line and the button.
  FMessage->AdjustBounds();
  int TextWidth = FMessage->Width(), TextHeight = FMessage->Height();
  int ClientW = std::max(TextWidth, kButtonWidth) + 2 * kMargin;
  // Wide enough for the whole caption too (in the bold caption font, as skins draw it), with
  // room for the close button.
  NONCLIENTMETRICSW Metrics{};
  Metrics.cbSize = sizeof(Metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0)) {
    Metrics.lfCaptionFont.lfWeight = FW_BOLD;
    TFontHandle CaptionFont(CreateFontIndirectW(&Metrics.lfCaptionFont));
    TClientDC DC(nullptr);
    TSelectObject Selected(DC, CaptionFont);
    SIZE Extent{};
    std::wstring Title = Caption();
    GetTextExtentPoint32W(DC, Title.c_str(), int(Title.size()), &Extent);
    ClientW = std::max(ClientW, int(Extent.cx) + 2 * GetSystemMetrics(SM_CYCAPTION) + 24);
  }
  int ClientH = kMargin + TextHeight + kSpacing + kButtonHeight + kMargin;
  FMessage->SetBounds(kMargin, kMargin, TextWidth, TextHeight);
  FOk->SetBounds((ClientW - kButtonWidth) / 2, kMargin + TextHeight + kSpacing, kButtonWidth,
                 kButtonHeight);
  SetClientSize(ClientW, ClientH);
}

void TMessageForm::CreateWindowHandle() {
  TForm::CreateWindowHandle();
  SetWindowLongW(FOk->Handle(), GWL_STYLE,
                 GetWindowLongW(FOk->Handle(), GWL_STYLE) | BS_DEFPUSHBUTTON);
  FOk->SetFocus();
}

void ShowMessage(const std::wstring& Message) {
  auto* Form = new TMessageForm(Application, Message);
  try {
    Form->ShowModal();
  } catch (...) {
    delete Form;
    throw;
  }
  delete Form;
}

#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"

// ---------------------------------------------------------------------------------------------
// TOpenDialog

UINT_PTR CALLBACK TOpenDialog::HookProc(HWND Dlg, UINT Msg, WPARAM, LPARAM LParam) {
  // Like every callback of the system, nothing may unwind through it.
  Protected([&] {
    if (Msg == WM_INITDIALOG) {
      auto* OFN = reinterpret_cast<OPENFILENAMEW*>(LParam);
      auto* Self = reinterpret_cast<TOpenDialog*>(OFN->lCustData);
      SetPropW(Dlg, L"TextovrtDialog", Self);
      // The hook's window is a child of the dialog's outer window, which takes the CDM_
      // messages.
      Self->FHandle = GetParent(Dlg);
      return;
    }
    auto* Self = static_cast<TOpenDialog*>(GetPropW(Dlg, L"TextovrtDialog"));
    if (!Self) return;
    if (Msg == WM_NOTIFY) {
      auto* Notify = reinterpret_cast<OFNOTIFYW*>(LParam);
      if (Notify->hdr.code == CDN_TYPECHANGE) {
        Self->FilterIndex = int(Notify->lpOFN->nFilterIndex);
        if (Self->OnTypeChange) Self->OnTypeChange(Self);
      }
    } else if (Msg == WM_DESTROY) {
      RemovePropW(Dlg, L"TextovrtDialog");
    }
  });
  return 0;
}

bool TOpenDialog::Execute() {
  // The filter is a list of zero-terminated strings ending in an empty one.
  std::wstring FilterList = Filter;
  for (wchar_t& c : FilterList)
    if (c == L'|') c = L'\0';
  FilterList.append(2, L'\0');
  std::vector<wchar_t> Name(32768, L'\0');
  FileName.copy(Name.data(), std::min(FileName.size(), Name.size() - 1));
  std::wstring Ext = DefaultExt;
  if (!Ext.empty() && Ext[0] == L'.') Ext.erase(0, 1);

  OPENFILENAMEW OFN{};
  OFN.lStructSize = sizeof(OFN);
  HWND Owner = GetActiveWindow();
  if (!Owner && Application && Application->MainForm() &&
      Application->MainForm()->HandleAllocated())
    Owner = Application->MainForm()->Handle();
  OFN.hwndOwner = Owner;
  OFN.lpstrFilter = FilterList.c_str();
  OFN.nFilterIndex = DWORD(FilterIndex);
  OFN.lpstrFile = Name.data();
  OFN.nMaxFile = DWORD(Name.size());
  OFN.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  OFN.lpstrDefExt = Ext.empty() ? nullptr : Ext.c_str();
  OFN.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  OFN.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_HIDEREADONLY;
  if (!IsSave()) OFN.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  OFN.lpfnHook = HookProc;
  OFN.lCustData = reinterpret_cast<LPARAM>(this);

  BOOL Ok = IsSave() ? GetSaveFileNameW(&OFN) : GetOpenFileNameW(&OFN);
  FHandle = nullptr;
  if (!Ok) return false;
  FileName = Name.data();
  FilterIndex = int(OFN.nFilterIndex);
  return true;
}

bool TOpenDialog::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Title") {
    Title = Value.AsString();
  } else if (Name == "Filter") {
    Filter = Value.AsString();
  } else if (Name == "FilterIndex") {
    FilterIndex = Value.AsInt();
  } else if (Name == "DefaultExt") {
    DefaultExt = Value.AsString();
  } else if (Name == "FileName") {
    FileName = Value.AsString();
  } else if (Name == "OnTypeChange") {
    OnTypeChange = Value.AsMethod<TNotifyEvent>();
  } else {
    return TComponent::ReadProperty(Name, Value);
  }
  return true;
}

void RegisterToolkitClasses() {
  RegisterClass<TOpenDialog>("TOpenDialog");
  RegisterClass<TSaveDialog>("TSaveDialog");
  RegisterClass<TButton>("TButton");
  RegisterClass<TEdit>("TEdit");
  RegisterClass<TMemo>("TMemo");
  RegisterClass<TLabel>("TLabel");
  RegisterClass<TPanel>("TPanel");
  RegisterClass<TProgressBar>("TProgressBar");
  RegisterClass<TRichEdit>("TRichEdit");
  RegisterClass<TTimer>("TTimer");
  RegisterClass<TMainMenu>("TMainMenu");
  RegisterClass<TPopupMenu>("TPopupMenu");
  RegisterClass<TMenuItem>("TMenuItem");
}
