// Where the system keeps its settings in the registry.
#pragma once

#include <string_view>

namespace qvtouch {

// The driver's service key, as the system hands it to the driver at start.
inline constexpr std::string_view kServiceKeyPath =
    R"(\Registry\Machine\System\CurrentControlSet\Services\QVTouch)";

// The driver's settings key under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kParametersKey =
    R"(System\CurrentControlSet\Services\QVTouch\Parameters)";

// The platform's own key under HKEY_LOCAL_MACHINE; its REG_SZ value "ProgramFilesDir" names the
// folder the programs are installed under.
inline constexpr std::string_view kCurrentVersionKey =
    R"(Software\Microsoft\Windows\CurrentVersion)";
inline constexpr std::string_view kProgramFilesDirValue = "ProgramFilesDir";

// The user's mouse settings under HKEY_CURRENT_USER; REG_SZ values holding decimal text.
inline constexpr std::string_view kUserMouseKey = R"(Control Panel\Mouse)";

// Commands to run once at the next logon under HKEY_LOCAL_MACHINE: each REG_SZ value is a command
// line, removed as it runs.
inline constexpr std::string_view kRunOnceKey =
    R"(Software\Microsoft\Windows\CurrentVersion\RunOnce)";

}  // namespace qvtouch
