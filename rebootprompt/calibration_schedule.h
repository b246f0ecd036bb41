// The calibration program's run at the next logon, as a RunOnce entry.
#pragma once

namespace qvtouch::rebootprompt {

// The RunOnce value that runs the calibration program.
inline constexpr const char* kRunOnceValueName = "qvsercalib";

// Writes HKEY_LOCAL_MACHINE RunOnce "qvsercalib": the calibration program under ProgramFilesDir,
// in double quotes. Nothing is written when the CurrentVersion key cannot be opened or the RunOnce
// key cannot be created; a missing ProgramFilesDir leaves the folder part empty. A folder whose
// command line would not fit the platform's 260-byte buffer schedules nothing either: a cut line
// would name a program that does not exist. Nothing is reported.
void ScheduleCalibration();

}  // namespace qvtouch::rebootprompt
