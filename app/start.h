// What the program does with its command line before a window opens.
#ifndef TOLVANE_APP_START_H
#define TOLVANE_APP_START_H

#include "app/start_options.h"
#include "platform/process.h"

// Exit codes of a run that ends without the window.
const int kExitRows = 0;     // rows were found and written
const int kExitNoRows = 1;   // none were found; the file holds the header alone
const int kExitRefused = 2;  // a bad command line, a search refused, a file not written

// True when the window is to open, with *POPTIONS to fill its fields. False
// when the run ends here, with *PNEXITCODE: a command line with a mistake
// (named in a box, or on standard error for a run with /out), or a run
// without the window, which has searched and written its rows. Such a run
// saves no settings.
bool StartFromCommandLine(const CCommandArgs& args, CStartOptions* pOptions, int* pnExitCode);

#endif
