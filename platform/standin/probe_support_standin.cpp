#include "platform/probe_support.h"

// Without a display nothing is ever shown: message boxes return at once.
void ProbeAnswerMessageBoxes() {}

void ProbePumpMessages() {}

void ProbeBinaryStdout() {}
