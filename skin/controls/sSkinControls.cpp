// Registration of the skinned controls with the definition reader.
#include "skin/controls/sSkinControls.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sPanel.h"

void RegisterSkinControls() {
  RegisterClass<TsPanel>("TsPanel");
  RegisterClass<TsLabel>("TsLabel");
}
