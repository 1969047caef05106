#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "skin/data/kvSkinMessages.h"
#include "skin/manager/sSkinManager.h"
#include "skin/messages/sMessages.h"
#include "skin/pixels/kvBitmapIO.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/toolkit/GuiTest.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& S) {
  return {S.begin(), S.end()};
}

std::vector<uint8_t> PackedSkin(const std::string& ExtraSection) {
  std::string Options =
      "[GLOBALINFO]\r\nVERSION=8.00\r\nAUTHOR=Test\r\n[FORM]\r\nCOLOR=16711680\r\n[" +
      ExtraSection + "]\r\nCOLOR=255\r\n";
  return PackSkinMembers({{"Options.dat", Bytes(Options)}});
}

void WriteFile(const fs::path& Path, const std::vector<uint8_t>& Data) {
  fs::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
}

class THost : public TForm {
public:
  explicit THost(TComponent* Owner) : TForm(Owner) {
    SetClientSize(100, 100);
    RegisterField("Manager", Manager);
  }
  const wchar_t* ClassName() const override { return L"THost"; }
  TsSkinManager* Manager = nullptr;
};

class SkinManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication();
    static bool Registered = (RegisterClass<TsSkinManager>("TsSkinManager"), true);
    (void)Registered;
    Folder =
        fs::temp_directory_path() / ("textovrt_skins_" + std::to_string(GetCurrentProcessId()) +
                                     "_" + std::to_string(++Counter));
    fs::create_directories(Folder);
    ShowEngineError = [this](const std::wstring& Text) { Errors.push_back(Text); };
    ShowEngineMessage = [this](const std::wstring& Text) { Messages.push_back(Text); };
    Host = new THost(Application);
    Host->HandleNeeded();
    Host->AddWindowHook([this](TMessage& M, const TWndNext& Previous) {
      if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_SKINAPPLIED)
        Announced.push_back(M.LParam);
      Previous(M);
    });
  }
  void TearDown() override {
    delete Host;
    std::error_code Ec;
    fs::remove_all(Folder, Ec);
  }

  // The manager as the program's definition makes it: internal skins first, then the name.
  TsSkinManager* ReadManager(const std::string& Name = "Alpha") {
    std::string Dir = Folder.string();
    std::string Text =
        "object Host: THost\n object Manager: TsSkinManager\n"
        "  InternalSkins = <\n   item\n    Name = 'Alpha'\n    Shadow1Color = clBlack\n"
        "    Data = {file:ALPHA}\n   end\n   item\n    Name = 'Omega'\n"
        "    Data = {file:OMEGA}\n   end>\n"
        "  SkinDirectory = '" +
        Dir + "'\n  SkinName = '" + Name +
        "'\n"
        "  SkinInfo = '8'\n  ThirdParty.ThirdButtons = 'TButton'\n"
        "  ThirdParty.ThirdEdits = ' '\n end\nend\n";
    ReadComponentTree(Host, ParseDefinition(Text), [](const std::string& File) {
      return PackedSkin(File == "ALPHA" ? "FROMALPHA" : "FROMOMEGA");
    });
    return Host->Manager;
  }

  static inline int Counter = 0;
  fs::path Folder;
  THost* Host = nullptr;
  std::vector<std::wstring> Errors, Messages;
  std::vector<LPARAM> Announced;
};

} // namespace

TEST_F(SkinManagerTest, InternalSkinIsAppliedWhileTheDefinitionIsRead) {
  TsSkinManager* M = ReadManager();
  ASSERT_NE(M, nullptr);
  EXPECT_TRUE(Errors.empty()) << (Errors.empty() ? "" : WideToUtf8(Errors[0]));
  EXPECT_EQ(M->SkinName(), L"Alpha");
  EXPECT_TRUE(M->Model().SkinData.Active);
  EXPECT_GE(M->Model().GetSkinIndex("FROMALPHA"), 0);
  EXPECT_EQ(DefaultManager, M);
  EXPECT_TRUE(M->GlobalHookInstalled());
  // Announced once, with the manager, after the definition was read.
  EXPECT_EQ(Announced, std::vector<LPARAM>{LPARAM(M)});
  EXPECT_EQ(M->ThirdPartyClasses(1), std::vector<std::wstring>{L"TButton"});
  EXPECT_EQ(M->ThirdPartyClasses(0), std::vector<std::wstring>{L" "}); // matches no class
  EXPECT_EQ(M->ThirdPartyClasses(5), std::vector<std::wstring>{L" "});
}

TEST_F(SkinManagerTest, PackedFileInTheSkinFolderWinsOverTheInternalSkin) {
  WriteFile(Folder / "Alpha.kvz", PackedSkin("FROMFILE"));
  TsSkinManager* M = ReadManager();
  EXPECT_GE(M->Model().GetSkinIndex("FROMFILE"), 0);
  EXPECT_LT(M->Model().GetSkinIndex("FROMALPHA"), 0);
}

TEST_F(SkinManagerTest, NamesWithTheExtensionAndUnknownNames) {
  TsSkinManager* M = ReadManager();
  M->SetSkinName(L"Omega.KVZ");
  EXPECT_EQ(M->SkinName(), L"Omega");
  EXPECT_GE(M->Model().GetSkinIndex("FROMOMEGA"), 0);
  M->SetSkinName(L"Nowhere");
  EXPECT_EQ(M->SkinName(), L"Alpha"); // the first internal skin
  EXPECT_GE(M->Model().GetSkinIndex("FROMALPHA"), 0);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(SkinManagerTest, BrokenPackageKeepsThePreviousSkinWholeAndInUse) {
  TsSkinManager* M = ReadManager();
  const TsSkinModel* Before = &M->Model();
  std::vector<uint8_t> Broken = PackedSkin("X");
  Broken.resize(Broken.size() / 2); // cut short
  WriteFile(Folder / "Broken.kvz", Broken);
  M->SetSkinName(L"Broken");
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_FALSE(Errors[0].empty());
  EXPECT_EQ(M->SkinName(), L"Alpha");
  EXPECT_EQ(&M->Model(), Before);
  EXPECT_TRUE(M->Model().SkinData.Active);
  EXPECT_GE(M->Model().GetSkinIndex("FROMALPHA"), 0);
  // Options that are not a skin at all: the same.
  WriteFile(Folder / "Junk" / "Options.dat", Bytes("[FORM]\r\nBORDERSMASK=^12\r\n"));
  M->SetSkinName(L"Junk");
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_EQ(&M->Model(), Before);
}

TEST_F(SkinManagerTest, SkinNamesListInternalThenFoldersAndPackedFiles) {
  TsSkinManager* M = ReadManager();
  WriteFile(Folder / "Beta" / "Options.dat", Bytes("[GLOBALINFO]\r\nVERSION=8.00\r\n"));
  WriteFile(Folder / "Gamma.kvz", PackedSkin("G"));
  WriteFile(Folder / "notes.txt", Bytes("x"));
  fs::create_directories(Folder / "Empty");
  std::vector<std::wstring> All, Unpacked, Packed;
  std::wstring First;
  M->GetSkinNames(All, stAllSkins, First);
  EXPECT_EQ(All, (std::vector<std::wstring>{L"Alpha", L"Omega", L"Beta", L"Gamma"}));
  EXPECT_EQ(First, L"Alpha");
  M->GetSkinNames(Unpacked, stUnpacked, First);
  EXPECT_EQ(Unpacked, (std::vector<std::wstring>{L"Alpha", L"Omega", L"Beta"}));
  std::wstring FirstExternal;
  M->GetExternalSkinNames(Packed, stPacked, FirstExternal);
  EXPECT_EQ(Packed, std::vector<std::wstring>{L"Gamma"});
  EXPECT_EQ(FirstExternal, L"Gamma");
  // A folder skin is found by name.
  WriteFile(Folder / "Beta" / "Options.dat",
            Bytes("[GLOBALINFO]\r\nVERSION=8.00\r\n[FROMFOLDER]\r\nCOLOR=1\r\n"));
  M->SetSkinName(L"Beta");
  EXPECT_GE(M->Model().GetSkinIndex("FROMFOLDER"), 0);
}

TEST_F(SkinManagerTest, PreviewLinkTakesOnlyWellFormedBlocksAndOnlyWhenArmed) {
  TsSkinManager* M = ReadManager();
  std::vector<uint8_t> Block(30646, 0);
  Block[0] = 0x00;
  Block[1] = 0xA4;
  std::string Name = "Preview",
              Options = "[GLOBALINFO]\r\nVERSION=8.00\r\n[FROMPREVIEW]\r\nCOLOR=3\r\n";
  std::copy(Name.begin(), Name.end(), Block.begin() + 2);
  std::string Dir = Folder.string();
  std::copy(Dir.begin(), Dir.end(), Block.begin() + 2 + 128);
  std::copy(Options.begin(), Options.end(), Block.begin() + 2 + 128 + 513);

  EngineSwitches() = {};
  EXPECT_FALSE(M->ApplyPreviewSkin(Block.data(), Block.size())); // not started with /kvpreview
  EngineSwitches() = {L"/KVPREVIEW"};
  EXPECT_FALSE(M->ApplyPreviewSkin(Block.data(), Block.size() - 1));
  std::vector<uint8_t> Bad = Block;
  Bad[1] = 0xA5;
  EXPECT_FALSE(M->ApplyPreviewSkin(Bad.data(), Bad.size()));
  Bad = Block;
  std::fill(Bad.begin() + 2, Bad.begin() + 2 + 128, 'x'); // name not terminated in its field
  EXPECT_FALSE(M->ApplyPreviewSkin(Bad.data(), Bad.size()));
  EXPECT_EQ(M->SkinName(), L"Alpha");

  EXPECT_TRUE(M->ApplyPreviewSkin(Block.data(), Block.size()));
  EXPECT_EQ(M->SkinName(), L"Preview");
  EXPECT_GE(M->Model().GetSkinIndex("FROMPREVIEW"), 0);
  EngineSwitches() = {};
}

TEST_F(SkinManagerTest, VersionSwitchShowsTheEngineVersionOnce) {
  EngineSwitches() = {L"/kvver"};
  SkinManagerStartup();
  SkinManagerStartup();
  EngineSwitches() = {};
  EXPECT_EQ(Messages, std::vector<std::wstring>{L"Orvane v8.41"});
}

TEST_F(SkinManagerTest, OldSkinsAreNamedOnlyWithTheTestSwitch) {
  TsSkinManager* M = ReadManager();
  M->CheckVersion(6.5);
  EXPECT_TRUE(Messages.empty());
  EngineSwitches() = {L"/kvtest"};
  M->CheckVersion(6.5);
  EngineSwitches() = {};
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].rfind(L"You are using an old version of the \"Alpha\" skin.", 0), 0u);
  M->CheckVersion(9.5);
  EXPECT_EQ(Messages.size(), 2u);
  EXPECT_EQ(M->SkinningRules(), unsigned(srStdForms | srStdDialogs | srThirdParty));
}

TEST_F(SkinManagerTest, HueOffsetReloadsTheSkinWithItsColoursTurned) {
  TsSkinManager* M = ReadManager();
  int Form = M->Model().GetSkinIndex("FORM");
  ASSERT_GE(Form, 0);
  TColor Blue = M->Model().gd[size_t(Form)].Props[0].Color;
  TColor Palette14 = M->Model().Palette[14];
  Announced.clear();
  M->SetHueOffset(180);
  Form = M->Model().GetSkinIndex("FORM");
  EXPECT_EQ(M->Model().gd[size_t(Form)].Props[0].Color, ShiftHue(180, Blue));
  EXPECT_NE(M->Model().gd[size_t(Form)].Props[0].Color, Blue);
  EXPECT_EQ(M->Model().Palette[14], Palette14);
  EXPECT_EQ(Announced.size(), 1u); // announced again with the new colours
  M->SetHueOffset(0);
  EXPECT_EQ(M->Model().gd[size_t(M->Model().GetSkinIndex("FORM"))].Props[0].Color, Blue);
}

TEST_F(SkinManagerTest, ExtendedBordersUseTheBuiltInShadowsWithoutAnExBorderImage) {
  TsSkinManager* M = ReadManager();
  EXPECT_EQ(M->FormShadowSize(), (TRect{0, 0, 0, 0}));
  M->SetExtendedBorders(true);
  EXPECT_EQ(M->FormShadowSize(), (TRect{9, 9, 9, 9}));
  M->SetExtendedBorders(false);
  M->CheckShadows();
  EXPECT_EQ(M->FormShadowSize(), (TRect{0, 0, 0, 0}));
}

TEST_F(SkinManagerTest, MouseTrackingTellsTheWindowsItLeavesAndEnters) {
  TsSkinManager* M = ReadManager();
  std::vector<std::pair<std::wstring, uint16_t>> Seen;
  auto* A = new TButton(Host);
  A->SetName(L"A");
  A->SetParent(Host);
  auto* B = new TButton(Host);
  B->SetName(L"B");
  B->SetParent(Host);
  Host->HandleNeeded();
  for (TButton* Button : {A, B}) {
    Button->AddWindowHook([&Seen, Button, M](TMessage& Msg, const TWndNext& Previous) {
      if (Msg.Msg == KV_SKINMSG && Msg.LParam == LPARAM(M))
        Seen.push_back({Button->Name(), SkinCommandCode(Msg.WParam)});
      Previous(Msg);
    });
  }
  M->SetActiveControl(A->Handle());
  M->SetActiveControl(B->Handle());
  M->SetActiveControl(nullptr);
  EXPECT_EQ(Seen, (std::vector<std::pair<std::wstring, uint16_t>>{{L"A", KV_MOUSEENTERED},
                                                                  {L"A", KV_MOUSELEFT},
                                                                  {L"B", KV_MOUSEENTERED},
                                                                  {L"B", KV_MOUSELEFT}}));
}

TEST_F(SkinManagerTest, DialogModeAndTheMainWindowHook) {
  TsSkinManager* M = ReadManager();
  ASSERT_EQ(DefaultManager, M);
  EXPECT_FALSE(UseLatestCommonDialogs); // active, skinning standard dialogs
  M->SetSkinningRules(srStdForms);
  EXPECT_TRUE(UseLatestCommonDialogs);
  M->SetSkinningRules(srStdForms | srStdDialogs);
  EXPECT_FALSE(UseLatestCommonDialogs);
  // The owner's window: activating the application tells every form to repaint its state.
  int Notices = 0;
  TWndHookToken HookedHook = Host->AddWindowHook([&](TMessage& Msg, const TWndNext& Hooked) {
    if (Msg.Msg == KV_SKINMSG && SkinCommandCode(Msg.WParam) == KV_SYSCOLORSCHANGED) ++Notices;
    Hooked(Msg);
  });
  SendMessageW(Host->Handle(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(Notices, 1);
  SendMessageW(Host->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(M->ShowState(), TsSkinManager::ssMinimising);
  SendMessageW(Host->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(M->ShowState(), TsSkinManager::ssRestoring);
  Host->RemoveWindowHook(HookedHook);
  M->SetActive(false);
  EXPECT_TRUE(UseLatestCommonDialogs);
  EXPECT_FALSE(M->Model().SkinData.Active);
}

TEST_F(SkinManagerTest, SkinDirectoryIsMadeAbsoluteFromTheProgramsFolder) {
  TsSkinManager* M = ReadManager();
  wchar_t Exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, Exe, MAX_PATH);
  std::wstring Program = fs::path(Exe).parent_path().wstring();
  std::wstring Parent = fs::path(Program).parent_path().wstring();
  M->SetSkinDirectory(L"Skins");
  EXPECT_EQ(M->GetFullSkinDirectory(), Program + L"\\Skins\\");
  M->SetSkinDirectory(L".\\Skins");
  EXPECT_EQ(M->GetFullSkinDirectory(), Program + L"\\Skins\\");
  M->SetSkinDirectory(L"..\\Skins");
  EXPECT_EQ(M->GetFullSkinDirectory(), Parent + L"\\Skins\\");
  M->SetSkinDirectory(L"c:\\Skins");
  EXPECT_EQ(M->GetFullSkinDirectory(), L"c:\\Skins\\");
}

namespace {

std::string Hex(const std::vector<uint8_t>& Data) {
  static const char* Digits = "0123456789ABCDEF";
  std::string Out;
  for (uint8_t B : Data) {
    Out += Digits[B >> 4];
    Out += Digits[B & 15];
  }
  return Out;
}

} // namespace

TEST_F(SkinManagerTest, EveryStoredSettingIsReadFromTheDefinition) {
  int Changes = 0, SkinListChanges = 0;
  Host->RegisterMethod("Changed", TNotifyEvent([&](TComponent*) { ++Changes; }));
  Host->RegisterMethod("ListChanged", TNotifyEvent([&](TComponent*) { ++SkinListChanges; }));
  Host->RegisterMethod("DlgInit", TkvSysDlgInit([](HWND, bool& Allow) { Allow = false; }));
  Host->RegisterMethod(
      "ExtraLine", TkvGetExtraLineData([](TComponent*, std::wstring&, std::wstring& Caption,
                                          std::unique_ptr<TBitmap32>&, bool&) { Caption = L"x"; }));
  Host->RegisterMethod("ItemData",
                       TkvGetPopupItemData([](TComponent*, unsigned, TkvMenuItemData&) {}));
  TBitmap32 Master(3, 2);
  Master.Fill(0xFF102030);
  std::string Text =
      "object Host: THost\n object Manager: TsSkinManager\n"
      "  InternalSkins = <\n   item\n    Name = 'Alpha'\n    Shadow1Color = clRed\n"
      "    Shadow1Blur = 4\n    BorderColor = $00123456\n    Version = 8.41\n"
      "    Author = 'Me'\n    Description = 'Test skin'\n    MasterBitmap = {" +
      Hex(EncodeBmp32(Master)) +
      "}\n    Data = {file:ALPHA}\n   end\n   item\n    Name = 'Beta'\n"
      "    Shadow1Color = clWindowText\n    Data = {file:BETA}\n   end>\n"
      "  SkinningRules = [srStdForms, srThirdParty]\n"
      "  CommonSections.Strings = (\n   '[ COMMON ]'\n   ''\n   'COLOR = 7')\n"
      "  Effects.AllowGlowing = False\n  Effects.AllowAeroBluring = False\n"
      "  AnimEffects.Buttons.Events = [beMouseEnter, beMouseUp]\n"
      "  AnimEffects.BlendOnMoving.Active = True\n  AnimEffects.BlendOnMoving.BlendValue = 200\n"
      "  AnimEffects.BlendOnMoving.Time = 500\n  AnimEffects.FormShow.Time = 120\n"
      "  AnimEffects.FormShow.Mode = atFading\n  AnimEffects.DialogHide.Active = False\n"
      "  AnimEffects.Minimizing.Time = 300\n  AnimEffects.SkinChanging.Mode = atAero\n"
      "  MenuSupport.IcoLineSkin = 'MYICOLINE'\n  MenuSupport.UseExtraLine = True\n"
      "  MenuSupport.ExtraLineWidth = 40\n  MenuSupport.AlphaBlend = 230\n"
      "  MenuSupport.ExtraLineFont.Name = 'Tahoma'\n  MenuSupport.ExtraLineFont.Style = [fsBold]\n"
      "  SkinDirectory = '" +
      Folder.string() +
      "'\n  SkinName = 'Alpha'\n  GroupIndex = 3\n"
      "  OnBeforeChange = Changed\n  OnDeactivate = Changed\n  OnSkinListChanged = ListChanged\n"
      "  OnSysDlgInit = DlgInit\n  OnGetMenuExtraLineData = ExtraLine\n"
      "  OnGetPopupItemData = ItemData\n end\nend\n";
  ReadComponentTree(
      Host, ParseDefinition(Text, "host.form"),
      [](const std::string& File) { return PackedSkin(File == "ALPHA" ? "FROMALPHA" : "B"); },
      "host.form");
  TsSkinManager* M = Host->Manager;
  ASSERT_NE(M, nullptr);
  EXPECT_TRUE(Errors.empty());
  const TsStoredSkin& A = M->InternalSkins().Items(0);
  EXPECT_EQ(A.Shadow1Color(), 0x0000FFu);
  EXPECT_EQ(A.Shadow1Blur(), 4);
  EXPECT_EQ(A.BorderColor(), 0x123456u);
  EXPECT_DOUBLE_EQ(A.Version(), 8.41);
  EXPECT_EQ(A.Author(), "Me");
  EXPECT_EQ(A.Description(), "Test skin");
  ASSERT_EQ(A.MasterBitmap().Width(), 3);
  EXPECT_EQ(A.MasterBitmap().Height(), 2);
  EXPECT_EQ(A.MasterBitmap().Pixel(2, 1) & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(M->InternalSkins().Items(1).Shadow1Color(), clWindowText); // kept as given
  EXPECT_EQ(M->InternalSkins().Items(1).Shadow1Blur(), -1);
  EXPECT_EQ(M->SkinningRules(), unsigned(srStdForms | srThirdParty));
  EXPECT_EQ(M->CommonSections(), (std::vector<std::string>{"[COMMON]", "COLOR=7"}));
  EXPECT_GE(M->Model().GetSkinIndex("COMMON"), 0); // laid over the skin read before them
  EXPECT_FALSE(M->Effects.AllowGlowing);
  EXPECT_FALSE(M->Effects.AllowAeroBluring);
  EXPECT_EQ(M->AnimEffects.Buttons, unsigned(beMouseEnter | beMouseUp));
  EXPECT_TRUE(M->AnimEffects.BlendOnMoving.Active);
  EXPECT_EQ(M->AnimEffects.BlendOnMoving.BlendValue, 200);
  EXPECT_EQ(M->AnimEffects.BlendOnMoving.Time, 500);
  EXPECT_EQ(M->AnimEffects.FormShow.Time, 120);
  EXPECT_EQ(M->AnimEffects.FormShow.Mode, atFading);
  EXPECT_FALSE(M->AnimEffects.DialogHide.Active);
  EXPECT_EQ(M->AnimEffects.Minimizing.Time, 300);
  EXPECT_EQ(M->AnimEffects.SkinChanging.Mode, atAero);
  EXPECT_EQ(M->AnimEffects.SkinChanging.Time, 100); // untouched values keep their defaults
  EXPECT_EQ(M->AnimEffects.FormHide.Time, 0);
  EXPECT_EQ(M->MenuSupport.IcoLineSkin, L"MYICOLINE");
  EXPECT_TRUE(M->MenuSupport.UseExtraLine);
  EXPECT_EQ(M->MenuSupport.ExtraLineWidth, 40);
  EXPECT_EQ(M->MenuSupport.AlphaBlend, 230);
  EXPECT_EQ(M->MenuSupport.ExtraLineFont.Style(), unsigned(fsBold));
  EXPECT_EQ(M->GroupIndex, 3);
  ASSERT_TRUE(M->OnSysDlgInit && M->OnGetMenuExtraLineData && M->OnGetPopupItemData);
  bool Allow = true;
  M->OnSysDlgInit(nullptr, Allow);
  EXPECT_FALSE(Allow);
  // The events read are the ones called.
  M->SetSkinName(L"Beta");
  EXPECT_EQ(Changes, 1);
  M->SetActive(false);
  EXPECT_EQ(Changes, 2);
  int Before = SkinListChanges;
  M->InternalSkins().Items(1).SetAuthor("Someone");
  EXPECT_EQ(SkinListChanges, Before + 1);
}

TEST_F(SkinManagerTest, DefaultsOfTheSettingsNotStored) {
  TsSkinManager* M = ReadManager();
  EXPECT_TRUE(M->Effects.AllowGlowing);
  EXPECT_EQ(M->AnimEffects.Buttons,
            unsigned(beMouseEnter | beMouseLeave | beMouseDown | beMouseUp));
  EXPECT_FALSE(M->AnimEffects.BlendOnMoving.Active);
  EXPECT_EQ(M->AnimEffects.BlendOnMoving.BlendValue, 170);
  EXPECT_EQ(M->AnimEffects.BlendOnMoving.Time, 1000);
  EXPECT_EQ(M->AnimEffects.Minimizing.Time, 200);
  EXPECT_EQ(M->AnimEffects.SkinChanging.Mode, atFading);
  EXPECT_EQ(M->MenuSupport.IcoLineSkin, L"ICOLINE"); // set when the definition left it empty
  EXPECT_EQ(M->MenuSupport.ExtraLineWidth, 32);
  EXPECT_EQ(M->MenuSupport.AlphaBlend, 255);
}

TEST_F(SkinManagerTest, UnknownOrOutOfRangeStoredSettingsAreErrors) {
  auto ErrorOf = [this](const std::string& Body) {
    std::string Text =
        "object Host: THost\n object Manager: TsSkinManager\n" + Body + "\n end\nend\n";
    try {
      ReadComponentTree(Host, ParseDefinition(Text, "host.form"), {}, "host.form");
    } catch (const Exception& E) {
      delete Host->Manager;
      Host->Manager = nullptr;
      return E.Message();
    }
    return std::wstring(L"no error");
  };
  EXPECT_EQ(ErrorOf("  InternalSkins = <\n   item\n    Name = 'X'\n    Shadow1Color = clNoSuch\n"
                    "   end>"),
            L"Form definition host.form, line 6: unknown identifier \"clNoSuch\" for "
            L"InternalSkins.Shadow1Color");
  EXPECT_EQ(ErrorOf("  InternalSkins = <\n   item\n    Painter = 'X'\n   end>"),
            L"Form definition host.form, line 5: unknown property \"Painter\" of an item for "
            L"InternalSkins");
  EXPECT_EQ(ErrorOf("  InternalSkins = <\n   item\n    MasterBitmap = {0102}\n   end>")
                .rfind(L"Form definition host.form, line 5: ", 0),
            0u);
  EXPECT_EQ(ErrorOf("  MenuSupport.ExtraLineFont.Pitch = fpDefault"),
            L"Form definition host.form, line 3: unknown property "
            L"\"MenuSupport.ExtraLineFont.Pitch\" of Manager (TsSkinManager)");
  EXPECT_EQ(ErrorOf("  MenuSupport.Nothing = 1"),
            L"Form definition host.form, line 3: unknown property \"MenuSupport.Nothing\" of "
            L"Manager (TsSkinManager)");
  EXPECT_EQ(ErrorOf("  MenuSupport.AlphaBlend = 256"),
            L"Form definition host.form, line 3: integer 256 out of range 0..255 for "
            L"MenuSupport.AlphaBlend");
  EXPECT_EQ(ErrorOf("  AnimEffects.FormShow.Time = 70000"),
            L"Form definition host.form, line 3: integer 70000 out of range 0..65535 for "
            L"AnimEffects.FormShow.Time");
  EXPECT_EQ(ErrorOf("  AnimEffects.FormShow.Mode = atSliding"),
            L"Form definition host.form, line 3: unknown identifier \"atSliding\" for "
            L"AnimEffects.FormShow.Mode");
  EXPECT_EQ(ErrorOf("  AnimEffects.Buttons.Events = [beMouseWheel]"),
            L"Form definition host.form, line 3: unknown identifier \"beMouseWheel\" for "
            L"AnimEffects.Buttons.Events");
  EXPECT_EQ(ErrorOf("  SkinningRules = [srAll]"),
            L"Form definition host.form, line 3: unknown identifier \"srAll\" for SkinningRules");
  EXPECT_EQ(ErrorOf("  Effects.AllowGlowing = Yes"),
            L"Form definition host.form, line 3: Boolean value (True or False) expected, not "
            L"\"Yes\" for Effects.AllowGlowing");
}

TEST_F(SkinManagerTest, SectionChangesCarryTheSectionUpperCased) {
  TsSkinManager* M = ReadManager();
  std::vector<std::string> Seen;
  TWndHookToken PreviousHook = Host->AddWindowHook([&](TMessage& Msg, const TWndNext& Previous) {
    if (Msg.Msg == KV_SKINMSG && SkinCommandCode(Msg.WParam) == KV_SECTIONCHANGED)
      Seen.push_back(M->ChangedSection());
    Previous(Msg);
  });
  M->UpdateSkinSection("Button");
  M->UpdateSkinSection("edit");
  Host->RemoveWindowHook(PreviousHook);
  EXPECT_EQ(Seen, (std::vector<std::string>{"BUTTON", "EDIT"}));
}

TEST_F(SkinManagerTest, CommonSectionsReloadAndAnnounceTheSkin) {
  TsSkinManager* M = ReadManager();
  EXPECT_LT(M->Model().GetSkinIndex("COMMONX"), 0);
  Announced.clear();
  M->SetCommonSections({"[ COMMONX ]", "", "  ", "COLOR = 5"});
  EXPECT_EQ(M->CommonSections(), (std::vector<std::string>{"[COMMONX]", "COLOR=5"}));
  int Index = M->Model().GetSkinIndex("COMMONX");
  ASSERT_GE(Index, 0);
  EXPECT_EQ(M->Model().gd[size_t(Index)].Props[0].Color, 5u);
  EXPECT_EQ(Announced.size(), 1u);
  EXPECT_GE(M->Model().GetSkinIndex("FROMALPHA"), 0); // the same skin
}

TEST_F(SkinManagerTest, AnnouncingWithRepaintFreezesTheFormsUntilItIsOver) {
  TsSkinManager* M = ReadManager();
  Host->Show();
  SkinnedForms().push_back(Host);
  std::vector<std::string> Seen;
  TWndHookToken PreviousHook = Host->AddWindowHook([&](TMessage& Msg, const TWndNext& Previous) {
    if (Msg.Msg == WM_SETREDRAW) Seen.push_back(Msg.WParam ? "redraw on" : "redraw off");
    if (Msg.Msg == KV_SKINMSG && SkinCommandCode(Msg.WParam) == KV_SKINAPPLIED)
      Seen.push_back("applied");
    Previous(Msg);
  });
  M->AnnounceNewSkin(false);
  EXPECT_EQ(std::count(Seen.begin(), Seen.end(), "redraw off"), 0);
  Seen.clear();
  M->AnnounceNewSkin(true);
  // Switched on again: redrawing off had hidden it from IsWindowVisible.
  EXPECT_TRUE(IsWindowVisible(Host->Handle()));
  std::vector<std::string> Announcement = Seen;
  Seen.clear();
  M->RepaintForms(true);
  EXPECT_TRUE(IsWindowVisible(Host->Handle()));
  EXPECT_EQ(std::count(Seen.begin(), Seen.end(), "redraw on"), 1);
  Seen = Announcement;
  Host->RemoveWindowHook(PreviousHook);
  std::erase(SkinnedForms(), Host);
  ASSERT_GE(Seen.size(), 3u);
  EXPECT_EQ(Seen.front(), "redraw off");
  EXPECT_EQ(Seen[1], "applied");
  EXPECT_EQ(Seen.back(), "redraw on");
  EXPECT_EQ(std::count(Seen.begin(), Seen.end(), "redraw on"), 1);
}

TEST_F(SkinManagerTest, AControlStillUnderTheMouseKeepsTheTrackingAsItIs) {
  TsSkinManager* M = ReadManager();
  auto* Button = new TButton(Host);
  Button->SetParent(Host);
  auto* Label = new TLabel(Host);
  Label->SetParent(Host);
  Host->HandleNeeded();
  TsHoverState State;
  State.FMouseAbove = true;
  std::vector<std::string> Seen;
  Label->AddWindowHook([&](TMessage& Msg, const TWndNext& LabelProc) {
    if (Msg.Msg == KV_SKINMSG && SkinCommandCode(Msg.WParam) == KV_QUERYSKINDATA) {
      Msg.Result = LRESULT(&State);
      return;
    }
    if (Msg.Msg == KV_SKINMSG && SkinCommandCode(Msg.WParam) == KV_MOUSELEFT)
      Seen.push_back("label left");
    LabelProc(Msg);
  });
  Button->AddWindowHook([&](TMessage& Msg, const TWndNext& ButtonProc) {
    if (Msg.Msg == KV_SKINMSG && SkinCommandCode(Msg.WParam) == KV_MOUSEENTERED)
      Seen.push_back("button entered");
    ButtonProc(Msg);
  });
  M->SetActiveGraphControl(Label);
  M->SetActiveGraphControl(nullptr); // refused: still under the mouse
  EXPECT_EQ(M->ActiveGraphControl(), Label);
  M->SetActiveControl(Button->Handle()); // refused as well: nothing changes
  EXPECT_EQ(M->ActiveGraphControl(), Label);
  EXPECT_EQ(M->ActiveControl(), nullptr);
  EXPECT_TRUE(Seen.empty());
  State.FMouseAbove = false;
  M->SetActiveControl(Button->Handle());
  EXPECT_EQ(M->ActiveGraphControl(), nullptr);
  EXPECT_EQ(M->ActiveControl(), Button->Handle());
  EXPECT_EQ(Seen, (std::vector<std::string>{"label left", "button entered"}));
  M->SetActiveControl(nullptr);
}

TEST_F(SkinManagerTest, ExtractionProblemsAreShownAsErrors) {
  TsSkinManager* M = ReadManager();
  M->ExtractInternalSkin(L"Nowhere", Folder.wstring());
  M->ExtractByIndex(9, Folder.wstring());
  EXPECT_TRUE(Messages.empty());
  ASSERT_EQ(Errors.size(), 2u);
  EXPECT_EQ(Errors[0], L"Skin does not exists.");
  EXPECT_FALSE(Errors[1].empty());
  M->ExtractByIndex(0, Folder.wstring());
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_TRUE(fs::exists(Folder / "Alpha extracted.kvz"));
}
