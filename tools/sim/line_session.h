// The simulated controller on a serial line. Script lines from input run as they arrive; their
// bytes go out paced at the line's rate (unless fast) with the script's pauses, and every command
// read from the line is answered ahead of the stream, within the time the calibration program
// allows (20 ms per reply byte).
#pragma once

#include "tools/sim/controller_line.h"
#include "tools/sim/sim_options.h"

namespace qvtouch::sim {

// Runs the session; returns the exit status. At the end of input it returns 0 once the last bytes
// have left (with Linger it keeps answering instead); a terminating signal read from signals ends
// it with 0; a script line that cannot run ends it with 2, a failing line or input with 1.
int RunLineSession(ControllerLine& line, const SimOptions& options, int input, int signals);

}  // namespace qvtouch::sim
