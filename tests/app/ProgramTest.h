// The program's tests set up as the program starts: the application with its title, and every
// class and picture reader of the skin engine known before a main window is made.
#pragma once

#include "app/un_main.h"
#include "tests/toolkit/GuiTest.h"

inline void ProgramTestSetUp() {
  TestApplication(ProgramTitle);
  RegisterProgramClasses();
}
