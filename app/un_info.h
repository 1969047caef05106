// The progress window of the rewrite: a borderless, always-on-top strip with the live count,
// which closes itself one to two seconds after it reads "HOTOVO".
#pragma once

#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

class Tfrm_animate : public TForm {
public:
  explicit Tfrm_animate(TComponent* AOwner);
  ~Tfrm_animate() override;
  const wchar_t* ClassName() const override { return L"Tfrm_animate"; }

  TPanel* sPanel1 = nullptr;
  TLabel* lblinfo = nullptr;
  TTimer* Timer1 = nullptr;

  void FormClose(TComponent* Sender, TCloseAction& Action);
  void Timer1Timer(TComponent* Sender);
};

// The progress window of the current run; null once it has been destroyed.
extern Tfrm_animate* frm_animate;

// The label's final text, also the signal on which the window closes.
extern const wchar_t* const DoneText;
