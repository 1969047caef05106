#include <gtest/gtest.h>

#include "skin/controls/sSkinControls.h"
#include "skin/forms/kvDials.h"
#include "app/un_info.h"
#include "app/un_main.h"
#include "skin/images/kvSkinPictures.h"
#include "tests/app/ProgramTest.h"

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

namespace {

class RunTest : public ::testing::Test {
protected:
  void SetUp() override {
    ProgramTestSetUp();
    Form = new Tfrm_main(Application);
    Form->HandleNeeded();
    // Every write of the counter store during a rewrite comes right after the live count.
    Form->sLabel2->AddWindowHook([this](TMessage& M, const TWndNext& Previous) {
      Previous(M);
      if (M.Msg == CM_TEXTCHANGED && Form->Rewriting()) {
        if (frm_animate) {
          std::wstring Text = frm_animate->lblinfo->Caption();
          if (Counts.empty() || Counts.back() != Text) Counts.push_back(Text);
        }
        EditorDisabledThroughout &= !IsWindowEnabled(Form->Memo1->Handle());
        if (OnCounter) OnCounter();
      }
    });
    auto Tick = Form->Timer1->OnTimer;
    Form->Timer1->OnTimer = [this, Tick](TComponent* S) {
      ++Ticks;
      Tick(S);
    };
  }

  void TearDown() override {
    // Let a progress window finish its close check before the next test.
    PumpUntil([] { return frm_animate == nullptr; }, 4000);
    delete Form;
  }

  void Search(const std::wstring& Start, const std::wstring& End, const std::wstring& Repl) {
    Form->sEdit1->SetText(Start);
    Form->sEdit2->SetText(End);
    Form->sEdit3->SetText(Repl);
    Form->sButton2->Click();
  }

  // Presses "Vyhledat" and waits until the rewrite has written "HOTOVO".
  bool RunToDone(const std::wstring& Start, const std::wstring& End, const std::wstring& Repl) {
    Ticks = 0;
    Counts.clear();
    Search(Start, End, Repl);
    return PumpUntil(
        [this] {
          return !Form->Timer1->Enabled() && !Form->Rewriting() && frm_animate &&
                 frm_animate->lblinfo->Caption() == DoneText;
        },
        10000);
  }

  // Answers the next message form with OK and remembers its text.
  void ExpectMessage() {
    RunLater(50, [this] {
      if (TMessageForm* M = FindMessageForm()) {
        Messages.push_back(M->Message()->Caption());
        M->ModalResult = mrOk;
      }
    });
  }

  Tfrm_main* Form;
  std::vector<std::wstring> Counts;
  std::vector<std::wstring> Messages;
  bool EditorDisabledThroughout = true;
  int Ticks = 0;
  std::function<void()> OnCounter;
};

std::wstring Lines(std::initializer_list<const wchar_t*> L) {
  std::wstring S;
  for (auto* Line : L)
    S += std::wstring(Line) + L"\r\n";
  return S;
}

} // namespace

TEST_F(RunTest, HelpTextRunCountsFourEntriesAndRewritesThem) {
  std::wstring Before = Form->Memo1->Text();
  ASSERT_TRUE(RunToDone(L"kód", L",", L"*"));
  EXPECT_EQ(Form->Memo2->LineCount(), 4);
  EXPECT_EQ(Ticks, 10); // the first run waits one second
  EXPECT_EQ(Counts,
            (std::vector<std::wstring>{L"Přepsáno: 1 položek z 4", L"Přepsáno: 2 položek z 4",
                                       L"Přepsáno: 3 položek z 4", L"Přepsáno: 4 položek z 4"}));
  EXPECT_TRUE(EditorDisabledThroughout);
  EXPECT_TRUE(IsWindowEnabled(Form->Memo1->Handle()));
  auto Result = SplitLines(Form->Memo1->Text());
  ASSERT_EQ(Result.size(), 16u);
  EXPECT_EQ(Result[3], L"1. řádek * je nesmysl na entou");
  EXPECT_EQ(Result[4], L"2. řádek * je nesmysl na entou");
  EXPECT_EQ(Result[10], L"Do okna \"Vyhledat začátek textu\" napíšeme *");
  EXPECT_EQ(Result[11], L"* ");
  EXPECT_EQ(Result[12], L"Do okna \"Zaměnit text za\" napíšeme *");
  EXPECT_EQ(Form->pb->Position(), 0);
  EXPECT_EQ(Form->pb->Max(), 4);
  EXPECT_EQ(Form->sLabel2->Caption(), L"4");
  // The progress window is topmost, borderless, 644 × 68, and gone within about two seconds.
  HWND Progress = frm_animate->Handle();
  EXPECT_TRUE(GetWindowLongW(Progress, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(Progress, GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(frm_animate->ClientRect(), Rect(0, 0, 644, 68));
  // "HOTOVO" in the skin's ink, not the lime of the definition, centred on the skin's ground.
  {
    HWND Panel = frm_animate->sPanel1->Handle();
    TBitmap32 Shot(644, 68);
    TClientDC DC(Panel);
    BitBlt(static_cast<HDC>(Shot.NativeDC()), 0, 0, 644, 68, DC, 0, 0, SRCCOPY);
    GdiFlush();
    int Ink = 0, Lime = 0, MinX = 644, MaxX = -1;
    for (int y = 0; y < 68; ++y)
      for (int x = 0; x < 644; ++x) {
        uint32_t P = Shot.Pixel(x, y) & 0xFFFFFF;
        Lime += P == 0x00FF00;
        if (P == 0x1F2A18) {
          ++Ink;
          MinX = std::min(MinX, x);
          MaxX = std::max(MaxX, x);
        }
      }
    EXPECT_GT(Ink, 300);
    EXPECT_EQ(Lime, 0);
    EXPECT_NEAR((MinX + MaxX) / 2.0, 322, 3);
    EXPECT_EQ(Shot.Pixel(0, 0) & 0xFFFFFF, 0xD2E1C3u);
    EXPECT_EQ(Shot.Pixel(1, 1) & 0xFFFFFF, 0xF3F6EBu);
    EXPECT_EQ(Shot.Pixel(10, 60) & 0xFFFFFF, 0xF4F7ECu);
  }
  EXPECT_TRUE(PumpUntil([] { return frm_animate == nullptr; }, 2600));
  EXPECT_FALSE(IsWindow(Progress));
  (void)Before;
}

TEST_F(RunTest, NothingFoundShowsTheNoticeAndStartsNoWait) {
  for (auto [Start, End] : {std::pair{L"", L","}, std::pair{L"kód", L""}, std::pair{L"@@", L"#"}}) {
    ExpectMessage();
    Search(Start, End, L"*");
    EXPECT_FALSE(Form->Timer1->Enabled());
    EXPECT_EQ(Form->sLabel2->Caption(), L"0");
    EXPECT_EQ(Form->Memo2->Text(), L"");
  }
  EXPECT_EQ(Messages, (std::vector<std::wstring>(3, NothingFoundText)));
  PumpFor(300);
  EXPECT_EQ(frm_animate, nullptr);
}

TEST_F(RunTest, WaitLastsTheCountOfTheRunBeforeInTicks) {
  Form->Memo1->SetText(Lines({L"[1] [2] [3] [4] [5] [6] [7]"}));
  ASSERT_TRUE(RunToDone(L"[", L"]", L"x"));
  EXPECT_EQ(Ticks, 10);
  Form->Memo1->SetText(Lines({L"[a] [b] [c] [d] [e] [f] [g] [h] [i] [j] [k] [l] [m]",
                              L"[n] [o] [p] [q] [r] [s] [t] [u] [v] [w] [x] [y]"}));
  ASSERT_TRUE(RunToDone(L"[", L"]", L"x"));
  EXPECT_EQ(Ticks, 1); // 7 entries before: one tick
  EXPECT_EQ(Counts.back(), L"Přepsáno: 25 položek z 25");
  Form->Memo1->SetText(Lines({L"[a]"}));
  ASSERT_TRUE(RunToDone(L"[", L"]", L"x"));
  EXPECT_EQ(Ticks, 3); // 25 entries before: three ticks
}

TEST_F(RunTest, SecondSearchWhileWaitingReplacesTheListAndTheWaitGoesOn) {
  Form->Memo1->SetText(Lines({L"[a] [b]"}));
  Search(L"[", L"]", L"x");
  ASSERT_TRUE(Form->Timer1->Enabled());
  PumpFor(250);
  ExpectMessage();
  Search(L"<", L">", L"x"); // finds nothing while the wait runs
  EXPECT_EQ(Messages, std::vector<std::wstring>{NothingFoundText});
  EXPECT_TRUE(Form->Timer1->Enabled());
  ASSERT_TRUE(PumpUntil([] { return frm_animate && frm_animate->lblinfo->Caption() == DoneText; }));
  EXPECT_EQ(Form->pb->Max(), 0);
  EXPECT_EQ(Form->Memo1->Text(), Lines({L"[a] [b]"})); // rewrote nothing
}

TEST_F(RunTest, SearchDuringARewriteIsIgnored) {
  Form->Memo1->SetText(Lines({L"[a] [b] [c]"}));
  bool Pressed = false;
  OnCounter = [&] {
    if (Pressed) return;
    Pressed = true;
    Form->sEdit1->SetText(L"a");
    Form->sEdit2->SetText(L"c");
    Form->sButton2->Click();
  };
  ASSERT_TRUE(RunToDone(L"[", L"]", L"x"));
  EXPECT_TRUE(Pressed);
  EXPECT_EQ(Form->Memo2->Text(), Lines({L"[a]", L"[b]", L"[c]"}));
  EXPECT_FALSE(Form->Timer1->Enabled());
  EXPECT_EQ(Form->Memo1->Text(), Lines({L"x x x"}));
  EXPECT_EQ(Counts.back(), L"Přepsáno: 3 položek z 3");
}

TEST_F(RunTest, ReplacementChangeTakesEffectFromTheNextEntry) {
  Form->Memo1->SetText(Lines({L"[a] [b] [c]"}));
  OnCounter = [&] { Form->sEdit3->SetText(L"?"); };
  ASSERT_TRUE(RunToDone(L"[", L"]", L"x"));
  EXPECT_EQ(Form->Memo1->Text(), Lines({L"x ? ?"}));
}

TEST_F(RunTest, ClosingTheProgressWindowDuringARewriteIsHarmless) {
  Form->Memo1->SetText(Lines({L"[a] [b] [c] [d]"}));
  OnCounter = [&] {
    if (frm_animate) PostMessageW(frm_animate->Handle(), WM_CLOSE, 0, 0);
  };
  Search(L"[", L"]", L"x");
  ASSERT_TRUE(PumpUntil([this] {
    return !Form->Timer1->Enabled() && !Form->Rewriting() && Form->sLabel2->Caption() == L"4";
  }));
  PumpFor(100);
  EXPECT_EQ(frm_animate, nullptr);
  EXPECT_EQ(Form->Memo1->Text(), Lines({L"x x x x"}));
  EXPECT_TRUE(IsWindowEnabled(Form->Memo1->Handle()));
}

TEST_F(RunTest, ReplacementContainingTheEntryEndsAndEntriesFormedByReplacementsAreRewritten) {
  Form->Memo1->SetText(Lines({L"[a] aabb"}));
  ASSERT_TRUE(RunToDone(L"[", L"]", L"<[a]>"));
  EXPECT_EQ(Form->Memo1->Text(), Lines({L"<[a]> aabb"}));
  Form->Memo1->SetText(Lines({L"{ab} aabb"}));
  ASSERT_TRUE(RunToDone(L"{", L"}", L""));
  EXPECT_EQ(Form->Memo1->Text(), Lines({L" aabb"}));
}

TEST(TypeChange, ReplacesOnlyTheLastExtensionAndDropsTheFolder) {
  EXPECT_EQ(TypeChangedFileName(L"C:\\Dokumenty\\dokument.txt", 3), L"dokument.html");
  EXPECT_EQ(TypeChangedFileName(L"C:\\Dokumenty\\dokument.html", 4), L"dokument.txt");
  EXPECT_EQ(TypeChangedFileName(L"C:\\zaloha.2014.txt", 2), L"zaloha.2014.php");
  EXPECT_EQ(TypeChangedFileName(L"C:\\verze.1\\soubor", 1), L"soubor.txt");
  EXPECT_EQ(TypeChangedFileName(L"D:soubor", 2), L"soubor.php");
  EXPECT_EQ(TypeChangedFileName(L"C:\\a\\b.txt", 0), L"");
  EXPECT_EQ(TypeChangedFileName(L"C:\\a\\b.txt", 5), L"");
}

namespace {

class FilesTest : public RunTest {
protected:
  void SetUp() override {
    RunTest::SetUp();
    wchar_t Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    Folder = std::wstring(Temp) + L"textovrt_files_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(Folder.c_str(), nullptr);
    Application->OnException = [this](const std::wstring& M) { Errors.push_back(M); };
  }
  void TearDown() override {
    Application->OnException = nullptr;
    RunTest::TearDown();
  }

  static void WriteBytes(const std::wstring& Path, const std::string& Bytes) {
    HANDLE F = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD Written = 0;
    WriteFile(F, Bytes.data(), DWORD(Bytes.size()), &Written, nullptr);
    CloseHandle(F);
  }
  static std::string ReadBytes(const std::wstring& Path) {
    HANDLE F = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    std::string Bytes(1 << 16, '\0');
    DWORD Read = 0;
    ReadFile(F, Bytes.data(), DWORD(Bytes.size()), &Read, nullptr);
    CloseHandle(F);
    Bytes.resize(Read);
    return Bytes;
  }

  // Answers the next file dialog of Dialog with Name and OK.
  static void AnswerDialog(TOpenDialog* Dialog, const std::wstring& Name) {
    RunLater(300, [Dialog, Name] {
      HWND Dlg = Dialog->Handle();
      ASSERT_NE(Dlg, nullptr);
      SendMessageW(Dlg, CDM_SETCONTROLTEXT, FileNameBoxId, LPARAM(Name.c_str()));
      PostMessageW(Dlg, WM_COMMAND, IDOK, 0);
    });
  }

  // A click as the window system delivers it, so that errors reach the error report.
  static void Press(TButton* Button) {
    SendMessageW(Button->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 LPARAM(Button->Handle()));
  }

  std::wstring Folder;
  std::vector<std::wstring> Errors;
};

} // namespace

TEST_F(FilesTest, LoadsThroughTheDialogByByteOrderMark) {
  std::wstring Path = Folder + L"\\vstup.txt";
  WriteBytes(Path, "\xEF\xBB\xBFP\xC5\x99\x65ps\xC3\xA1no\r\nk\xC3\xB3\x64 x,\r\n");
  AnswerDialog(Form->opd, Path);
  Press(Form->sButton1);
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(Form->Memo1->Text(), L"Přepsáno\r\nkód x,\r\n");
  EXPECT_EQ(Form->opd->FileName, Path); // remembered for the next use
  // Without a mark the bytes are read in the system's code page (1250 here).
  WriteBytes(Path, "\xF8\xE1\x64\x65k");
  AnswerDialog(Form->opd, Path);
  Press(Form->sButton1);
  EXPECT_EQ(Form->Memo1->Text(), L"řádek");
}

TEST_F(FilesTest, FileThatCannotBeOpenedKeepsTheEditorAndReports) {
  std::wstring Path = Folder + L"\\zamceny.txt";
  WriteBytes(Path, "obsah");
  // Another program holds the file for writing: it cannot be opened for reading.
  HANDLE Lock = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::wstring Before = Form->Memo1->Text();
  AnswerDialog(Form->opd, Path);
  Press(Form->sButton1);
  CloseHandle(Lock);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0].rfind(L"Cannot open file \"" + Path + L"\". ", 0), 0u) << Errors[0];
  EXPECT_EQ(Form->Memo1->Text(), Before);
}

TEST_F(FilesTest, SavesInTheCodePageAndKeepsTheOldFileWhenTheSaveFails) {
  std::wstring Path = Folder + L"\\vystup.txt";
  Form->Memo1->SetText(L"řádek 1\r\nřádek 2\r\n");
  AnswerDialog(Form->sd, Path);
  Press(Form->sButton3);
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(ReadBytes(Path), "\xF8\xE1\x64\x65k 1\r\n\xF8\xE1\x64\x65k 2\r\n");
  // A locked target: the error report names it and the old file stays as it was.
  HANDLE Lock =
      CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Form->Memo1->SetText(L"nový obsah");
  AnswerDialog(Form->sd, Path);
  Press(Form->sButton3);
  CloseHandle(Lock);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0].rfind(L"Cannot create file \"" + Path + L"\". ", 0), 0u) << Errors[0];
  EXPECT_EQ(ReadBytes(Path), "\xF8\xE1\x64\x65k 1\r\n\xF8\xE1\x64\x65k 2\r\n");
}

// A file holding a NUL character would load cut short there: it is refused, naming the offset,
// and the editor keeps its text.
TEST_F(FilesTest, FileWithNulIsRefusedAndTheEditorKeepsItsText) {
  std::wstring Path = Folder + L"\\binarni.txt";
  WriteBytes(Path, std::string("abc\0def", 7));
  Form->Memo1->SetText(L"původní");
  AnswerDialog(Form->opd, Path);
  Press(Form->sButton1);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0],
            L"\"" + Path + L"\" is not a text file: it holds a NUL character at byte offset 3.");
  EXPECT_EQ(Form->Memo1->Text(), L"původní");
  // The editor itself refuses such a text rather than cutting it short.
  EXPECT_THROW(Form->Memo1->SetText(std::wstring(L"a\0b", 3)), Exception);
  EXPECT_EQ(Form->Memo1->Text(), L"původní");
}

// A text is saved in the encoding its file was loaded in, byte for byte when nothing changed.
TEST_F(FilesTest, SavesInTheEncodingTheFileWasLoadedIn) {
  std::wstring In = Folder + L"\\vstup.txt", Out = Folder + L"\\vystup.txt";
  const std::string Files[] = {
      "<meta charset=utf-8>\r\nP\xC5\x99\x65ps\xC3\xA1no \xE2\x86\x92\r\n", // UTF-8, no mark
      "\xEF\xBB\xBFk\xC3\xB3\x64\r\n",                                      // UTF-8 with a mark
      std::string("\xFE\xFF\0k\0\xF3\0d", 8),                               // UTF-16 BE
      std::string("\xFF\xFEk\0\xF3\0d\0", 8),                               // UTF-16 LE
      "\xF8\xE1\x64\x65k\r\n",                                              // Windows-1250
  };
  for (const std::string& Bytes : Files) {
    WriteBytes(In, Bytes);
    AnswerDialog(Form->opd, In);
    Press(Form->sButton1);
    AnswerDialog(Form->sd, Out);
    Press(Form->sButton3);
    EXPECT_EQ(ReadBytes(Out), Bytes);
  }
  EXPECT_TRUE(Errors.empty());
  // After a file in the code page, a text that the code page cannot hold goes out as UTF-8
  // with a mark.
  WriteBytes(In, "\xF8");
  AnswerDialog(Form->opd, In);
  Press(Form->sButton1);
  Form->Memo1->SetText(L"řádek → x");
  AnswerDialog(Form->sd, Out);
  Press(Form->sButton3);
  EXPECT_EQ(ReadBytes(Out), "\xEF\xBB\xBF\xC5\x99\xC3\xA1\x64\x65k \xE2\x86\x92 x");
}

TEST_F(FilesTest, TypeChangeRewritesTheExtensionInTheNameBox) {
  std::vector<std::wstring> Seen;
  RunLater(300, [&] {
    HWND Dlg = Form->sd->Handle();
    ASSERT_NE(Dlg, nullptr);
    HWND Types = GetDlgItem(Dlg, 1136); // the file-type box
    ASSERT_NE(Types, nullptr);
    auto Pick = [&](int Index, const wchar_t* Name) {
      if (Name) SendMessageW(Dlg, CDM_SETCONTROLTEXT, FileNameBoxId, LPARAM(Name));
      SendMessageW(Types, CB_SETCURSEL, WPARAM(Index), 0);
      // As a user's pick sends them (Wine's dialog acts on the second).
      SendMessageW(Dlg, WM_COMMAND, MAKEWPARAM(1136, CBN_SELCHANGE), LPARAM(Types));
      SendMessageW(Dlg, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), LPARAM(Types));
      wchar_t Shown[MAX_PATH] = {};
      SendMessageW(Dlg, CDM_GETSPEC, MAX_PATH, LPARAM(Shown));
      Seen.push_back(Shown);
    };
    Pick(2, L"dokument.txt");    // HTML
    Pick(3, nullptr);            // any file
    Pick(1, L"zaloha.2014.txt"); // PHP
    PostMessageW(Dlg, WM_COMMAND, IDCANCEL, 0);
  });
  Press(Form->sButton3);
  EXPECT_EQ(Seen,
            (std::vector<std::wstring>{L"dokument.html", L"dokument.txt", L"zaloha.2014.php"}));
  EXPECT_TRUE(Errors.empty()); // cancelling writes nothing and shows nothing
}

namespace {

// Drops Names on Window as the shell does: a DROPFILES block with the names one after the other,
// ended by an empty one.
void DropFiles(HWND Window, const std::vector<std::wstring>& Names) {
  size_t Chars = 1;
  for (const auto& Name : Names)
    Chars += Name.size() + 1;
  HGLOBAL Memory =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + Chars * sizeof(wchar_t));
  auto* Files = static_cast<DROPFILES*>(GlobalLock(Memory));
  Files->pFiles = sizeof(DROPFILES);
  Files->fWide = TRUE;
  auto* Out = reinterpret_cast<wchar_t*>(Files + 1);
  for (const auto& Name : Names) {
    std::copy(Name.begin(), Name.end(), Out);
    Out += Name.size() + 1;
  }
  GlobalUnlock(Memory);
  PostMessageW(Window, WM_DROPFILES, WPARAM(Memory), 0);
}

} // namespace

TEST_F(FilesTest, ADroppedFileLoadsAsThroughTheDialog) {
  EXPECT_TRUE(GetWindowLongW(Form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  std::wstring First = Folder + L"\\prvni.txt", Second = Folder + L"\\druhy.txt";
  WriteBytes(First, "\xEF\xBB\xBFk\xC3\xB3\x64 x,\r\n");
  WriteBytes(Second, "jiný");
  // The editor holds one text: of several files the first is loaded.
  DropFiles(Form->Handle(), {First, Second});
  PumpFor(200);
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(Form->Memo1->Text(), L"kód x,\r\n");
  // Without a mark, in the system's code page; saved back in the encoding it came in.
  WriteBytes(First, "\xF8\xE1\x64\x65k");
  DropFiles(Form->Handle(), {First});
  PumpFor(200);
  EXPECT_EQ(Form->Memo1->Text(), L"řádek");
  std::wstring Out = Folder + L"\\ulozeny.txt";
  AnswerDialog(Form->sd, Out);
  Press(Form->sButton3);
  EXPECT_EQ(ReadBytes(Out), "\xF8\xE1\x64\x65k");
}

// A file loaded over a long text (whose window goes with it): the editor is the skinned one,
// first in the order of keyboard navigation, and a run edits the loaded text.
TEST_F(FilesTest, AFileLoadedOverALongTextIsEditedByTheNextRun) {
  std::wstring Long;
  for (int i = 0; i < 3000; ++i)
    Long += L"řádek " + std::to_wstring(i) + L" kód [x], je nesmysl na entou\r\n";
  Form->Memo1->SetText(Long);
  std::wstring Path = Folder + L"\\kratky.txt";
  WriteBytes(Path, "\xEF\xBB\xBFprvn\xC3\xAD [a]\r\ndruh\xC3\xBD [b]\r\n");
  DropFiles(Form->Handle(), {Path});
  PumpFor(200);
  EXPECT_TRUE(Errors.empty());
  ASSERT_EQ(Form->Memo1->Text(), L"první [a]\r\ndruhý [b]\r\n");
  ASSERT_NE(Form->Memo1->Adapter(), nullptr);
  EXPECT_EQ(Form->Memo1->Adapter()->CtrlHandle, Form->Memo1->Handle());
  EXPECT_EQ(GetWindow(Form->Handle(), GW_CHILD), Form->Memo1->Handle());
  ASSERT_TRUE(RunToDone(L"[", L"]", L"*"));
  EXPECT_EQ(Form->Memo1->Text(), L"první *\r\ndruhý *\r\n");
}

TEST_F(FilesTest, ADroppedFileThatIsNoTextIsRefusedWithTheDialogsMessage) {
  std::wstring Path = Folder + L"\\binarni.txt";
  WriteBytes(Path, std::string("abc\0def", 7));
  Form->Memo1->SetText(L"původní");
  DropFiles(Form->Handle(), {Path});
  PumpFor(200);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0],
            L"\"" + Path + L"\" is not a text file: it holds a NUL character at byte offset 3.");
  EXPECT_EQ(Form->Memo1->Text(), L"původní");
  // A missing file too, and an empty drop changes nothing.
  DropFiles(Form->Handle(), {Folder + L"\\neni.txt"});
  DropFiles(Form->Handle(), {});
  PumpFor(200);
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_EQ(Form->Memo1->Text(), L"původní");
}

TEST(CommandLine, TheFileIsTheFirstArgumentThatIsNoSwitch) {
  EXPECT_EQ(CommandLineFileName({}), L"");
  EXPECT_EQ(CommandLineFileName({L"/kvtest", L"/tvdiag"}), L"");
  EXPECT_EQ(CommandLineFileName({L"--gtest_brief=1", L"-x"}), L"");
  EXPECT_EQ(CommandLineFileName({L"/kvtest", L"C:\\texty\\a b.txt", L"druhy.txt"}),
            L"C:\\texty\\a b.txt");
  EXPECT_EQ(CommandLineFileName({L"", L"a.php"}), L"a.php");
}

// The run edits the editor through ranges: what the user had selected stays selected on the
// same text (moved along by the replacements before it), the view stays, the text counts as
// modified, and the run is not something that undo takes back (nor does undo harm it).
TEST_F(RunTest, RewriteKeepsTheUsersSelectionMarksTheTextModifiedAndLeavesNothingToUndo) {
  std::wstring Text;
  for (int i = 0; i < 60; ++i)
    Text += L"řádek " + std::to_wstring(i) + (i % 10 == 5 ? L" [a] [bb]" : L" text") + L"\r\n";
  Form->Memo1->SetText(Text);
  HWND Editor = Form->Memo1->Handle();
  SendMessageW(Editor, EM_SETMODIFY, FALSE, 0);
  ASSERT_TRUE(Form->Memo1->EditsRanges());
  // "text" of line 30 selected; lines 5, 15 and 25 before it shrink by 5 characters each.
  LONG LineStart = LONG(SendMessageW(Editor, EM_LINEINDEX, 30, 0));
  CHARRANGE Sel{LineStart + 9, LineStart + 13};
  SendMessageW(Editor, EM_EXSETSEL, 0, LPARAM(&Sel));
  ASSERT_TRUE(RunToDone(L"[", L"]", L"x"));
  EXPECT_EQ(Form->Memo1->Line(5), L"řádek 5 x x");
  EXPECT_EQ(Form->Memo1->Line(55), L"řádek 55 x x");
  CHARRANGE After{};
  SendMessageW(Editor, EM_EXGETSEL, 0, LPARAM(&After));
  EXPECT_EQ(After.cpMin, Sel.cpMin - 3 * 5);
  EXPECT_EQ(After.cpMax, Sel.cpMax - 3 * 5);
  std::wstring Selected(8, L'\0');
  Selected.resize(size_t(SendMessageW(Editor, EM_GETSELTEXT, 0, LPARAM(Selected.data()))));
  EXPECT_EQ(Selected, L"text");
  EXPECT_NE(SendMessageW(Editor, EM_GETMODIFY, 0, 0), 0);
  std::wstring Done = Form->Memo1->Text();
  SendMessageW(Editor, EM_UNDO, 0, 0);
  EXPECT_EQ(Form->Memo1->Text(), Done);
}
