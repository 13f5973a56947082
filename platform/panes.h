// What the results list draws marked, the preview pane below it and the bar
// between the two: the dialog hands them what to show; the Win32 side draws
// them, the stand-in side keeps what it was given for the tests to read.
#ifndef TOLVANE_PLATFORM_PANES_H
#define TOLVANE_PLATFORM_PANES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/afx.h"

// A run of a text, in bytes.
struct AfxTextSpan {
    size_t nStart;
    size_t nLength;
};

// What a list asks about the rows it draws: the runs of one column's text
// (CP932, as the list shows it) drawn marked. It asks only for the rows in
// view, as it draws them, so half a million rows cost nothing beforehand.
class CListMarkSource {
public:
    virtual void GetCellMarks(int nItem, std::vector<AfxTextSpan>* pMarks) = 0;

protected:
    ~CListMarkSource() = default;
};

// Column NSUBITEM of the list is drawn with the marks PSOURCE gives (none
// with nullptr). The row index it is asked about is the one the list shows
// the row at, the same the list asks its texts by.
void AfxSetListMarks(CListCtrl& list, int nSubItem, CListMarkSource* pSource);
CListMarkSource* AfxListMarkSource(const CListCtrl& list);
// The marks the list draws on row NITEM, asked as drawing asks them.
void AfxGetListMarks(const CListCtrl& list, int nItem, std::vector<AfxTextSpan>* pMarks);

// A line of the preview pane: its number, whether it is the row's own line,
// its text (UTF-8, so characters code page 932 lacks stay themselves) and the
// runs of it drawn marked, in bytes of the text.
struct AfxPaneLine {
    uint64_t nNumber;
    bool bOwn;
    std::string text;
    std::vector<AfxTextSpan> marks;
};

class CPreviewCtrl : public CWnd {
public:
    explicit CPreviewCtrl(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    // The lines top first; with none, the note (CP932) instead.
    void SetLines(const std::vector<AfxPaneLine>& lines, const char* note);
    const std::vector<AfxPaneLine>& GetLines() const;
    CString GetNote() const;
};

// A drag on the bar tells its parent where the user takes the bar's top: a
// WM_NOTIFY with this code and an NMBARMOVE at each move and at the release,
// Y in the parent's client area in the pixels the parent was laid out in.
// The parent moves the bar.
const UINT AFXN_BARMOVED = 0x7A01;
struct NMBARMOVE {
    NMHDR hdr;
    int y;
    BOOL bReleased;
};

class CSplitBar : public CWnd {
public:
    explicit CSplitBar(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    // A press on the bar, a move by NDY pixels down (up when less than 0) and
    // the release, as the mouse does them.
    void DragAsUser(int nDy);
};

// Pixels at 96 dpi in the pixels the dialog was laid out in, and back: for
// sizes kept in the settings, which must mean the same at another scale.
int AfxLayoutFrom96(const CWnd& dialog, int nPixels);
int AfxLayoutTo96(const CWnd& dialog, int nPixels);

#endif
