// Plugs the PNG reader and, where the platform has one, the JPEG picture loader into the skin
// loader, which itself knows neither.
#pragma once

// Installs the readers into SkinPictureReaders(). Called once at start-up by every program
// that loads skins; calling it again changes nothing. The JPEG reader is installed only where
// JPEG pictures can be decoded (the Windows build): elsewhere a JPEG key adds no record.
void InstallSkinPictureReaders();
