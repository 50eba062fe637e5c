#pragma once
// Start-up's step after FillPlatformApi: the settings file goes through the
// system's profile functions from then on. Without WritePrivateProfileStringA
// nothing is saved.
void FillSettingsApi();
