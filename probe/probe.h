// The probe: runs the real main dialog from a script, the way a user would,
// and prints what a user would see.
#ifndef TOLVANE_PROBE_PROBE_H
#define TOLVANE_PROBE_PROBE_H

#include <string>

// Runs SCRIPT (CP932 bytes); output goes to stdout, complaints to stderr.
// 0 when the script ran, 2 when it is not a valid script.
int RunProbeScript(const std::string& script);

#endif
