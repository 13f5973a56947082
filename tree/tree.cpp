// The drive and folder tree: built one level deep at start-up and filled
// lazily, one level ahead of what can be seen, whenever an item opens or closes.
#include "dialog/search_dlg.h"
#include "search/folder_text.h"
#include "text/mbcs.h"

namespace {

// "ﾏｲｺﾝﾋﾟｭｰﾀ": nine half-width katakana, one byte each. The item directory
// rule counts on that length.
const char kRootLabel[] = "ﾏｲｺﾝﾋﾟｭｰﾀ";
const COLORREF kMaskColour = RGB(128, 0, 0);

HTREEITEM ChildLabelled(CTreeCtrl& tree, HTREEITEM hParent, const CString& strLabel)
{
    HTREEITEM hChild = tree.GetChildItem(hParent);
    while (hChild && tree.GetItemText(hChild) != strLabel)
        hChild = tree.GetNextSiblingItem(hChild);
    return hChild;
}

}  // namespace

void CSearchDlg::BuildTree()
{
    CTreeCtrl tree(GetDlgItem(IDC_TREE));
    if (m_pTreeImages == nullptr) {
        m_pTreeImages = new CImageList;
        m_pTreeImages->Create(16, 16, ILC_MASK, 2, 2);
        m_pTreeImages->AddBitmapResource(IDB_FOLDER_CLOSED, kMaskColour);
        m_pTreeImages->AddBitmapResource(IDB_FOLDER_OPEN, kMaskColour);
        tree.SetImageList(m_pTreeImages, TVSIL_NORMAL);
    }
    HTREEITEM hRoot = tree.InsertItem(kRootLabel, 0, 1, nullptr, TVI_FIRST);
    for (int nDrive = 1; nDrive <= 26; ++nDrive) {
        if (_chdrive(nDrive) != 0)
            continue;
        CString strDrive;
        strDrive.Format("%c:", 64 + nDrive);
        HTREEITEM hDrive = tree.InsertItem("(" + strDrive + ")", 0, 1, hRoot, TVI_LAST);
        PopulateFolder(strDrive, hDrive);
    }
}

void CSearchDlg::PopulateFolder(CString strPath, HTREEITEM hParent)
{
    CTreeCtrl tree(GetDlgItem(IDC_TREE));
    CFileFind finder;
    BOOL bWorking = finder.FindFile(strPath + "\\*.*");
    while (bWorking) {
        bWorking = finder.FindNextFile();
        if (!finder.IsDirectory() || finder.IsDots())
            continue;
        tree.InsertItem(finder.GetFileName(), 0, 1, hParent, TVI_LAST);
    }
}

// The directory text of an item from its labels alone: the root label (9
// bytes), "\" and "(" are cut off before the drive letter, the letter, ":"
// and ")" as well before the folders.
CString CSearchDlg::ItemDirectory(HTREEITEM hItem)
{
    CTreeCtrl tree(GetDlgItem(IDC_TREE));
    HTREEITEM hRoot = tree.GetRootItem();
    CString strPath = tree.GetItemText(hItem);
    for (HTREEITEM h = hItem; h && h != hRoot;) {
        h = tree.GetParentItem(h);
        if (!h)
            break;
        strPath = tree.GetItemText(h) + "\\" + strPath;
    }
    int nLength = strPath.GetLength();
    CString strDrive = strPath.Right(nLength - 11).Left(2);
    CString strRest = strPath.Right(nLength - 14);
    return strDrive + strRest + "\\";
}

void CSearchDlg::OnItemexpandedTree(NMHDR*, LRESULT* pResult)
{
    CTreeCtrl tree(GetDlgItem(IDC_TREE));
    // Thousands of items may be added: the tree is drawn once, at the end.
    tree.SetRedraw(FALSE);
    HTREEITEM hItem = tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
    while (hItem) {
        hItem = tree.GetNextItem(hItem, TVGN_NEXTVISIBLE);
        if (!hItem)
            break;
        if (tree.ItemHasChildren(hItem))
            continue;
        PopulateFolder(ItemDirectory(hItem), hItem);
    }
    tree.SetRedraw(TRUE);
    tree.RedrawNow();
    *pResult = 0;
}

void CSearchDlg::OnSelchangedTree(NMHDR*, LRESULT* pResult)
{
    CTreeCtrl tree(GetDlgItem(IDC_TREE));
    GetDlgItem(IDC_REFDIR).SetWindowText(ItemDirectory(tree.GetSelectedItem()));
    *pResult = 0;
}

bool CSearchDlg::SelectFolderInTree(const CString& strDir)
{
    if (strDir.GetLength() < 2 || strDir[1] != ':')
        return false;
    CTreeCtrl tree(GetDlgItem(IDC_TREE));
    CString strDrive;
    strDrive.Format("(%c:)", strDir[0] & ~0x20);
    HTREEITEM hItem = tree.GetRootItem();
    std::vector<CString> labels(1, strDrive);
    // The names after "X:\", split where a "\" is a character of its own.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strDir.GetString());
    size_t n = static_cast<size_t>(strDir.GetLength());
    for (size_t i = 2, start = 3; i <= n; i += i < n ? CharLength932(p, i, n) : 1) {
        if (i < n && p[i] != '\\')
            continue;
        if (i > start)
            labels.push_back(strDir.Mid(static_cast<int>(start), static_cast<int>(i - start)));
        start = i + 1;
    }
    // Opened one level after another as a user opens them, which fills in
    // the level below each.
    for (const CString& strLabel : labels) {
        if (!tree.IsExpanded(hItem))
            tree.ExpandAsUser(hItem, TVE_EXPAND);
        if (!(hItem = ChildLabelled(tree, hItem, strLabel)))
            return false;
    }
    tree.SelectItem(hItem);
    return true;
}

// A folder dropped on the window is the reference folder, a file its folder.
void CSearchDlg::OnDropFiles(HDROP hDropInfo)
{
    CString strPath = AfxDroppedCount(hDropInfo) > 0 ? AfxDroppedPath(hDropInfo, 0) : CString();
    AfxDragFinish(hDropInfo);
    if (strPath.IsEmpty())
        return;
    if (!IsExistingDirectory(strPath) && strPath.ReverseFind('\\') > 0)
        strPath = strPath.Left(strPath.ReverseFind('\\'));
    if (!SelectFolderInTree(strPath))
        GetDlgItem(IDC_REFDIR).SetWindowText(WithSeparator(strPath));
}
