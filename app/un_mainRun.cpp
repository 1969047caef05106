// The search-and-rewrite run and loading and saving (handlers of the main window).
#include "app/un_main.h"

const wchar_t* const NothingFoundText = L"Žádné položky nenalezeny";

// TODO: the search, the wait, the rewrite, loading and saving come with the rewrite engine.
void Tfrm_main::sButton2Click(TComponent*) {}
void Tfrm_main::Timer1Timer(TComponent*) {}
void Tfrm_main::Button1Click(TComponent*) {}
void Tfrm_main::sButton1Click(TComponent*) {}
void Tfrm_main::sButton3Click(TComponent*) {}
void Tfrm_main::sdTypeChange(TComponent*) {}
