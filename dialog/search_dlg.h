// The main window: one modal dialog that holds the whole program.
#ifndef TOLVANE_DIALOG_SEARCH_DLG_H
#define TOLVANE_DIALOG_SEARCH_DLG_H

#include <memory>
#include <string>
#include <vector>

#include "dialog/editor.h"
#include "dialog/row_store.h"
#include "platform/afx.h"
#include "platform/files.h"
#include "resource.h"
#include "search/file_mask.h"
#include "search/scanner.h"
#include "settings/ini_file.h"

class CSearchDlg : public CDialog {
public:
    explicit CSearchDlg(CWnd* pParent = nullptr);
    ~CSearchDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // Settings file beside the executable.
    CString ReadSettingsLine(int nLine);
    void SaveSettings();
    void SaveHistory();

    // Folder tree.
    void PopulateFolder(CString strPath, HTREEITEM hParent);
    CString ItemDirectory(HTREEITEM hItem);

    // Search.
    void SearchDirectory(CString strRefText);
    void SearchSubdirectory(CString strSearch, CString strParentDir, CString strDirName, CString strHeadword,
                            CString strExt, int nCase);
    int SearchFile(CString strSearch, CString strDir, CString strFileName, CString strRelDir,
                   CString strHeadword, int nCase);
    // One row at the end of RESULTS: the file column, the line number, the
    // headword line and the matching line as read (its tabs not yet widened).
    void AddResultRow(const CString& strFileColumn, uint64_t nLine, uint64_t nColumn, const char* headword,
                      size_t nHeadword, const char* line, size_t nLineLength);

    // Results list: a row's texts as shown (columns as CRowStore numbers
    // them), its file and where in it the row's line is, opening it, its
    // folder, copy, select all, and the order by a column.
    CString RowText(int nRow, int nColumn) const;
    CString RowFilePath(int nRow);
    bool GetRowPlace(int nRow, uint64_t* pLine, uint64_t* pColumn) const;
    void OpenRowFile(int nRow);
    void OpenRowFolder(int nRow);
    void CopySelectedRows();
    void CopySelectedRowsAsTagJump();
    void SelectAllRows();
    void SortByColumn(int nColumn);
    void ShowSortArrow(int nColumn, int nDirection);

    // The editor rows are opened in, and its settings dialog.
    EditorInForce Editor() const { return ResolveEditor(m_editor); }
    void EditEditorSettings();

protected:
    void DoDataExchange() override;
    void OnResultsDblclk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnResultsKeydown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetdispinfoResults(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnclickResults(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(HWND hWnd, int x, int y);
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSelchangedTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemexpandedTree(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

public:
    int m_nHits;
    CString m_strRelDir;
    CImageList* m_pTreeImages;
    HICON m_hIcon;

private:
    void LoadSettings();
    void LoadHistory();
    void BuildTree();
    CString SettingsPath() const;
    bool EnterFolder(const CString& strDir);
    void StepProgress(uint64_t nLines, bool bFileEnd);
    void RunSearchCommand();
    bool SearchGoesOn();
    void KeepWindowAlive(unsigned long long nNowMs);
    void ListNewRows(CListCtrl& results);

    // The folders on the current walk path, so a link back to one of them is
    // not followed again. Without a link on the path no folder can come round
    // again, and asking a folder's identity costs as much as listing it under
    // Wine: identities are asked only once a link is on the path.
    struct WalkStep {
        CString strDir;
        bool bLink;
        bool bIdentified;
        FileIdentity id;
    };
    std::vector<WalkStep> m_walkPath;
    // Set by a listing for the folder SearchSubdirectory enters next: whether
    // its entry is a junction or a link.
    bool m_bEnteringLink;
    // The progress bar as if it were stepped once per line read; the control
    // itself is told only now and then.
    ProgressModel m_progress;
    int m_nShownPos;
    unsigned long long m_nLastShownMs;
    ScanBuffers m_scanBuffers;

    // The rows of the last search, and how many of them the list knows of:
    // it is told now and then while the search runs.
    CRowStore m_rows;
    int m_nListedRows = 0;
    std::string m_widened;  // a row's text with its tabs widened, reused
    // A header clicked while a search ran, sorted by once it has ended.
    int m_nPendingSort = -1;

    // The settings tolvane.dat has no room for.
    CIniFile m_ini;
    EditorChoice m_editor;
    // While a search runs the window handles paint messages and what other
    // windows send; commands that arrive meanwhile must not start a second
    // search or end the dialog in the middle of the walk.
    bool m_bSearching;
    bool m_bSearchAgain;
    BusyRequest m_nStopRequest;
    unsigned long long m_nLastLookMs;
    unsigned long long m_nLastListDrawMs;
    int m_nDrawnRows;

    // What the walk takes, fixed once per search: the files the file-name
    // field accepts, the folders it does not enter, whether files with a NUL
    // near their start are left out, and how many were.
    CFileFilter m_fileFilter;
    CNameMasks m_excludedFolders;
    bool m_bSkipBinary = true;
    int m_nBinaryFiles = 0;
    // A regular expression or a whole word (NULL for the plain search), and
    // the lines on which the pattern library gave up.
    std::unique_ptr<SearchPattern> m_pattern;
    int m_nGaveUpLines = 0;

    // The folder the last search walked (ending in "\"): the rows' paths are
    // relative to it, whatever the reference field says afterwards.
    CString m_strSearchedDir;

    // The layout of the template, which resizing starts from each time.
    void RecordLayout();
    struct ControlPlace {
        HWND hWnd;
        int nID;
        RECT rect;
    };
    std::vector<ControlPlace> m_layout;
    long m_nLayoutWidth = 0, m_nLayoutHeight = 0;   // client area
    long m_nMinWidth = 0, m_nMinHeight = 0;         // outer size
};

// Tabs widened to four blanks, as the line column shows them and copy writes them.
CString WidenTabs(const char* line, size_t nLine);
void WidenTabsInto(const char* line, size_t nLine, std::string& out);

#endif
