// Registration of the skinned controls with the definition reader.
#include "skin/controls/sSkinControls.h"

#include "skin/controls/kvProgressBar.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sPanel.h"
#include "skin/controls/sRichEdit.h"
#include "skin/images/kvAlphaImageList.h"

void RegisterSkinControls() {
  RegisterClass<TsPanel>("TsPanel");
  RegisterClass<TsLabel>("TsLabel");
  RegisterClass<TsButton>("TsButton");
  RegisterClass<TsEdit>("TsEdit");
  RegisterClass<TsProgressBar>("TsProgressBar");
  RegisterClass<TsRichEdit>("TsRichEdit");
  RegisterClass<TsAlphaImageList>("TsAlphaImageList");
}
