// The skin manager: choosing, loading and announcing skins, the window hook, the preview link.
#include "skin/manager/sSkinManager.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <random>

#include "base/TextUtils.h"
#include "skin/images/kvBMP.h"
#include "skin/images/kvShadows.h"
#include "skin/messages/sMessages.h"

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
std::function<void(int Code, WPARAM WParam, LPARAM LParam)> WindowHookHandler;
std::function<bool(HWND Form, int X, int Y)> DropFormSystemMenu;
std::function<void(UINT Msg, WPARAM WParam, LPARAM LParam)> MenuNotificationHandler;
std::function<bool(TForm* Form, TMessage& Message, const TWndNext& Next)> MainWindowAnimation;
std::function<std::function<void()>(TsSkinManager& Manager)> SkinChangeAnimation;

#ifndef WM_POPUPSYSTEMMENU
constexpr UINT WM_POPUPSYSTEMMENU = 0x0313;
#endif
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

std::wstring ProgramFolder() {
  wchar_t Path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, Path, DWORD(std::size(Path)));
  return fs::path(Path).parent_path().wstring();
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
    // Without arguments the splitting (and the library it lives in) is not needed.
    if (CommandLineArguments(GetCommandLineW()).empty()) return List;
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
  FInternalSkins.OnChange = [this] {
    if (OnSkinListChanged) OnSkinListChanged(this);
  };
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
  if (MenuSupport.IcoLineSkin.empty()) MenuSupport.IcoLineSkin = L"ICOLINE";
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
  if (FSkinName.size() > 4 && UpperCase(FSkinName.substr(FSkinName.size() - 4)) == L".KVZ")
    FSkinName.resize(FSkinName.size() - 4);
  // A change at run time may cover the visible forms with their old pictures, faded out after.
  std::function<void()> FinishChange;
  if (SkinChangeAnimation && !IsLoading() && FModel->SkinData.Active)
    FinishChange = SkinChangeAnimation(*this);
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
  if (FinishChange) FinishChange();
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
  for (const auto& Ref : SkinnedForms()) {
    TForm* Form = Ref.Get();
    if (Form && Form->HandleAllocated() && IsWindowVisible(Form->Handle()) &&
        !IsIconic(Form->Handle()) && !Form->Parent() &&
        std::find(FFrozenForms.begin(), FFrozenForms.end(), Form) == FFrozenForms.end()) {
      SendMessageW(Form->Handle(), WM_SETREDRAW, FALSE, 0);
      FFrozenForms.push_back(Form);
    }
  }
}

void TsSkinManager::ThawForms() {
  // The forms frozen before: switching redrawing off hides a window from IsWindowVisible, so
  // they cannot be found by their visibility again. Each is held weakly, as any form may be
  // freed meanwhile.
  std::vector<TWeakRef<TForm>> Frozen = std::move(FFrozenForms);
  FFrozenForms.clear();
  const std::vector<TWeakRef<TForm>>& Skinned = SkinnedForms();
  for (const auto& Ref : Frozen)
    if (TForm* Form = Ref.Get(); Form &&
                                 std::find(Skinned.begin(), Skinned.end(), Form) != Skinned.end() &&
                                 Form->HandleAllocated()) {
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

bool TsSkinManager::AnimateMainWindow(TMessage& Message, const TWndNext& Next) {
  return MainWindowAnimation && FHookedForm &&
         MainWindowAnimation(FHookedForm.Get(), Message, Next);
}

bool TsSkinManager::MainWindowHook(TMessage& Message, const TWndNext& Next) {
  switch (Message.Msg) {
  case WM_SYSCOMMAND:
    switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE: FShowState = ssMinimising; break;
    case SC_RESTORE: FShowState = ssRestoring; break;
    default: break;
    }
    return AnimateMainWindow(Message, Next);
  case WM_POPUPSYSTEMMENU: {
    // The task bar asks the main form for its window menu: the skinned one, at the cursor.
    TForm* Form = FHookedForm.Get();
    POINT P{};
    if (!Application || !Application->MainFormOnTaskBar || !Form || !DropFormSystemMenu ||
        !GetCursorPos(&P))
      return false;
    if (!DropFormSystemMenu(Form->Handle(), P.x, P.y)) return false;
    Message.Result = 0;
    return true;
  }
  case KV_MENUITEMDRAWN:
  case KV_MENUWINDOWSHOWN:
    // A menu window the painter could not find while drawing gets its frame.
    if (!SkinnedPopups || !MenuNotificationHandler) return false;
    MenuNotificationHandler(Message.Msg, Message.WParam, Message.LParam);
    Message.Result = 0;
    return true;
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
  // The visible forms stop redrawing until the whole announcement and repaint are over, so
  // that no half-announced state reaches the screen; they are thawed on any way out.
  struct TFrozen {
    TsSkinManager* Manager;
    ~TFrozen() {
      if (Manager) Manager->ThawForms();
    }
  } Frozen{Repaint ? this : nullptr};
  if (Repaint) FreezeForms();
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

void TsSkinManager::UpdateSkinSection(const std::string& SectionName) {
  FChangedSection = UpperCaseAscii(SectionName);
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

void TsSkinManager::SetCommonSections(const std::vector<std::string>& Lines) {
  FCommonSections = TsSkinModel::CleanCommonSections(Lines);
  if (!FActive || FSkinName.empty()) return;
  if (IsLoading()) {
    // Read from the definition after the skin was: load it again with them; the announcement
    // follows when the definition has been read.
    if (!FModel->SkinData.Active) return;
    try {
      if (PackedFileExists())
        ReloadPackedSkin();
      else
        ReloadSkin();
    } catch (const std::exception& E) {
      ShowEngineError(ExceptionMessage(E));
    }
    return;
  }
  ReloadWithTone();
}

void TsSkinManager::SetThirdParty(int Index, const std::wstring& Text) {
  FThirdParty[size_t(Index)] = Text;
  FThirdPartyClasses[size_t(Index)] = SplitLines(Text); // one class name per line, as written
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
    ShowEngineError(Widen(Message));
}

void TsSkinManager::ExtractByIndex(int Index, const std::wstring& DestDir) {
  std::string Message = ::ExtractByIndex(FInternalSkins, Index, Narrow(DestDir));
  if (!Message.empty()) ShowEngineError(Widen(Message));
}

// ---------------------------------------------------------------------------------------------
// The window hook and mouse-over tracking

LRESULT CALLBACK TsSkinManager::CBTProc(int Code, WPARAM WParam, LPARAM LParam) {
  // New forms and standard dialogs get their skin providers through the handler. Nothing may
  // unwind through the system's hook call.
  HHOOK Hook = DefaultManager ? DefaultManager->FHook : nullptr;
  LRESULT Result = 0;
  Protected([&] {
    Result = CallNextHookEx(Hook, Code, WParam, LParam);
    if (WindowHookHandler && DefaultManager && Application && !Application->IsDestroying())
      WindowHookHandler(Code, WParam, LParam);
  });
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
  if (WindowHookHandler) Protected([] { WindowHookHandler(HookRemovedCode, 0, 0); });
}

bool TsSkinManager::GraphControlKeepsMouse() const {
  auto* State = reinterpret_cast<const TsHoverState*>(
      SendSkinCommandTo(FActiveGraphControl.Get(), KV_QUERYSKINDATA, 0));
  return State && State->FMouseAbove;
}

void TsSkinManager::SetActiveControl(HWND Value) {
  if (Value == FActiveControl) return;
  if (FActiveGraphControl.Get()) {
    SetActiveGraphControl(nullptr);
    // The window-less control is still under the mouse: everything stays as it is.
    if (FActiveGraphControl.Get()) return;
  }
  HWND Previous = FActiveControl;
  FActiveControl = Value;
  if (Previous && IsWindow(Previous)) SendSkinCommand(Previous, KV_MOUSELEFT, LPARAM(this));
  if (Value) SendSkinCommand(Value, KV_MOUSEENTERED, LPARAM(this));
}

void TsSkinManager::SetActiveGraphControl(TControl* Value) {
  // The control belongs to some form and may be gone by now: it is held weakly.
  TControl* Previous = FActiveGraphControl.Get();
  if (Value == Previous) return;
  if (!Value && GraphControlKeepsMouse()) return;
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

namespace {

// A Word or Byte value of a definition: an integer of 0 to Max.
int ReadUnsigned(const TDefValue& Value, int Max) {
  int N = Value.AsInt();
  if (N < 0 || N > Max)
    throw EDefValueError(
        L"integer " + std::to_wstring(N) + L" out of range 0.." + std::to_wstring(Max), Value.Line);
  return N;
}

} // namespace

void TsSkinManager::ReadInternalSkins(const TDefValue& Value) {
  if (Value.Kind != TDefValue::vkCollection)
    throw EDefValueError(L"Collection expected", Value.Line);
  FInternalSkins.Clear();
  for (const auto& Item : Value.Collection) {
    TsStoredSkin& Skin = FInternalSkins.Add();
    for (const auto& [Key, V] : Item) {
      try {
        if (Key == "Name") {
          Skin.SetName(Narrow(V.AsString()));
        } else if (Key == "Shadow1Color") {
          Skin.SetShadow1Color(ReadColor(V));
        } else if (Key == "Shadow1Offset") {
          Skin.SetShadow1Offset(V.AsInt());
        } else if (Key == "Shadow1Blur") {
          Skin.SetShadow1Blur(V.AsInt());
        } else if (Key == "Shadow1Transparency") {
          Skin.SetShadow1Transparency(V.AsInt());
        } else if (Key == "BorderColor") {
          Skin.SetBorderColor(ReadColor(V));
        } else if (Key == "Version") {
          Skin.SetVersion(V.AsFloat());
        } else if (Key == "Author") {
          Skin.SetAuthor(Narrow(V.AsString()));
        } else if (Key == "Description") {
          Skin.SetDescription(Narrow(V.AsString()));
        } else if (Key == "MasterBitmap") {
          // The bitmap as a BMP file; no data is the empty bitmap it is created as.
          if (V.Kind != TDefValue::vkBinary) throw EDefValueError(L"Binary data expected", V.Line);
          Skin.SetMasterBitmap(V.Binary.empty() ? TBitmap32()
                                                : DecodeBmp(V.Binary.data(), V.Binary.size()));
        } else if (Key == "Data") {
          if (V.Kind != TDefValue::vkBinary) throw EDefValueError(L"Binary data expected", V.Line);
          TMemoryStream Stored;
          Stored.Bytes() = V.Binary;
          Skin.ReadData(Stored, int64_t(V.Binary.size()));
        } else {
          throw EDefValueError(L"unknown property \"" + Utf8ToWide(Key) + L"\" of an item", V.Line,
                               "InternalSkins");
        }
      } catch (EDefValueError& E) {
        if (E.Property.empty()) E.Property = "InternalSkins." + Key;
        throw;
      } catch (const std::exception& E) {
        // A bitmap that cannot be decoded, and the like: the item value's line.
        throw EDefValueError(ExceptionMessage(E), V.Line, "InternalSkins." + Key);
      }
    }
  }
}

bool TsSkinManager::ReadAnimEffect(const std::string& Name, const TDefValue& Value) {
  if (Name == "Buttons.Events") {
    AnimEffects.Buttons = Value.AsSetFlags({{"beMouseEnter", beMouseEnter},
                                            {"beMouseLeave", beMouseLeave},
                                            {"beMouseDown", beMouseDown},
                                            {"beMouseUp", beMouseUp}});
    return true;
  }
  size_t Dot = Name.find('.');
  if (Dot == std::string::npos) return false;
  std::string Owner = Name.substr(0, Dot), Part = Name.substr(Dot + 1);
  if (Owner == "BlendOnMoving") {
    TkvBlendOnMoving& B = AnimEffects.BlendOnMoving;
    if (Part == "Active")
      B.Active = Value.AsBool();
    else if (Part == "BlendValue")
      B.BlendValue = uint8_t(ReadUnsigned(Value, 255));
    else if (Part == "Time")
      B.Time = uint16_t(ReadUnsigned(Value, 65535));
    else
      return false;
    return true;
  }
  static const std::pair<const char*, TkvFormAnimation TkvAnimEffects::*> Animations[] = {
      {"DialogShow", &TkvAnimEffects::DialogShow},    {"FormShow", &TkvAnimEffects::FormShow},
      {"FormHide", &TkvAnimEffects::FormHide},        {"DialogHide", &TkvAnimEffects::DialogHide},
      {"Minimizing", &TkvAnimEffects::Minimizing},    {"PageChange", &TkvAnimEffects::PageChange},
      {"SkinChanging", &TkvAnimEffects::SkinChanging}};
  for (const auto& [AnimName, Field] : Animations) {
    if (Owner != AnimName) continue;
    TkvFormAnimation& A = AnimEffects.*Field;
    if (Part == "Active")
      A.Active = Value.AsBool();
    else if (Part == "Time")
      A.Time = uint16_t(ReadUnsigned(Value, 65535));
    else if (Part == "Mode")
      A.Mode = TkvAnimType(Value.AsIdentIndex({"atFading", "atAero"}));
    else
      return false;
    return true;
  }
  return false;
}

bool TsSkinManager::ReadMenuSupport(const std::string& Name, const TDefValue& Value) {
  if (Name == "IcoLineSkin") {
    MenuSupport.IcoLineSkin = Value.AsString();
  } else if (Name == "UseExtraLine") {
    MenuSupport.UseExtraLine = Value.AsBool();
  } else if (Name == "ExtraLineWidth") {
    MenuSupport.ExtraLineWidth = Value.AsInt();
  } else if (Name == "AlphaBlend") {
    MenuSupport.AlphaBlend = uint8_t(ReadUnsigned(Value, 255));
  } else if (Name.rfind("ExtraLineFont.", 0) == 0) {
    return ReadFontProperty(MenuSupport.ExtraLineFont, Name.substr(14), Value);
  } else {
    return false;
  }
  return true;
}

bool TsSkinManager::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "SkinName") {
    SetSkinName(Value.AsString());
  } else if (Name == "SkinDirectory") {
    SetSkinDirectory(Value.AsString());
  } else if (Name == "SkinInfo" || Name == "Version") {
    // Read-only: what the definition stores is ignored.
    Value.AsString();
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
  } else if (Name == "GroupIndex") {
    GroupIndex = Value.AsInt();
  } else if (Name == "SkinningRules") {
    SetSkinningRules(Value.AsSetFlags({{"srStdForms", srStdForms},
                                       {"srStdDialogs", srStdDialogs},
                                       {"srThirdParty", srThirdParty}}));
  } else if (Name == "CommonSections.Strings") {
    if (Value.Kind != TDefValue::vkStrings)
      throw EDefValueError(L"String list expected", Value.Line);
    std::vector<std::string> Lines;
    for (const std::wstring& Line : Value.Strings)
      Lines.push_back(Narrow(Line));
    SetCommonSections(Lines);
  } else if (Name == "InternalSkins") {
    ReadInternalSkins(Value);
  } else if (Name.rfind("ThirdParty.", 0) == 0) {
    std::string List = Name.substr(11);
    auto It = std::find(std::begin(ThirdPartyNames), std::end(ThirdPartyNames), List);
    if (It == std::end(ThirdPartyNames)) return false;
    SetThirdParty(int(It - std::begin(ThirdPartyNames)), Value.AsString());
  } else if (Name.rfind("MenuSupport.", 0) == 0) {
    return ReadMenuSupport(Name.substr(12), Value);
  } else if (Name == "Effects.AllowGlowing") {
    Effects.AllowGlowing = Value.AsBool();
  } else if (Name == "Effects.AllowAeroBluring") {
    Effects.AllowAeroBluring = Value.AsBool();
  } else if (Name.rfind("AnimEffects.", 0) == 0) {
    return ReadAnimEffect(Name.substr(12), Value);
  } else if (Name == "OnActivate") {
    OnActivate = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnDeactivate") {
    OnDeactivate = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnBeforeChange") {
    OnBeforeChange = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnAfterChange") {
    OnAfterChange = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnSkinListChanged") {
    OnSkinListChanged = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnSysDlgInit") {
    OnSysDlgInit = Value.AsMethod<TkvSysDlgInit>();
  } else if (Name == "OnGetMenuExtraLineData") {
    OnGetMenuExtraLineData = Value.AsMethod<TkvGetExtraLineData>();
  } else if (Name == "OnGetPopupItemData") {
    OnGetPopupItemData = Value.AsMethod<TkvGetPopupItemData>();
  } else {
    return TComponent::ReadProperty(Name, Value);
  }
  return true;
}
