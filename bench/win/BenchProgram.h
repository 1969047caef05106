// The program's main window as the Windows benchmarks measure it: the framework and the skin
// engine set up as the program does, and the window shown and painted without the start-up
// notice.
#pragma once

#include "app/un_main.h"

inline Tfrm_main* ShowMainWindow() {
  RegisterProgramClasses();
  Application->Initialize();
  Application->SetTitle(ProgramTitle);
  auto* Form = new Tfrm_main(Application);
  Form->OnShow = nullptr; // painted like the real thing, without the start-up notice
  Form->Show();
  Application->ProcessMessages();
  return Form;
}
