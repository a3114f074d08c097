#pragma once

// The maker's names and web addresses that the program hands to others:
// the updater, the crash reporter and the about box.

namespace Addresses {

inline constexpr const char* kProductName = "Tolvane Vantrel";
inline constexpr const char* kUpdateWizardName = "Tolvane Vantrel Update Wizard";
// The application title, also known before the GUI toolkit starts.
inline constexpr const char* kApplicationTitle = "Vantrel";

inline constexpr const char* kHomePage = "https://vantrel.tolvane.example/";
inline constexpr const char* kUpdateDispatchPage = "https://update.tolvane.example/srv/disp.asp";
inline constexpr const char* kCrashUploadPage = "https://update.tolvane.example/srv/bugrpt/bugrpt.asp";

} // namespace Addresses
