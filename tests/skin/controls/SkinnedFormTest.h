// A form with a skin manager for the skinned-control tests: the program's own skin from the
// source tree, or a small skin written to a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "skin/controls/sSkinControls.h"
#include "skin/images/kvSkinPictures.h"
#include "skin/manager/sSkinManager.h"
#include "tests/toolkit/GuiTest.h"

class SkinnedFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication();
    static bool Registered = [] {
      InstallSkinPictureReaders();
      RegisterSkinControls();
      return true;
    }();
    (void)Registered;
    ShowEngineError = [this](const std::wstring& Text) { Errors.push_back(Text); };
    Form = new TTestForm(Application);
    Form->SetColor(RGB(0x80, 0x10, 0x10));
  }
  void TearDown() override {
    delete Form;
    delete Manager;
    std::error_code Ec;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, Ec);
    EXPECT_TRUE(Errors.empty()) << (Errors.empty() ? std::string() : WideToUtf8(Errors.front()));
  }

  // The program's skin, read from its source folder.
  void UseMeadowStyle() {
    Manager = new TsSkinManager(nullptr);
    Manager->SetSkinDirectory(Utf8ToWide(std::string("Z:") + TV_SOURCE_DIR + "/skins"));
    Manager->SetSkinName(L"MeadowStyle");
    ASSERT_TRUE(Manager->Model().SkinData.Active);
  }
  // A skin of only an options text.
  void UseSkin(const std::string& Options) {
    Folder =
        std::filesystem::temp_directory_path() /
        ("textovrt_ctl_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++Counter));
    std::filesystem::create_directories(Folder / "T");
    std::ofstream(Folder / "T" / "Options.dat", std::ios::binary)
        << "[GLOBALINFO]\r\nVERSION=8.00\r\nCOLOR=15529972\r\nFONTCOLOR=1583647\r\n"
        << Options;
    Manager = new TsSkinManager(nullptr);
    Manager->SetSkinDirectory(Folder.wstring());
    Manager->SetSkinName(L"T");
    ASSERT_TRUE(Manager->Model().SkinData.Active);
  }
  void ShowForm() {
    Form->Show();
    PumpFor(100);
  }
  // The pixel of a window as the screen shows it (0x00BBGGRR).
  static COLORREF ScreenPixel(HWND Wnd, int X, int Y) {
    TClientDC DC(Wnd);
    return GetPixel(DC, X, Y);
  }
  static COLORREF Rgb(uint32_t Hex) { return RGB(Hex >> 16, (Hex >> 8) & 0xFF, Hex & 0xFF); }

  static inline int Counter = 0;
  TTestForm* Form = nullptr;
  TsSkinManager* Manager = nullptr;
  std::filesystem::path Folder;
  std::vector<std::wstring> Errors;
};
