#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/search_engine.h"
#include "platform/afx.h"
#include "probe/probe.h"

// The dialog loads its icon through the application object.
static CWinApp g_probeApp;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvane-probe SCRIPT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tolvane-probe: cannot read %s\n", argv[1]);
        return 2;
    }
    // A search's worker count, for comparing runs: the probe's own knob; the
    // program itself reads no environment.
    if (const char* workers = std::getenv("TOLVANE_WORKERS"))
        g_nSearchWorkers = std::atoi(workers);
    std::ostringstream script;
    script << in.rdbuf();
    return RunProbeScript(script.str());
}
