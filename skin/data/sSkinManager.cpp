// The skin manager: choosing, loading and announcing skins, the window hook, the preview link.
#include "skin/data/sSkinManager.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <random>

#include "skin/images/kvShadows.h"
#include "skin/paint/sMessages.h"

namespace fs = std::filesystem;

const char* const ThirdPartyNames[ThirdPartyCount] = {
    "ThirdEdits",        "ThirdButtons",     "ThirdBitBtns",       "ThirdCheckBoxes",
    "ThirdComboBoxes",   "ThirdGrids",       "ThirdGroupBoxes",    "ThirdListViews",
    "ThirdPanels",       "ThirdTreeViews",   "ThirdWWEdits",       "ThirdGridEh",
    "ThirdVirtualTrees", "ThirdPageControl", "ThirdTabControl",    "ThirdToolBar",
    "ThirdStatusBar",    "ThirdSpeedButton", "ThirdScrollControl", "ThirdUpDown",
    "ThirdScrollBar"};

const wchar_t* const EngineVersion = L"Orvane v8.41";

TsSkinManager* DefaultManager = nullptr;
bool UseLatestCommonDialogs = true;
bool SkinLoading = false;
bool SkinAnnouncing = false;

namespace {

std::wstring BoxCaption() {
  return Application ? Application->Title() : std::wstring();
}

std::wstring Widen(const std::string& Text) {
  int Length = MultiByteToWideChar(CP_ACP, 0, Text.data(), int(Text.size()), nullptr, 0);
  std::wstring Out(size_t(Length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, Text.data(), int(Text.size()), Out.data(), Length);
  return Out;
}

std::wstring Upper(std::wstring S) {
  for (wchar_t& c : S)
    c = wchar_t(std::towupper(c));
  return S;
}

std::wstring ProgramFolder() {
  wchar_t Path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, Path, DWORD(std::size(Path)));
  return fs::path(Path).parent_path().wstring();
}

// The class names of a ThirdParty list: one per line, exactly as written.
std::vector<std::wstring> ParseClassList(const std::wstring& Text) {
  std::vector<std::wstring> Lines;
  size_t Start = 0;
  for (size_t i = 0; i <= Text.size(); ++i) {
    if (i == Text.size() || Text[i] == L'\r' || Text[i] == L'\n') {
      if (i < Text.size() || Start < Text.size()) Lines.emplace_back(Text, Start, i - Start);
      if (i + 1 < Text.size() && Text[i] == L'\r' && Text[i + 1] == L'\n') ++i;
      Start = i + 1;
    }
  }
  return Lines;
}

// Runs the skin load under the process-wide loading flag.
struct TLoadingScope {
  bool Previous = SkinLoading;
  TLoadingScope() { SkinLoading = true; }
  ~TLoadingScope() { SkinLoading = Previous; }
};

} // namespace

std::function<void(const std::wstring&)> ShowEngineError = [](const std::wstring& Text) {
  MessageBoxW(GetActiveWindow(), Text.c_str(), BoxCaption().c_str(), MB_OK | MB_ICONERROR);
};

std::function<void(const std::wstring&)> ShowEngineMessage = [](const std::wstring& Text) {
  MessageBoxW(GetActiveWindow(), Text.c_str(), BoxCaption().c_str(), MB_OK | MB_ICONINFORMATION);
};

std::vector<std::wstring>& EngineSwitches() {
  static std::vector<std::wstring> Switches = [] {
    std::vector<std::wstring> List;
    int Count = 0;
    if (LPWSTR* Args = CommandLineToArgvW(GetCommandLineW(), &Count)) {
      for (int i = 1; i < Count; ++i)
        List.push_back(Args[i]);
      LocalFree(Args);
    }
    return List;
  }();
  return Switches;
}

bool HasEngineSwitch(const wchar_t* Switch) {
  for (const auto& Arg : EngineSwitches()) {
    std::wstring Lower = Arg;
    for (wchar_t& c : Lower)
      c = wchar_t(std::towlower(c));
    if (Lower == Switch) return true;
  }
  return false;
}

void RegisterSkinClasses() {
  RegisterClass<TsSkinManager>("TsSkinManager");
}

void SkinManagerStartup() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  if (HasEngineSwitch(L"/kvver")) ShowEngineMessage(EngineVersion);
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

TsSkinManager::TsSkinManager(TComponent* AOwner) : TComponent(AOwner) {
  FModel = NewModel(); // after every field it reads is made
  FThirdParty.fill(L" ");
  FThirdParty[1] = L"TButton";
  for (int i = 0; i < ThirdPartyCount; ++i)
    SetThirdParty(i, FThirdParty[size_t(i)]);
  if (!DefaultManager) {
    DefaultManager = this;
    FIsDefault = true;
  }
  FSkinDirectory = L"c:\\Skins";
}

TsSkinManager::~TsSkinManager() {
  BeginDestroy();
  if (FActive && FModel->SkinData.Active) AnnounceSkinRemoval();
  FActive = false;
  UnInstallHook();
  UnhookMainWindow();
  if (DefaultManager == this) {
    DefaultManager = nullptr;
    UseLatestCommonDialogs = true;
  }
}

void TsSkinManager::Loaded() {
  TComponent::Loaded();
  if (FSkinDirectory.empty()) FSkinDirectory = L"c:\\Skins";
  for (int i = 0; i < ThirdPartyCount; ++i)
    if (FThirdParty[size_t(i)].empty()) SetThirdParty(i, i == 1 ? L"TButton" : L" ");
  if (FIsDefault) HookMainWindow();
  if (FActive && !FSkinName.empty() && FModel->SkinData.Active) {
    AnnounceNewSkin(false);
    if (OnActivate) OnActivate(this);
  }
  SyncDialogMode();
}

std::unique_ptr<TsSkinModel> TsSkinManager::NewModel() const {
  auto Model = std::make_unique<TsSkinModel>();
  Model->Manager = const_cast<TsSkinManager*>(this);
  Model->SizingFrameWidth = GetSystemMetrics(SM_CXSIZEFRAME);
  Model->SetCommonSections(FCommonSections);
  Model->HueOffset = FHueOffset;
  Model->Saturation = FSaturation;
  return Model;
}

std::string TsSkinManager::Narrow(const std::wstring& Text) const {
  int Length =
      WideCharToMultiByte(CP_ACP, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string Out(size_t(Length), '\0');
  WideCharToMultiByte(CP_ACP, 0, Text.data(), int(Text.size()), Out.data(), Length, nullptr,
                      nullptr);
  return Out;
}

// ---------------------------------------------------------------------------------------------
// Choosing and loading a skin

std::wstring TsSkinManager::GetFullSkinDirectory() const {
  std::wstring Dir = FSkinDirectory;
  std::wstring Program = ProgramFolder();
  if (Dir.rfind(L"..", 0) == 0)
    Dir = fs::path(Program).parent_path().wstring() + L"\\" +
          Dir.substr(std::min<size_t>(3, Dir.size()));
  else if (Dir.rfind(L".\\", 0) == 0 || Dir.rfind(L"./", 0) == 0)
    Dir = Program + L"\\" + Dir.substr(2);
  else if (Dir.find(L':') == std::wstring::npos && Dir.find(L"\\\\") == std::wstring::npos)
    Dir = Program + L"\\" + Dir;
  return Widen(NormalizeDir(Narrow(Dir)));
}

bool TsSkinManager::PackedFileExists() const {
  std::error_code Ec;
  return fs::is_regular_file(GetFullSkinDirectory() + FSkinName + L".kvz", Ec);
}

void TsSkinManager::SetSkinName(const std::wstring& Value) {
  std::wstring Old = FSkinName;
  FSkinName = Value;
  if (!FActive) return;
  if (OnBeforeChange && !IsLoading()) OnBeforeChange(this);
  if (FSkinName.size() > 4 && Upper(FSkinName.substr(FSkinName.size() - 4)) == L".KVZ")
    FSkinName.resize(FSkinName.size() - 4);
  bool Packed = PackedFileExists();
  if (FPreviewApplied) {
    std::error_code Ec;
    if (fs::is_directory(GetFullSkinDirectory() + FSkinName, Ec)) Packed = false;
  }
  try {
    if (Packed)
      ReloadPackedSkin();
    else
      ReloadSkin();
  } catch (const std::exception& E) {
    FSkinName = Old;
    ShowEngineError(ExceptionMessage(E));
  }
  if (FActive) {
    if (!FNonAutoUpdate) AnnounceNewSkin(true);
    if (OnActivate && !IsLoading()) OnActivate(this);
  } else {
    AnnounceSkinRemoval();
    if (OnActivate && !IsLoading()) OnActivate(this);
  }
  if (OnAfterChange && !IsLoading()) OnAfterChange(this);
  SyncDialogMode();
}

void TsSkinManager::LoadInto(TsSkinModel& Target, bool Packed) {
  TLoadingScope Loading;
  if (Packed) {
    std::unique_ptr<TkvSkinConvertor> Reader;
    std::string File = Narrow(GetFullSkinDirectory() + FSkinName + L".kvz");
    LoadSkinPackage(File, Reader, true);
    if (!Reader) throw ESkinPackError("Cannot open " + File);
    Target.LoadPackedSkin(*Reader);
    Target.SkinData.SkinPath = Narrow(GetFullSkinDirectory());
    return;
  }
  std::wstring Folder = GetFullSkinDirectory() + FSkinName + L"\\";
  std::error_code Ec;
  std::string OptionsText;
  bool FromFolder = false;
  if (!FPreviewOptions.empty()) {
    OptionsText = FPreviewOptions;
    FromFolder = true;
  } else if (fs::is_regular_file(Folder + L"Options.dat", Ec)) {
    std::ifstream In(fs::path(Folder + L"Options.dat"), std::ios::binary);
    OptionsText.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    if (!In.good() && !In.eof())
      throw ESkinDataError("Cannot read " + Narrow(Folder) + "Options.dat");
    FromFolder = true;
  }
  if (FromFolder) {
    TkvMemIniFile Options(OptionsText);
    Target.LoadSkin(Options, TkvImageSource(Narrow(Folder)));
    Target.SkinData.SkinPath = Narrow(Folder);
    return;
  }
  // An internal skin: by name, or the first one.
  int Index = FInternalSkins.IndexOf(Narrow(FSkinName));
  if (Index < 0) {
    if (FInternalSkins.Count() == 0) {
      FActive = false;
      return;
    }
    Index = 0;
    FSkinName = Widen(FInternalSkins.Items(0).Name());
  }
  TsStoredSkin& Skin = FInternalSkins.Items(Index);
  if (Skin.PackedData().Size() == 0)
    throw ESkinPackError("Internal skin \"" + Skin.Name() + "\" holds no data");
  auto Reader = std::make_unique<TkvSkinConvertor>();
  Reader->LendPackedData(&Skin.PackedData());
  UnpackSkinPackage(Reader);
  if (!Reader) throw ESkinPackError("Internal skin \"" + Skin.Name() + "\" is not a packed skin");
  Target.LoadPackedSkin(*Reader);
  Target.SkinData.SkinPath.clear();
}

void TsSkinManager::FinishLoad(std::unique_ptr<TsSkinModel> Loaded) {
  if (!FActive) return; // no skin at all: the current model stays as it is
  FModel = std::move(Loaded);
  CheckVersion(FModel->SkinData.Version);
  CheckShadows();
}

void TsSkinManager::CheckShadows() {
  FFormShadowSize = {};
  if (!FExtendedBorders || FModel->gd.empty()) return; // no skin loaded
  int Index = FModel->ConstData.ExBorder;
  if (!FModel->IsValidImgIndex(Index)) {
    // The built-in templates, drawn as nine-slice images with these margins.
    FFormShadowSize = {DefaultShadowMargin, DefaultShadowMargin, DefaultShadowMargin,
                       DefaultShadowMargin};
    return;
  }
  const TsMaskData& Ex = FModel->ma[size_t(Index)];
  int Offs = FModel->SkinData.ExContentOffs;
  if (FModel->SkinData.ExDrawMode != 0)
    FFormShadowSize = {Offs, Offs, Offs, Offs};
  else
    FFormShadowSize = {Ex.WL - Offs, Ex.WT - Offs, Ex.WR - Offs, Ex.WB - Offs};
}

void TsSkinManager::FreezeForms() {
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated() &&
      IsIconic(Application->MainForm()->Handle()))
    return;
  for (const auto& Ref : SkinnedForms())
    if (TForm* Form = Ref.Get(); Form && Form->HandleAllocated() &&
                                 IsWindowVisible(Form->Handle()) && !IsIconic(Form->Handle()) &&
                                 !Form->Parent())
      SendMessageW(Form->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TsSkinManager::ThawForms() {
  for (const auto& Ref : SkinnedForms())
    if (TForm* Form = Ref.Get(); Form && Form->HandleAllocated() &&
                                 IsWindowVisible(Form->Handle()) && !IsIconic(Form->Handle()) &&
                                 !Form->Parent()) {
      SendMessageW(Form->Handle(), WM_SETREDRAW, TRUE, 0);
      RedrawWindow(Form->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void TsSkinManager::SyncDialogMode() {
  if (DefaultManager != this) return;
  UseLatestCommonDialogs = !((FSkinningRules & srStdDialogs) && FActive);
}

void TsSkinManager::HookMainWindow() {
  auto* Form = dynamic_cast<TForm*>(Owner());
  if (!Form || FHookedForm) return;
  FHookedForm = Form;
  FMainWindowHook = Form->AddWindowHook([this](TMessage& Message, const TWndNext& Next) {
    if (!MainWindowHook(Message, Next)) Next(Message);
  });
}

void TsSkinManager::UnhookMainWindow() {
  // The form frees its components while it is whole, so its hook chain is there to leave.
  if (TForm* Form = FHookedForm.Get()) Form->RemoveWindowHook(FMainWindowHook);
  FHookedForm.Reset();
}

bool TsSkinManager::MainWindowHook(TMessage& Message, const TWndNext& Next) {
  switch (Message.Msg) {
  case WM_SYSCOMMAND:
    switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE: FShowState = ssMinimising; break;
    case SC_RESTORE: FShowState = ssRestoring; break;
    default: break;
    }
    return false;
  case WM_THEMECHANGED: Message.Result = 0; return true;
  case WM_ACTIVATEAPP: {
    // The application was activated or deactivated: every form repaints its state.
    Next(Message);
    TMessage Notice = SkinCommand(KV_SYSCOLORSCHANGED);
    if (Screen)
      for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->HandleAllocated())
          SendMessageW(Screen->Forms(i)->Handle(), Notice.Msg, Notice.WParam, Notice.LParam);
    return true;
  }
  default: return false;
  }
}

void TsSkinManager::ReloadSkin() {
  if (!FActive) return;
  auto Loaded = NewModel();
  LoadInto(*Loaded, false);
  FinishLoad(std::move(Loaded));
}

void TsSkinManager::ReloadPackedSkin() {
  if (!FActive) return;
  auto Loaded = NewModel();
  LoadInto(*Loaded, true);
  FinishLoad(std::move(Loaded));
}

std::string TsSkinManager::SkinInfo() const {
  return FModel->SkinInfo();
}

void TsSkinManager::CheckVersion(double SkinVersion) {
  if (SkinVersion >= 7) {
    if (SkinVersion > 8.99 + 1e-9) {
      unsigned Rules = FSkinningRules;
      FSkinningRules &= ~unsigned(srStdDialogs);
      ShowEngineMessage(L"This version of the skin have not complete support by used Orvane "
                        L"package release.\r\nComponents must be updated up to latest version "
                        L"for using this skin.");
      FSkinningRules = Rules;
    }
  } else if (HasEngineSwitch(L"/kvtest")) {
    ShowEngineMessage(L"You are using an old version of the \"" + FSkinName +
                      L"\" skin. Please, update a skins to latest or link with the Orvane "
                      L"support for upgrading of existing skin.\r\n\r\nThis notification "
                      L"occurs in design-time only for your information and will not occur in "
                      L"real-time.");
  }
}

// ---------------------------------------------------------------------------------------------
// Announcing

void TsSkinManager::AnnounceNewSkin(bool Repaint) {
  if (IsLoading()) return;
  FModel->SkinData.Active = false;
  SkinAnnouncing = true;
  FModel->InitConstantIndexes();
  TMessage Message = SkinCommand(KV_SKINAPPLIED, LPARAM(this));
  try {
    BroadcastToAllForms(Message);
  } catch (...) {
    SkinAnnouncing = false;
    throw;
  }
  SkinAnnouncing = false;
  FModel->SkinData.Active = true;
  if (FIsDefault && !FHook) InstallHook();
  if (Repaint) RepaintForms(false);
}

void TsSkinManager::AnnounceSkinRemoval() {
  UnInstallHook();
  FModel->SkinData.Active = false;
  TMessage Message = SkinCommand(KV_SKINDROPPED, LPARAM(this));
  BroadcastToAllForms(Message);
  FModel = NewModel();
}

void TsSkinManager::RepaintForms(bool DoLockForms) {
  TMessage Halt = SkinCommand(KV_HALTFADE, LPARAM(this));
  BroadcastToAllForms(Halt);
  TMessage Message = SkinCommand(KV_REPAINTSKIN, LPARAM(this));
  bool Lock = DoLockForms && !SkinLoading;
  if (Lock) FreezeForms();
  BroadcastToAllForms(Message);
  if (Lock) ThawForms();
  for (HWND Wnd : ForeignProviderWindows())
    if (IsWindow(Wnd) && IsWindowVisible(Wnd))
      RedrawWindow(Wnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TsSkinManager::UpdateSkin(bool Repaint) {
  if (!FActive) return;
  AnnounceNewSkin(Repaint);
}

void TsSkinManager::UpdateSkinSection(const std::string&) {
  TMessage Message = SkinCommand(KV_SECTIONCHANGED);
  BroadcastToAllForms(Message);
}

void TsSkinManager::EndUpdate(bool Repaint) {
  FNonAutoUpdate = false;
  UpdateSkin(Repaint);
}

// ---------------------------------------------------------------------------------------------
// Property setters

void TsSkinManager::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (Value) {
    SetSkinName(FSkinName);
  } else if (!FSkinName.empty()) {
    if (!IsLoading()) AnnounceSkinRemoval();
    FModel->InitConstantIndexes();
    SyncDialogMode();
    if (OnDeactivate) OnDeactivate(this);
  }
}

void TsSkinManager::SetHueOffset(int Value) {
  if (Value == FHueOffset) return;
  FHueOffset = Value;
  ReloadWithTone();
}

void TsSkinManager::SetSaturation(int Value) {
  if (Value == FSaturation) return;
  FSaturation = Value;
  ReloadWithTone();
}

void TsSkinManager::ReloadWithTone() {
  if (!FActive || IsLoading() || FSkinName.empty()) return;
  try {
    if (PackedFileExists())
      ReloadPackedSkin();
    else
      ReloadSkin();
  } catch (const std::exception& E) {
    ShowEngineError(ExceptionMessage(E));
  }
  if (OnAfterChange) OnAfterChange(this);
  if (!FNonAutoUpdate) {
    AnnounceNewSkin(false);
    RepaintForms(true);
  }
}

void TsSkinManager::SetExtendedBorders(bool Value) {
  if (Value == FExtendedBorders) return;
  FExtendedBorders = Value;
  if (!FModel->SkinData.Active) return;
  CheckShadows();
  ReloadWithTone();
}

void TsSkinManager::SetIsDefault(bool Value) {
  if (Value || !DefaultManager) {
    if (DefaultManager && DefaultManager != this) DefaultManager->FIsDefault = false;
    DefaultManager = this;
    FIsDefault = true;
    if (FActive && FModel->SkinData.Active)
      AnnounceNewSkin(true);
    else if (!IsLoading())
      AnnounceSkinRemoval();
  } else {
    FIsDefault = DefaultManager == this;
  }
}

void TsSkinManager::SetSkinningRules(unsigned Value) {
  FSkinningRules = Value;
  SyncDialogMode();
}

void TsSkinManager::SetThirdParty(int Index, const std::wstring& Text) {
  FThirdParty[size_t(Index)] = Text;
  FThirdPartyClasses[size_t(Index)] = ParseClassList(Text);
}

// ---------------------------------------------------------------------------------------------
// Skin lists

void TsSkinManager::GetExternalSkinNames(std::vector<std::wstring>& List, TSkinType SkinType,
                                         std::wstring& First) const {
  std::vector<std::wstring> Names;
  std::error_code Ec;
  for (const auto& Entry : fs::directory_iterator(fs::path(GetFullSkinDirectory()), Ec)) {
    std::wstring Name = Entry.path().filename().wstring();
    if (Entry.is_directory(Ec)) {
      if (SkinType != stPacked && fs::is_regular_file(Entry.path() / L"Options.dat", Ec))
        Names.push_back(Name);
    } else if (SkinType != stUnpacked && Entry.path().extension().wstring() == L".kvz") {
      Names.push_back(Name.substr(0, Name.find(L'.')));
    }
  }
  std::sort(Names.begin(), Names.end());
  if (First.empty() && !Names.empty()) First = Names.front();
  List.insert(List.end(), Names.begin(), Names.end());
}

void TsSkinManager::GetSkinNames(std::vector<std::wstring>& List, TSkinType SkinType,
                                 std::wstring& First) const {
  std::vector<std::wstring> Internal;
  for (int i = 0; i < FInternalSkins.Count(); ++i)
    Internal.push_back(Widen(FInternalSkins.Items(i).Name()));
  std::sort(Internal.begin(), Internal.end());
  if (!Internal.empty()) First = Internal.front();
  List.insert(List.end(), Internal.begin(), Internal.end());
  GetExternalSkinNames(List, SkinType, First);
}

std::wstring TsSkinManager::GetRandomSkin() const {
  std::vector<std::wstring> Names;
  std::wstring First;
  GetSkinNames(Names, stAllSkins, First);
  if (Names.empty()) return {};
  std::mt19937 Random(unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
  return Names[std::uniform_int_distribution<size_t>(0, Names.size() - 1)(Random)];
}

void TsSkinManager::ExtractInternalSkin(const std::wstring& Name, const std::wstring& DestDir) {
  for (const std::string& Message :
       ::ExtractInternalSkin(FInternalSkins, Narrow(Name), Narrow(DestDir)))
    ShowEngineMessage(Widen(Message));
}

void TsSkinManager::ExtractByIndex(int Index, const std::wstring& DestDir) {
  std::string Message = ::ExtractByIndex(FInternalSkins, Index, Narrow(DestDir));
  if (!Message.empty()) ShowEngineMessage(Widen(Message));
}

// ---------------------------------------------------------------------------------------------
// The window hook and mouse-over tracking

LRESULT CALLBACK TsSkinManager::CBTProc(int Code, WPARAM WParam, LPARAM LParam) {
  // New forms and standard dialogs get their skin providers here once those exist; until
  // then every window keeps its own look. Nothing may unwind through the system's hook call.
  HHOOK Hook = DefaultManager ? DefaultManager->FHook : nullptr;
  LRESULT Result = 0;
  Protected([&] { Result = CallNextHookEx(Hook, Code, WParam, LParam); });
  return Result;
}

void TsSkinManager::InstallHook() {
  if (!FIsDefault || FHook) return;
  FHook = SetWindowsHookExW(WH_CBT, CBTProc, nullptr, GetCurrentThreadId());
}

void TsSkinManager::UnInstallHook() {
  if (!FHook) return;
  UnhookWindowsHookEx(FHook);
  FHook = nullptr;
}

void TsSkinManager::SetActiveControl(HWND Value) {
  if (Value == FActiveControl) return;
  if (FActiveGraphControl.Get()) SetActiveGraphControl(nullptr);
  HWND Previous = FActiveControl;
  FActiveControl = Value;
  if (Previous && IsWindow(Previous)) SendSkinCommand(Previous, KV_MOUSELEFT, LPARAM(this));
  if (Value) SendSkinCommand(Value, KV_MOUSEENTERED, LPARAM(this));
}

void TsSkinManager::SetActiveGraphControl(TControl* Value) {
  // The control belongs to some form and may be gone by now: it is held weakly.
  TControl* Previous = FActiveGraphControl.Get();
  if (Value == Previous) return;
  FActiveGraphControl = Value;
  if (Value) FActiveControl = nullptr;
  if (Previous) SendSkinCommandTo(Previous, KV_MOUSELEFT, LPARAM(this));
}

// ---------------------------------------------------------------------------------------------
// The preview link

bool TsSkinManager::ApplyPreviewSkin(const void* Data, size_t Size) {
  // Marker (2 bytes), name (128), directory (513), options (30,001), two unused bytes.
  constexpr size_t NameSize = 128, DirSize = 513, OptionsSize = 30001;
  constexpr size_t BlockSize = 2 + NameSize + DirSize + OptionsSize + 2;
  static_assert(BlockSize == 30646);
  if (!HasEngineSwitch(L"/kvpreview") || !Data || Size != BlockSize) return false;
  auto* Bytes = static_cast<const uint8_t*>(Data);
  if ((Bytes[0] | (Bytes[1] << 8)) != 0xA400) return false;
  auto Field = [&](size_t Offset, size_t Length, std::string& Out) {
    const uint8_t* Start = Bytes + Offset;
    const uint8_t* End = std::find(Start, Start + Length, 0);
    if (End == Start + Length) return false; // not terminated inside its field
    Out.assign(Start, End);
    return true;
  };
  std::string Name, Dir, Options;
  if (!Field(2, NameSize, Name) || !Field(2 + NameSize, DirSize, Dir) ||
      !Field(2 + NameSize + DirSize, OptionsSize, Options) || Name.empty())
    return false;
  BeginUpdate();
  FPreviewOptions = Options;
  FPreviewApplied = true;
  SetSkinDirectory(Widen(Dir));
  SetSkinName(Widen(Name));
  FPreviewOptions.clear();
  EndUpdate(true);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading the definition

bool TsSkinManager::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "SkinName") {
    SetSkinName(Value.AsString());
  } else if (Name == "SkinDirectory") {
    SetSkinDirectory(Value.AsString());
  } else if (Name == "SkinInfo" || Name == "Version") {
    // Read-only: what the definition stores is ignored.
  } else if (Name == "Active") {
    FActive = Value.AsBool();
  } else if (Name == "HueOffset") {
    FHueOffset = Value.AsInt();
  } else if (Name == "Saturation") {
    FSaturation = Value.AsInt();
  } else if (Name == "ExtendedBorders") {
    FExtendedBorders = Value.AsBool();
  } else if (Name == "SkinnedPopups") {
    SkinnedPopups = Value.AsBool();
  } else if (Name == "IsDefault") {
    FIsDefault = Value.AsBool() || DefaultManager == this;
  } else if (Name == "InternalSkins") {
    if (Value.Kind != TDefValue::vkCollection) throw Exception(L"Collection expected");
    FInternalSkins.Clear();
    for (const auto& Item : Value.Collection) {
      TsStoredSkin& Skin = FInternalSkins.Add();
      for (const auto& [Key, V] : Item) {
        if (Key == "Name")
          Skin.SetName(Narrow(V.AsString()));
        else if (Key == "Shadow1Color")
          Skin.SetShadow1Color(V.Kind == TDefValue::vkInt ? TColor(V.Int)
                               : V.AsIdent() == "clBlack" ? clBlack
                                                          : ColorToRGB(clWindowText));
        else if (Key == "Shadow1Offset")
          Skin.SetShadow1Offset(V.AsInt());
        else if (Key == "Shadow1Transparency")
          Skin.SetShadow1Transparency(V.AsInt());
        else if (Key == "Data")
          Skin.PackedData().Bytes() = V.Binary;
        else
          throw Exception(L"Property " + Utf8ToWide(Key) + L" does not exist");
      }
    }
  } else if (Name.rfind("ThirdParty.", 0) == 0) {
    std::string List = Name.substr(11);
    auto It = std::find(std::begin(ThirdPartyNames), std::end(ThirdPartyNames), List);
    if (It == std::end(ThirdPartyNames)) return false;
    SetThirdParty(int(It - std::begin(ThirdPartyNames)), Value.AsString());
  } else if (Name.rfind("MenuSupport.", 0) == 0) {
    // The menu painter's settings; this program shows no skinned menus yet.
  } else if (Name == "OnActivate") {
    OnActivate = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnAfterChange") {
    OnAfterChange = Value.AsMethod<TNotifyEvent>();
  } else {
    return TComponent::ReadProperty(Name, Value);
  }
  return true;
}
