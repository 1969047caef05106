#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/toolkit/GuiTest.h"
#include "toolkit/Subclass.h"

namespace {

// Counts what it sees and can do something inside a chosen message.
class TProbe : public TWindowSubclass {
public:
  std::vector<UINT>* Seen = nullptr;
  UINT DetachAt = 0;
  UINT ThrowAt = 0;
  int* Destroyed = nullptr;
  ~TProbe() override {
    if (Destroyed) ++*Destroyed;
  }

protected:
  void WndProc(TMessage& M) override {
    if (Seen) Seen->push_back(M.Msg);
    if (M.Msg == ThrowAt) throw std::runtime_error("probe failed");
    if (M.Msg == DetachAt) Detach();
    CallDefault(M);
  }
};

HWND MakeEdit() {
  return CreateWindowExW(0, L"EDIT", L"text", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

LONG_PTR ProcOf(HWND Wnd) {
  return GetWindowLongPtrW(Wnd, GWLP_WNDPROC);
}

} // namespace

TEST(Subclass, AttachesOnceHandlesAndPassesOnAndDetachesCleanly) {
  TestApplication();
  HWND Edit = MakeEdit();
  LONG_PTR Original = ProcOf(Edit);
  std::vector<UINT> Seen;
  auto Probe = std::make_shared<TProbe>();
  Probe->Seen = &Seen;
  ASSERT_TRUE(TWindowSubclass::Attach(Edit, Probe));
  EXPECT_FALSE(TWindowSubclass::Attach(Edit, std::make_shared<TProbe>())); // one per window
  EXPECT_EQ(TWindowSubclass::FromHandle(Edit), Probe.get());
  EXPECT_NE(GetPropW(Edit, L"KVSBSC"), nullptr);
  SetWindowTextW(Edit, L"new");
  wchar_t Text[16] = {};
  GetWindowTextW(Edit, Text, 16);
  EXPECT_STREQ(Text, L"new"); // the saved procedure still did its work
  EXPECT_NE(std::find(Seen.begin(), Seen.end(), UINT(WM_SETTEXT)), Seen.end());
  Probe->Detach();
  EXPECT_EQ(ProcOf(Edit), Original);
  EXPECT_EQ(GetPropW(Edit, L"KVSBSC"), nullptr);
  EXPECT_EQ(TWindowSubclass::FromHandle(Edit), nullptr);
  DestroyWindow(Edit);
}

TEST(Subclass, DetachingInsideItsOwnMessageStillPassesTheMessageOn) {
  TestApplication();
  HWND Edit = MakeEdit();
  LONG_PTR Original = ProcOf(Edit);
  int Destroyed = 0;
  {
    auto Probe = std::make_shared<TProbe>();
    Probe->DetachAt = WM_SETTEXT;
    Probe->Destroyed = &Destroyed;
    ASSERT_TRUE(TWindowSubclass::Attach(Edit, Probe));
  } // only the window holds it now
  SetWindowTextW(Edit, L"after");
  EXPECT_EQ(Destroyed, 1); // freed once its message was done
  wchar_t Text[16] = {};
  GetWindowTextW(Edit, Text, 16);
  EXPECT_STREQ(Text, L"after");
  EXPECT_EQ(ProcOf(Edit), Original);
  DestroyWindow(Edit);
}

TEST(Subclass, WindowDestroyedWhileSubclassedFreesTheObject) {
  TestApplication();
  HWND Edit = MakeEdit();
  int Destroyed = 0;
  std::vector<UINT> Seen;
  std::weak_ptr<TProbe> Weak;
  {
    auto Probe = std::make_shared<TProbe>();
    Probe->Seen = &Seen;
    Probe->Destroyed = &Destroyed;
    Weak = Probe;
    ASSERT_TRUE(TWindowSubclass::Attach(Edit, Probe));
  }
  DestroyWindow(Edit);
  EXPECT_EQ(Destroyed, 1);
  EXPECT_TRUE(Weak.expired());
  ASSERT_FALSE(Seen.empty());
  EXPECT_EQ(Seen.back(), UINT(WM_NCDESTROY));
}

TEST(Subclass, ProcedureInstalledOverItIsNotCutOutByDetach) {
  TestApplication();
  HWND Edit = MakeEdit();
  auto Probe = std::make_shared<TProbe>();
  ASSERT_TRUE(TWindowSubclass::Attach(Edit, Probe));
  // Someone else subclasses on top, passing everything to whatever was there.
  static WNDPROC Below = nullptr;
  static int OuterCalls = 0;
  Below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND W, UINT M, WPARAM WP, LPARAM LP) {
        ++OuterCalls;
        return CallWindowProcW(Below, W, M, WP, LP);
      })));
  Probe->Detach();
  EXPECT_NE(ProcOf(Edit), reinterpret_cast<LONG_PTR>(Below)); // the outer one stays installed
  OuterCalls = 0;
  SetWindowTextW(Edit, L"still works");
  EXPECT_GT(OuterCalls, 0);
  wchar_t Text[16] = {};
  GetWindowTextW(Edit, Text, 16);
  EXPECT_STREQ(Text, L"still works");
  // A new object can take the place the first one left in the chain.
  auto Second = std::make_shared<TProbe>();
  EXPECT_TRUE(TWindowSubclass::Attach(Edit, Second));
  DestroyWindow(Edit);
  EXPECT_FALSE(Second->Attached());
}

TEST(Subclass, ExceptionInAMessageGoesToTheErrorReport) {
  TApplication* App = TestApplication();
  std::vector<std::wstring> Reports;
  App->OnException = [&](const std::wstring& Text) { Reports.push_back(Text); };
  HWND Edit = MakeEdit();
  auto Probe = std::make_shared<TProbe>();
  Probe->ThrowAt = WM_USER + 7;
  ASSERT_TRUE(TWindowSubclass::Attach(Edit, Probe));
  SendMessageW(Edit, WM_USER + 7, 0, 0);
  App->OnException = nullptr;
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0], L"probe failed");
  EXPECT_TRUE(IsWindow(Edit));
  DestroyWindow(Edit);
}
