#include <cstdio>
#include <fstream>
#include <sstream>

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
    std::ostringstream script;
    script << in.rdbuf();
    return RunProbeScript(script.str());
}
