// Makes the skinned controls known to the definition reader.
#pragma once

void RegisterSkinControls();
