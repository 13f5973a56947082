// The progress bar as the search steps it: the control is told only now and
// then, so its position is worked out here as if it were stepped once per line.
#ifndef TOLVANE_DIALOG_PROGRESS_MODEL_H
#define TOLVANE_DIALOG_PROGRESS_MODEL_H

#include <cstdint>

// The progress bar's position as if it were stepped once per line: range
// 0..80, step 10, starting over from the bottom once a step passes the top.
class ProgressModel {
public:
    void Reset(int nLow, int nHigh, int nStep, int nPos);
    void Step(uint64_t nSteps);
    int Pos() const { return m_nPos; }

private:
    int m_nLow = 0, m_nHigh = 100, m_nStep = 10, m_nPos = 0;
};

#endif
