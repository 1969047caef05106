// How a text file reaches the editor: picked in the open dialog, dropped on the main window, or
// named on the command line. All three load the same way.
#include <windows.h>
#include <shellapi.h>

#include <filesystem>

#include "app/un_diagnostic.h"
#include "app/un_main.h"
#include "app/un_textfile.h"
#include "base/GdiObjects.h"

namespace {

// Posted to the main window once the start-up notice is closed: the file of the command line
// is loaded from the message loop, where an error goes to the error report.
constexpr UINT WM_LOADARGUMENT = WM_APP + 0x2A1;

// "/kvtest", "/tvdiag", and options of the "-x" / "--name" kind that other tools pass.
bool IsSwitch(const std::wstring& Argument) {
  return !Argument.empty() && (Argument[0] == L'/' || Argument[0] == L'-');
}

LRESULT TopWindowCount() {
  LRESULT Count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM Param) -> BOOL {
        ++*reinterpret_cast<LRESULT*>(Param);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Count));
  return Count;
}

// The committed private memory of the process, from its address space itself (Wine answers 0
// for the counter that Windows keeps of it).
LRESULT PrivateKilobytes() {
  uint64_t Bytes = 0;
  MEMORY_BASIC_INFORMATION Info;
  for (auto* Address = static_cast<char*>(nullptr);
       VirtualQuery(Address, &Info, sizeof(Info)) == sizeof(Info);
       Address = static_cast<char*>(Info.BaseAddress) + Info.RegionSize) {
    if (Info.State == MEM_COMMIT && Info.Type == MEM_PRIVATE) Bytes += Info.RegionSize;
    if (Info.RegionSize == 0) break;
  }
  return LRESULT(Bytes / 1024);
}

} // namespace

std::wstring CommandLineFileName(const std::vector<std::wstring>& Arguments) {
  for (const auto& Argument : Arguments)
    if (!Argument.empty() && !IsSwitch(Argument)) return Argument;
  return L"";
}

void Tfrm_main::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.ExStyle |= WS_EX_ACCEPTFILES;
}

void Tfrm_main::LoadFile(const std::wstring& FileName) {
  std::filesystem::path Path(FileName);
  std::u16string Text;
  textovrt::TTextEncoding Encoding;
  // A file that cannot be read, or that is not a text file, leaves the editor as it was.
  if (textovrt::TTextFileError Error = textovrt::LoadTextFile(Path, *CodePage(), Text, &Encoding))
    throw Exception(Utf8ToWide(textovrt::TextFileErrorMessage(Error, Path)));
  try {
    Memo1->SetText(std::wstring(Text.begin(), Text.end()));
  } catch (const std::bad_alloc&) {
    throw Exception(L"Failed to Load Stream");
  }
  FEncoding = Encoding;
  // A rewrite that is running goes on with the new text.
  if (FRewriting) FEditorReplaced = true;
}

void Tfrm_main::FormShow(TComponent*) {
  ShowMessage(StartupNotice);
  if (!CommandLineFileName(EngineSwitches()).empty() && HandleAllocated())
    PostMessageW(Handle(), WM_LOADARGUMENT, 0, 0);
}

void Tfrm_main::WndProc(TMessage& Message) {
  switch (Message.Msg) {
  case WM_DROPFILES: {
    HDROP Drop = reinterpret_cast<HDROP>(Message.WParam);
    std::wstring Name;
    // The editor holds one text: the first file dropped is loaded.
    if (DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0) > 0) {
      UINT Length = DragQueryFileW(Drop, 0, nullptr, 0);
      Name.resize(Length + 1);
      Name.resize(DragQueryFileW(Drop, 0, Name.data(), Length + 1));
    }
    DragFinish(Drop);
    Message.Result = 0;
    if (!Name.empty()) {
      SetForegroundWindow(Handle());
      LoadFile(Name);
    }
    return;
  }
  case WM_LOADARGUMENT: {
    Message.Result = 0;
    std::wstring Name = CommandLineFileName(EngineSwitches());
    if (!Name.empty()) LoadFile(Name);
    return;
  }
  case TV_DIAGNOSTIC:
    if (!HasEngineSwitch(DiagnosticSwitch)) break;
    switch (Message.WParam) {
    case dqPing: Message.Result = DiagnosticAnswer; return;
    case dqGdiObjects: Message.Result = LRESULT(LiveGdiObjects()); return;
    case dqPrivateKilobytes: Message.Result = PrivateKilobytes(); return;
    case dqReloadSkin:
      sSkinManager1->ReloadSkin();
      Message.Result = 1;
      return;
    case dqTopWindows: Message.Result = TopWindowCount(); return;
    }
    Message.Result = 0;
    return;
  }
  TForm::WndProc(Message);
}
