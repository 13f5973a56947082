#include "dialog/progress_model.h"

void ProgressModel::Reset(int nLow, int nHigh, int nStep, int nPos)
{
    m_nLow = nLow;
    m_nHigh = nHigh;
    m_nStep = nStep;
    m_nPos = nPos;
}

void ProgressModel::Step(uint64_t nSteps)
{
    int nRange = m_nHigh - m_nLow;
    if (m_nStep <= 0 || nRange <= 0)
        return;
    if (m_nStep > nRange) {
        for (; nSteps > 0; --nSteps) {
            m_nPos += m_nStep;
            while (m_nPos > m_nHigh)
                m_nPos -= nRange;
        }
        return;
    }
    // The control carries what passes the top over to the bottom (71 + 10
    // gives 1 in 0..80), so once above the bottom the position runs through
    // 1..range above it, modulo the range.
    for (; nSteps > 0 && m_nPos == m_nLow; --nSteps)
        m_nPos += m_nStep;
    uint64_t v = static_cast<uint64_t>(m_nPos - m_nLow - 1) + (nSteps % static_cast<uint64_t>(nRange)) *
                                                                  static_cast<uint64_t>(m_nStep);
    m_nPos = m_nLow + 1 + static_cast<int>(v % static_cast<uint64_t>(nRange));
}
