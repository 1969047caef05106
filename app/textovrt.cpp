// The program's entry: the application object, its title, the main window, the message loop.
#include <windows.h>

#include "app/un_main.h"
#include "skin/images/kvShadows.h"
#include "skin/images/kvSkinPictures.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TApplication App;
  RegisterToolkitClasses();
  RegisterSkinClasses();
  InstallSkinPictureReaders();
  try {
    Application->Initialize();
    BuiltinShadows();
    SkinManagerStartup();
    Application->MainFormOnTaskBar = true;
    Application->SetTitle(ProgramTitle);
    Application->CreateForm(frm_main);
  } catch (...) {
    Application->HandleException();
    return 1;
  }
  Application->Run();
  return 0;
}
