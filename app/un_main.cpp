// The main window: start-up notice, editor repainting, and the wiring of every handler.
#include "app/un_main.h"
#include "skin/controls/sSkinControls.h"
#include "skin/forms/kvDials.h"
#include "skin/images/kvSkinPictures.h"

const wchar_t* const ProgramTitle = L"Textovrt - www.textovrt.cz";
const wchar_t* const StartupNotice =
    L"Textovrt 1.0\r"
    L"Kontakt: podpora@textovrt.cz\r"
    L"Program je možné rozšířit i o načtení více souborů a automatické uložení";

Tfrm_main* frm_main = nullptr;

void RegisterProgramClasses() {
  RegisterToolkitClasses();
  RegisterSkinClasses();
  RegisterSkinControls();
  RegisterSkinForms();
  InstallSkinPictureReaders();
}

Tfrm_main::Tfrm_main(TComponent* AOwner) : TForm(AOwner) {
  RegisterField("Memo1", Memo1);
  RegisterField("Memo2", Memo2);
  RegisterField("sPanel1", sPanel1);
  RegisterField("sButton1", sButton1);
  RegisterField("sEdit1", sEdit1);
  RegisterField("sEdit2", sEdit2);
  RegisterField("sEdit3", sEdit3);
  RegisterField("sPanel2", sPanel2);
  RegisterField("sButton2", sButton2);
  RegisterField("Button1", Button1);
  RegisterField("sLabel1", sLabel1);
  RegisterField("pb", pb);
  RegisterField("Timer1", Timer1);
  RegisterField("sLabel2", sLabel2);
  RegisterField("sSkinManager1", sSkinManager1);
  RegisterField("opd", opd);
  RegisterField("sButton3", sButton3);
  RegisterField("sd", sd);
  RegisterMethod("Button1Click", TNotifyEvent([this](TComponent* S) { Button1Click(S); }));
  RegisterMethod("FormShow", TNotifyEvent([this](TComponent* S) { FormShow(S); }));
  RegisterMethod("Memo1Change", TNotifyEvent([this](TComponent* S) { Memo1Change(S); }));
  RegisterMethod("sButton1Click", TNotifyEvent([this](TComponent* S) { sButton1Click(S); }));
  RegisterMethod("sButton2Click", TNotifyEvent([this](TComponent* S) { sButton2Click(S); }));
  RegisterMethod("sButton3Click", TNotifyEvent([this](TComponent* S) { sButton3Click(S); }));
  RegisterMethod("sdTypeChange", TNotifyEvent([this](TComponent* S) { sdTypeChange(S); }));
  RegisterMethod("Timer1Timer", TNotifyEvent([this](TComponent* S) { Timer1Timer(S); }));
  InitInheritedComponent(ClassName(), "un_main.form");
}

void Tfrm_main::Memo1Change(TComponent*) {
  if (FDeferRepaint) return;
  // Repaint at once: a long-running handler keeps the message loop from painting.
  Memo1->Invalidate();
  Memo1->Update();
}
