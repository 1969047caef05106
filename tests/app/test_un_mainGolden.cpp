// The program's windows as the screen shows them, against reviewed pictures: where the whole
// picture is the behaviour (frame, title, every control drawn by the skin, no system grey), a
// pixel check of a few points says too little. After a deliberate change of the look, run the
// test with TEXTOVRT_UPDATE_GOLDEN=1 to write the pictures anew, and look at them before
// committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/un_info.h"
#include "app/un_main.h"
#include "skin/controls/sSkinControls.h"
#include "skin/forms/kvDials.h"
#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/images/kvSkinPictures.h"
#include "tests/app/ProgramTest.h"

namespace {

std::string GoldenPath(const std::string& Name) {
  return std::string(TV_SOURCE_DIR) + "/tests/golden/program/" + Name;
}

// The window's rectangle of the screen, as the user sees it.
TBitmap32 CaptureScreen(HWND Wnd) {
  RECT R;
  GetWindowRect(Wnd, &R);
  TBitmap32 Bmp(R.right - R.left, R.bottom - R.top);
  HDC Screen = GetDC(nullptr);
  BitBlt(static_cast<HDC>(Bmp.NativeDC()), 0, 0, Bmp.Width(), Bmp.Height(), Screen, R.left, R.top,
         SRCCOPY);
  ReleaseDC(nullptr, Screen);
  for (int y = 0; y < Bmp.Height(); ++y)
    for (int x = 0; x < Bmp.Width(); ++x)
      Bmp.Pixel(x, y) |= 0xFF000000u;
  return Bmp;
}

// Compares with the reviewed picture; pixels may differ by a few levels (text smoothing), and
// no more than a handful may differ more.
void ExpectGolden(const TBitmap32& Shot, const std::string& Name) {
  if (const char* Update = std::getenv("TEXTOVRT_UPDATE_GOLDEN"); Update && *Update == '1') {
    std::vector<uint8_t> Png = EncodePNG(Shot);
    std::ofstream(GoldenPath(Name), std::ios::binary)
        .write(reinterpret_cast<const char*>(Png.data()), std::streamsize(Png.size()));
    GTEST_SKIP() << "wrote " << GoldenPath(Name);
  }
  std::ifstream F(GoldenPath(Name), std::ios::binary);
  ASSERT_TRUE(F) << GoldenPath(Name);
  std::vector<char> B((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  // Version 7 keeps the pixels as written.
  TBitmap32 Expected = LoadSkinPNG(B.data(), B.size(), 7.0);
  ASSERT_TRUE(Expected.SameSize(Shot))
      << Name << ": " << Shot.Width() << " x " << Shot.Height() << " instead of "
      << Expected.Width() << " x " << Expected.Height();
  int Different = 0;
  for (int y = 0; y < Shot.Height(); ++y)
    for (int x = 0; x < Shot.Width(); ++x) {
      uint32_t A = Shot.Pixel(x, y), E = Expected.Pixel(x, y);
      int Most = 0;
      for (int Shift = 0; Shift < 24; Shift += 8)
        Most = std::max(Most, std::abs(int((A >> Shift) & 255) - int((E >> Shift) & 255)));
      if (Most > 24 && Different++ < 5)
        ADD_FAILURE() << Name << " differs at (" << x << ", " << y << "): " << std::hex << A
                      << " instead of " << E;
    }
  EXPECT_LE(Different, 8) << Name;
}

class ProgramGolden : public ::testing::Test {
protected:
  void SetUp() override {
    ProgramTestSetUp();
    // Nothing under the pointer is hot.
    MouseTo(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Form = new Tfrm_main(Application);
    Form->HandleNeeded();
  }
  void TearDown() override {
    PumpUntil([] { return frm_animate == nullptr; }, 4000);
    delete Form;
  }

  // Lets every fade and deferred paint finish, with the caret out of the picture.
  static void Settle() {
    PumpFor(400);
    HideCaret(nullptr);
    PumpFor(100);
  }

  Tfrm_main* Form = nullptr;
};

} // namespace

TEST_F(ProgramGolden, TheStartUpNoticeOverTheMainWindowAndTheMainWindowAlone) {
  bool NoticeChecked = false;
  RunLater(100, [&] {
    TMessageForm* Notice = FindMessageForm();
    ASSERT_NE(Notice, nullptr);
    Settle();
    ExpectGolden(CaptureScreen(Notice->Handle()), "notice.png");
    NoticeChecked = true;
    Notice->ModalResult = mrOk;
  });
  Form->Show();
  EXPECT_TRUE(NoticeChecked);
  Settle();
  ExpectGolden(CaptureScreen(Form->Handle()), "main.png");
}

TEST_F(ProgramGolden, TheProgressWindowSaysDone) {
  RunLater(50, [] {
    if (TMessageForm* M = FindMessageForm()) M->ModalResult = mrOk;
  });
  Form->Show();
  Form->sEdit1->SetText(L"kód");
  Form->sEdit2->SetText(L",");
  Form->sEdit3->SetText(L"*");
  Form->sButton2->Click();
  ASSERT_TRUE(
      PumpUntil([] { return frm_animate && frm_animate->lblinfo->Caption() == DoneText; }, 15000));
  // Its close check would hold the thread for a second and close it: held back for the picture.
  frm_animate->Timer1->SetEnabled(false);
  Settle();
  ExpectGolden(CaptureScreen(frm_animate->Handle()), "progress-done.png");
  frm_animate->Timer1->SetEnabled(true);
}
