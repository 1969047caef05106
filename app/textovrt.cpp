// The program's entry: the application object, its title, the main window, the message loop.
#include <windows.h>

#include "app/un_main.h"
#include "skin/images/kvShadows.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TApplication App;
  RegisterProgramClasses();
  try {
    Application->Initialize();
    BuiltinShadows();
    Application->MainFormOnTaskBar = true;
    Application->SetTitle(ProgramTitle);
    // After the title: the engine's boxes take it as their caption.
    SkinManagerStartup();
    Application->CreateForm(frm_main);
  } catch (...) {
    Application->HandleException();
    return 1;
  }
  Application->Run();
  return 0;
}
