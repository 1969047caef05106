// The progress window of the rewrite.
#include "app/un_info.h"

Tfrm_animate* frm_animate = nullptr;
const wchar_t* const DoneText = L"HOTOVO";

Tfrm_animate::Tfrm_animate(TComponent* AOwner) : TForm(AOwner) {
  RegisterField("sPanel1", sPanel1);
  RegisterField("lblinfo", lblinfo);
  RegisterField("Timer1", Timer1);
  RegisterMethod("FormClose",
                 TCloseEvent([this](TComponent* S, TCloseAction& A) { FormClose(S, A); }));
  RegisterMethod("Timer1Timer", TNotifyEvent([this](TComponent* S) { Timer1Timer(S); }));
  InitInheritedComponent(ClassName(), "un_info.form");
}

Tfrm_animate::~Tfrm_animate() {
  // Writes meant for a window that the user closed go nowhere.
  if (frm_animate == this) frm_animate = nullptr;
}

void Tfrm_animate::FormClose(TComponent*, TCloseAction& Action) {
  Action = caFree;
}

void Tfrm_animate::Timer1Timer(TComponent*) {
  if (lblinfo->Caption() != DoneText) return;
  // The whole user interface stands still for this second, by design: "HOTOVO" stays on
  // screen between one and two seconds.
  Sleep(1000);
  Close();
}
