// The main window: one modal dialog that holds the whole program.
#ifndef TOLVANE_DIALOG_SEARCH_DLG_H
#define TOLVANE_DIALOG_SEARCH_DLG_H

#include <memory>
#include <string>
#include <vector>

#include "app/explorer_menu.h"
#include "app/start_options.h"
#include "dialog/editor.h"
#include "dialog/progress_model.h"
#include "dialog/row_store.h"
#include "engine/search_engine.h"
#include "platform/afx.h"
#include "platform/files.h"
#include "platform/panes.h"
#include "engine/replace.h"
#include "engine/preview.h"
#include "engine/splice.h"
#include "resource.h"
#include "engine/file_mask.h"
#include "engine/scanner.h"
#include "search/search_fields.h"
#include "settings/ini_file.h"

class CSearchDlg : public CDialog, private CListMarkSource {
public:
    explicit CSearchDlg(CWnd* pParent = nullptr);
    ~CSearchDlg() override;

    // What the command line gives this run, applied as the window opens.
    void SetStartOptions(const CStartOptions& options) { m_start = options; }

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
    // Opens the tree down to the folder DIR and selects it, which fills the
    // reference field; false when DIR is on no drive the tree lists or a
    // folder on the way has no item.
    bool SelectFolderInTree(const CString& strDir);

    // Search.
    // Checks the fields and runs the engine over the folder they name.
    void SearchDirectory();
    SearchFields FieldsOfWindow();

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

    // Replace in the lines of every row, or of the selected ones, by the
    // rule of the search that made them; the files and lines they name, in
    // walk order; and the step back from the last replace, whose backups
    // are in a folder beside the executable.
    void ReplaceRows(bool bSelectedOnly);
    std::vector<ReplaceTarget> ReplaceTargets(bool bSelectedOnly);
    bool CanReplaceRows() const;
    void UndoReplace();
    CString BackupRoot() const;

    // The matches of row N's 一致内容 as it is shown, by the rule of the
    // search that made the row: found only when asked for, as a row is drawn.
    // None for rows a replace has shown, whose lines no longer hold them.
    void GetRowMarks(int nRow, std::vector<TextSpan>* pMarks);
    // The same, as the list asks for them when it draws the row.
    void GetCellMarks(int nItem, std::vector<AfxTextSpan>* pMarks) override;

    // The preview of the selected row: the lines around its line, or why
    // there are none (pnote), in the pane below the list. Shown or hidden
    // from the system menu; the choice, the number of lines around and the
    // pane's height, which the bar above it sets, are kept in tolvane.ini.
    const std::vector<PreviewLine>& PreviewLines() const { return m_preview; }
    const CString& PreviewNote() const { return m_strPreviewNote; }
    void UpdatePreview();
    void ShowPreviewPane(bool bShow);

    // The rows written to a file in one of the types 結果を保存... offers;
    // false, with a box, when it could not be written.
    bool SaveRows(int nType, const CString& strPath);
    void SaveRowsAs();

    // The editor rows are opened in, and its settings dialog.
    EditorInForce Editor() const { return ResolveEditor(m_editor); }
    void EditEditorSettings();
    // Adds Explorer's menu entry, or takes it away when it is there.
    void ToggleExplorerMenu();

protected:
    void DoDataExchange() override;
    void OnResultsDblclk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnResultsKeydown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetdispinfoResults(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnclickResults(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemchangedResults(NMHDR* pNMHDR, LRESULT* pResult);
    void OnPreviewBarMoved(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(HWND hWnd, int x, int y);
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSelchangedTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDropFiles(HDROP hDropInfo);
    void OnItemexpandedTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnReplace();
    void OnSearchTextChanged();
    DECLARE_MESSAGE_MAP()

public:
    int m_nHits;
    CString m_strRelDir;
    CImageList* m_pTreeImages;
    HICON m_hIcon;

private:
    void LoadSettings();
    void LoadHistory();
    void ShowExplorerMenuItem();
    void BuildTree();
    void StepProgress(uint64_t nLines, bool bFileEnd);
    void RunSearchCommand();
    void RunEngine(const SearchRequest& request);
    void KeepWindowAlive(unsigned long long nNowMs);
    void DrawFoundRows(unsigned long long nNowMs);
    void ListNewRows(CListCtrl& results);
    void RunReplaceJob(CReplaceJob& job);
    void ShowReplacedRows(const std::vector<ReplacedRow>& rows);
    void UpdateReplaceButton();
    void SaveReplaceText();

    // The progress bar as if it were stepped once per line read; the control
    // itself is told only now and then.
    ProgressModel m_progress;
    int m_nShownPos;
    unsigned long long m_nLastShownMs;

    // The rows of the last search, and how many of them the list knows of:
    // it is told now and then while the search runs.
    CRowStore m_rows;
    int m_nListedRows = 0;
    // A header clicked while a search ran, sorted by once it has ended.
    int m_nPendingSort = -1;

    CStartOptions m_start;
    ExplorerMenuState m_nExplorerMenu = kExplorerMenuAbsent;

    // The settings tolvane.dat has no room for.
    CIniFile m_ini;
    EditorChoice m_editor;
    // While a search runs the window handles paint messages and what other
    // windows send; commands that arrive meanwhile must not start a second
    // search or end the dialog in the middle of the walk.
    bool m_bSearching;
    bool m_bSearchAgain;
    bool m_bReplacing = false;
    BusyRequest m_nStopRequest;
    unsigned long long m_nLastLookMs;
    unsigned long long m_nLastListDrawMs;
    int m_nDrawnRows;

    // How many files the last search left out as binary.
    int m_nBinaryFiles = 0;
    // A regular expression or a whole word (NULL for the plain search), and
    // the lines on which the pattern library gave up.
    std::unique_ptr<SearchPattern> m_pattern;
    int m_nGaveUpLines = 0;

    // The folder the last search walked (ending in "\"): the rows' paths are
    // relative to it, whatever the reference field says afterwards.
    CString m_strSearchedDir;

    // How the last search matched, for a replace in its rows: they may be
    // replaced in once it has ended of itself, until its text is edited or a
    // replace has shown its own rows instead.
    ReplaceRule m_rule;
    bool m_bRowsReplaceable = false;
    bool m_bSearchEdited = false;
    bool m_bReplacedRows = false;
    // The last search's rule made ready for marking, once a row asks.
    std::unique_ptr<CSplicer> m_pMarker;
    void LoadPreviewSettings();
    bool m_bPreviewShown = true;
    int m_nPreviewAround = 3;
    int m_nPreviewRow = -1;
    std::vector<PreviewLine> m_preview;
    CString m_strPreviewNote;
    void ShowPreviewInPane();
    // The room the template gives the list, as the window's size makes it:
    // the list, the bar and the pane share it, top to bottom; the pane's
    // height is in pixels at 96 dpi.
    void LayOutListAndPane(const RECT& area);
    RECT m_listArea = {0, 0, 0, 0};
    int m_nPreviewHeight = 0;

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

#endif
