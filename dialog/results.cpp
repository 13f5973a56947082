// What a user does with the rows of a search: open a row's file at its line
// or its folder, copy rows, select them all, from the keyboard, the mouse or
// the context menu; and the layout that lets the list take a larger window.
#include <cstring>

#include "dialog/search_dlg.h"
#include "text/mbcs.h"

namespace {

// Context-menu commands; the menu answers with the one chosen.
enum : UINT { kCmdOpen = 0x8001, kCmdFolder, kCmdCopy, kCmdTagJump, kCmdSelectAll, kCmdEditor, kCmdReplace, kCmdUndo,
              kCmdSaveRows };

const int kColumns = CRowStore::kColumns;

bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

}  // namespace

CString CSearchDlg::RowText(int nRow, int nColumn) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_rows.Count())
        return CString();
    return m_rows.TextOf(static_cast<size_t>(nRow), nColumn);
}

CString CSearchDlg::RowFilePath(int nRow)
{
    // The file column starts with the "\" after the walked folder, which already ends in one.
    return m_strSearchedDir + RowText(nRow, CRowStore::kFile).Mid(1);
}

bool CSearchDlg::GetRowPlace(int nRow, uint64_t* pLine, uint64_t* pColumn) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_rows.Count())
        return false;
    *pLine = m_rows.Line(static_cast<size_t>(nRow));
    *pColumn = m_rows.Column(static_cast<size_t>(nRow));
    return true;
}

// In the editor in force, at the row's line and column; without one, with
// the file type's own program.
void CSearchDlg::OpenRowFile(int nRow)
{
    uint64_t nLine = 0, nColumn = 0;
    if (!GetRowPlace(nRow, &nLine, &nColumn))
        return;
    CString strPath = RowFilePath(nRow);
    EditorInForce editor = Editor();
    if (!editor.strCommand.IsEmpty()) {
        if (!AfxStartEditor(this, editor.strCommand, strPath, nLine, nColumn)) {
            CString strMessage;
            strMessage.Format("エディタを起動できませんでした。\n%s", static_cast<const char*>(editor.strCommand));
            MessageBox(strMessage, "Error!", MB_ICONHAND);
        }
        return;
    }
    INT_PTR nResult = AfxShellExecute(this, "open", strPath, nullptr);
    // A file type with no program of its own is still text to this tool.
    if (nResult == SE_ERR_NOASSOC)
        nResult = AfxShellExecute(this, "open", "notepad.exe", "\"" + strPath + "\"");
    if (nResult <= 32) {
        CString strMessage;
        strMessage.Format("ファイル「%s」を開けませんでした。", static_cast<const char*>(strPath));
        MessageBox(strMessage, "Error!", MB_ICONHAND);
    }
}

void CSearchDlg::EditEditorSettings()
{
    CEditorDlg dlg(m_editor, this);
    if (dlg.DoModal() != IDOK)
        return;
    m_editor = dlg.m_choice;
    m_editor.Store(m_ini);
    m_ini.Save(IniPath());
}

void CSearchDlg::OpenRowFolder(int nRow)
{
    if (nRow < 0)
        return;
    CString strPath = RowFilePath(nRow);
    if (AfxShellExecute(this, "open", "explorer.exe", "/select,\"" + strPath + "\"") <= 32) {
        CString strMessage;
        strMessage.Format("ファイル「%s」のフォルダを開けませんでした。", static_cast<const char*>(strPath));
        MessageBox(strMessage, "Error!", MB_ICONHAND);
    }
}

// The columns as the list shows them, tab-separated, a row a line.
void CSearchDlg::CopySelectedRows()
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    CString strText;
    for (int n = results.GetNextItem(-1, LVNI_SELECTED); n >= 0; n = results.GetNextItem(n, LVNI_SELECTED)) {
        for (int nCol = 0; nCol < kColumns; ++nCol) {
            CString strCell = RowText(n, nCol);
            strText += WidenTabs(strCell, static_cast<size_t>(strCell.GetLength()));
            strText += nCol < kColumns - 1 ? "\t" : "\r\n";
        }
    }
    if (!strText.IsEmpty())
        AfxSetClipboardText(this, strText);
}

// "PATH(LINE,COLUMN): TEXT" lines, which Japanese editors jump from.
void CSearchDlg::CopySelectedRowsAsTagJump()
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    CString strText;
    for (int n = results.GetNextItem(-1, LVNI_SELECTED); n >= 0; n = results.GetNextItem(n, LVNI_SELECTED)) {
        uint64_t nLine = 0, nColumn = 0;
        GetRowPlace(n, &nLine, &nColumn);
        strText += RowFilePath(n);
        strText.AppendFormat("(%llu,%llu): ", static_cast<unsigned long long>(nLine),
                             static_cast<unsigned long long>(nColumn));
        strText += RowText(n, CRowStore::kText);
        strText += "\r\n";
    }
    if (!strText.IsEmpty())
        AfxSetClipboardText(this, strText);
}

// The list asks for the texts it draws; a text longer than its buffer is
// cut between characters.
void CSearchDlg::OnGetdispinfoResults(NMHDR* pNMHDR, LRESULT* pResult)
{
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    *pResult = 0;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    size_t nText = 0;
    const char* text = nullptr;
    if (item.iItem >= 0 && static_cast<size_t>(item.iItem) < m_rows.Count())
        text = m_rows.Text(static_cast<size_t>(item.iItem), item.iSubItem, &nText);
    size_t nRoom = static_cast<size_t>(item.cchTextMax) - 1, n = 0;
    while (text && n < nText) {
        size_t w = IsLeadByte932(static_cast<unsigned char>(text[n])) && n + 1 < nText ? 2 : 1;
        if (n + w > nRoom)
            break;
        n += w;
    }
    if (n > 0)
        std::memcpy(item.pszText, text, n);
    item.pszText[n] = '\0';
}

void CSearchDlg::OnColumnclickResults(NMHDR* pNMHDR, LRESULT* pResult)
{
    SortByColumn(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

// A second click on the same header reverses the order. While a search
// runs the click waits for its end: the rows are still coming.
void CSearchDlg::SortByColumn(int nColumn)
{
    if (nColumn < 0 || nColumn >= kColumns)
        return;
    if (m_bSearching) {
        m_nPendingSort = nColumn;
        return;
    }
    m_nPendingSort = -1;
    bool bAscending = !(m_rows.SortColumn() == nColumn && m_rows.SortAscending());
    m_rows.Sort(nColumn, bAscending);
    ShowSortArrow(nColumn, bAscending ? 1 : -1);
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    // The selection was of rows where they stood; they stand elsewhere now.
    results.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    results.RedrawNow();
}

// The arrow on NCOLUMN's header only (-1: on none).
void CSearchDlg::ShowSortArrow(int nColumn, int nDirection)
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    for (int nCol = 0; nCol < kColumns; ++nCol)
        results.SetSortArrow(nCol, nCol == nColumn ? nDirection : 0);
}

// The list selects row by row; drawn meanwhile, each row would be drawn
// again, which takes minutes for half a million under a slow window system.
void CSearchDlg::SelectAllRows()
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    results.SetRedraw(FALSE);
    results.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    results.SetRedraw(TRUE);
    results.RedrawNow();
}

void CSearchDlg::OnResultsDblclk(NMHDR* pNMHDR, LRESULT* pResult)
{
    OpenRowFile(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem);
    *pResult = 0;
}

void CSearchDlg::OnResultsKeydown(NMHDR* pNMHDR, LRESULT* pResult)
{
    WORD nKey = reinterpret_cast<NMLVKEYDOWN*>(pNMHDR)->wVKey;
    if (nKey == 'C' && CtrlDown())
        CopySelectedRows();
    else if (nKey == 'A' && CtrlDown())
        SelectAllRows();
    *pResult = 0;
}

// From a right click (a screen point) or from the keyboard (-1, -1).
void CSearchDlg::OnContextMenu(HWND hWnd, int x, int y)
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    if (hWnd != results.m_hWnd) {
        Default();
        return;
    }
    POINT pt = {x, y};
    if (x == -1 && y == -1) {
        // Below the focused row, or at the list's corner when there is none.
        RECT rect = {0, 0, 0, 0};
        int nFocused = results.GetNextItem(-1, LVNI_FOCUSED);
        if (nFocused >= 0)
            results.GetItemRect(nFocused, &rect, LVIR_BOUNDS);
        pt = {rect.left, rect.bottom};
        results.ClientToScreen(&pt);
    } else {
        // A click on a row outside the selection makes it the selection, as a list does.
        POINT client = pt;
        results.ScreenToClient(&client);
        int nRow = results.HitTest(client);
        if (nRow >= 0 && !results.GetItemState(nRow, LVIS_SELECTED)) {
            results.SetItemState(-1, 0, LVIS_SELECTED);
            results.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }

    bool bRows = results.GetItemCount() > 0;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    if (bRows) {
        menu.AppendMenu(MF_STRING, kCmdOpen, "開く(&O)");
        menu.AppendMenu(MF_STRING, kCmdFolder, "フォルダを開く(&F)");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, kCmdCopy, "コピー(&C)\tCtrl+C");
        menu.AppendMenu(MF_STRING, kCmdTagJump, "タグジャンプ形式でコピー(&T)");
    }
    menu.AppendMenu(bRows ? MF_STRING : MF_STRING | MF_GRAYED, kCmdSelectAll, "すべて選択(&A)\tCtrl+A");
    menu.AppendMenu(MF_SEPARATOR);
    bool bSelected = results.GetNextItem(-1, LVNI_SELECTED) >= 0;
    if (bRows)
        menu.AppendMenu(bSelected && CanReplaceRows() ? MF_STRING : MF_STRING | MF_GRAYED, kCmdReplace,
                        "選択した行を置換(&R)");
    if (m_bReplacedRows)
        menu.AppendMenu(CanUndoReplace(BackupRoot()) ? MF_STRING : MF_STRING | MF_GRAYED, kCmdUndo, "元に戻す(&U)");
    if (bRows || m_bReplacedRows)
        menu.AppendMenu(MF_SEPARATOR);
    if (bRows) {
        menu.AppendMenu(MF_STRING, kCmdSaveRows, "結果を保存(&S)...");
        menu.AppendMenu(MF_SEPARATOR);
    }
    menu.AppendMenu(MF_STRING, kCmdEditor, "エディタの設定(&E)...");
    UINT nCmd = menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, this);
    menu.DestroyMenu();

    int nFocused = results.GetNextItem(-1, LVNI_FOCUSED);
    switch (nCmd) {
    case kCmdOpen: OpenRowFile(nFocused); break;
    case kCmdFolder: OpenRowFolder(nFocused); break;
    case kCmdCopy: CopySelectedRows(); break;
    case kCmdTagJump: CopySelectedRowsAsTagJump(); break;
    case kCmdSelectAll: SelectAllRows(); break;
    case kCmdEditor: EditEditorSettings(); break;
    case kCmdReplace: ReplaceRows(true); break;
    case kCmdUndo: UndoReplace(); break;
    case kCmdSaveRows: SaveRowsAs(); break;
    default: break;
    }
}

void CSearchDlg::RecordLayout()
{
    RECT rect;
    GetClientRect(&rect);
    m_nLayoutWidth = rect.right - rect.left;
    m_nLayoutHeight = rect.bottom - rect.top;
    GetWindowRect(&rect);
    m_nMinWidth = rect.right - rect.left;
    m_nMinHeight = rect.bottom - rect.top;
    m_layout.clear();
    for (CWnd child = GetWindow(GW_CHILD); child.m_hWnd; child = child.GetWindow(GW_HWNDNEXT)) {
        ControlPlace place = {child.m_hWnd, child.GetDlgCtrlID(), {}};
        child.GetRectInParent(&place.rect);
        m_layout.push_back(place);
    }
}

// The list takes the new room (with the preview pane, the pane keeps its
// height and the list takes the rest); what lies right of the search box
// keeps its distance from the right edge, what lies below the list or below
// the tree its distance from the bottom (the replace button both); the tree
// grows in height and the progress bar with the list's width.
void CSearchDlg::OnSize(UINT nType, int cx, int cy)
{
    if (nType == SIZE_MINIMIZED || m_layout.empty())
        return;
    long dx = cx - m_nLayoutWidth, dy = cy - m_nLayoutHeight;
    RECT list = {}, combo = {}, tree = {};
    for (const ControlPlace& place : m_layout) {
        if (place.nID == IDC_RESULTS)
            list = place.rect;
        else if (place.nID == IDC_SEARCH_TEXT)
            combo = place.rect;
        else if (place.nID == IDC_TREE)
            tree = place.rect;
    }
    for (const ControlPlace& place : m_layout) {
        RECT r = place.rect;
        bool bBelow = r.top >= list.bottom || (r.right <= list.left && r.top >= tree.bottom);
        if (place.nID == IDC_RESULTS) {
            r.right += dx;
            r.bottom += dy;
            LayOutListAndPane(r);
            continue;
        } else if (place.nID == IDC_PREVIEW || place.nID == IDC_PREVIEW_BAR) {
            continue;
        } else if (place.nID == IDC_TREE) {
            r.bottom += dy;
        } else if (place.nID == IDC_PROGRESS) {
            r.right += dx;
            r.top += dy;
            r.bottom += dy;
        } else if (bBelow || r.left >= combo.right) {
            if (bBelow) {
                r.top += dy;
                r.bottom += dy;
            }
            if (r.left >= combo.right) {
                r.left += dx;
                r.right += dx;
            }
        } else {
            continue;
        }
        CWnd(place.hWnd).MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    // The dialog's background is erased after the moved controls have drawn
    // themselves, which leaves the buttons and labels blank: draw all again.
    RedrawNow();
}

void CSearchDlg::OnGetMinMaxInfo(MINMAXINFO* pInfo)
{
    if (m_nMinWidth > 0) {
        pInfo->ptMinTrackSize.x = m_nMinWidth;
        pInfo->ptMinTrackSize.y = m_nMinHeight;
    }
}
