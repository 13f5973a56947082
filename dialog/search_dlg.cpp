#include "dialog/search_dlg.h"

#include "dialog/about_dlg.h"

CSearchDlg::CSearchDlg(CWnd* pParent)
    : CDialog(IDD_SEARCH_DIALOG, pParent), m_nHits(0), m_pTreeImages(nullptr), m_hIcon(nullptr),
      m_nShownPos(0), m_nLastShownMs(0), m_bSearching(false), m_bSearchAgain(false),
      m_nStopRequest(kBusyGoOn), m_nLastLookMs(0), m_nLastListDrawMs(0), m_nDrawnRows(0)
{
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr;
    m_strRelDir = "";
}

CSearchDlg::~CSearchDlg()
{
    // The image list belongs to the dialog; the tree only borrows it.
    delete m_pTreeImages;
}

void CSearchDlg::DoDataExchange() { CDialog::DoDataExchange(); }

// clang-format off
BEGIN_MESSAGE_MAP(CSearchDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_NOTIFY(TVN_SELCHANGEDA, IDC_TREE, OnSelchangedTree)
    ON_NOTIFY(TVN_ITEMEXPANDEDA, IDC_TREE, OnItemexpandedTree)
    ON_NOTIFY(NM_DBLCLK, IDC_RESULTS, OnResultsDblclk)
    ON_NOTIFY(LVN_KEYDOWN, IDC_RESULTS, OnResultsKeydown)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_RESULTS, OnGetdispinfoResults)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_RESULTS, OnColumnclickResults)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_RESULTS, OnItemchangedResults)
    ON_NOTIFY(AFXN_BARMOVED, IDC_PREVIEW_BAR, OnPreviewBarMoved)
    ON_BN_CLICKED(IDC_REPLACE, OnReplace)
    ON_CBN_EDITCHANGE(IDC_SEARCH_TEXT, OnSearchTextChanged)
    ON_CBN_SELCHANGE(IDC_SEARCH_TEXT, OnSearchTextChanged)
    ON_WM_CONTEXTMENU()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_DROPFILES()
END_MESSAGE_MAP()
// clang-format on

BOOL CSearchDlg::OnInitDialog()
{
    // A replace that was killed may have left half-written files beside the
    // ones it wrote, which the tree and a search would otherwise list.
    TidyAfterKilledReplace(BackupRoot());
    CDialog::OnInitDialog();

    CMenu sysMenu = GetSystemMenu(FALSE);
    if (sysMenu.m_hMenu) {
        CString strAboutMenu = AfxLoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            sysMenu.AppendMenu(MF_SEPARATOR);
            sysMenu.AppendMenu(MF_STRING, IDM_UNDO, AfxLoadString(IDS_UNDO));
            sysMenu.AppendMenu(MF_STRING, IDM_SAVE_ROWS, AfxLoadString(IDS_SAVE_ROWS));
            sysMenu.AppendMenu(MF_STRING, IDM_PREVIEW, AfxLoadString(IDS_PREVIEW));
            sysMenu.AppendMenu(MF_STRING, IDM_EXPLORER, AfxLoadString(IDS_EXPLORER));
            sysMenu.AppendMenu(MF_STRING, IDM_EDITOR, AfxLoadString(IDS_EDITOR));
            sysMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }
    // An entry that starts this program from where it was before it was
    // moved, or another copy, is made to start this one.
    CString strProgram = GetModuleFilePath();
    m_nExplorerMenu = GetExplorerMenuState(strProgram);
    if (m_nExplorerMenu == kExplorerMenuElsewhere && PointExplorerMenuAt(strProgram))
        m_nExplorerMenu = kExplorerMenuHere;
    ShowExplorerMenuItem();
    DragAcceptFiles();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    BuildTree();
    LoadSettings();
    LoadPreviewSettings();

    CListCtrl results(GetDlgItem(IDC_RESULTS));
    results.InsertColumn(0, "ファイル名", LVCFMT_LEFT, 100);
    results.InsertColumn(1, "行", LVCFMT_RIGHT, 50);
    results.InsertColumn(2, "見出し語", LVCFMT_LEFT, 100);
    results.InsertColumn(3, "一致内容", LVCFMT_LEFT, 1000);
    results.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    AfxSetListMarks(results, CRowStore::kText, this);

    LoadHistory();
    RecordLayout();
    for (const ControlPlace& place : m_layout)
        if (place.nID == IDC_RESULTS)
            LayOutListAndPane(place.rect);
    // Once the window is up, as a click on 検索スタート would.
    if (m_start.bGo)
        PostMessage(WM_COMMAND, IDOK, 0);
    return TRUE;
}

// The system keeps the low four bits of a command id for itself.
void CSearchDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == IDM_EDITOR) {
        EditEditorSettings();
    } else if ((nID & 0xFFF0) == IDM_UNDO) {
        UndoReplace();
    } else if ((nID & 0xFFF0) == IDM_SAVE_ROWS) {
        SaveRowsAs();
    } else if ((nID & 0xFFF0) == IDM_PREVIEW) {
        ShowPreviewPane(!m_bPreviewShown);
    } else if ((nID & 0xFFF0) == IDM_EXPLORER) {
        ToggleExplorerMenu();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

// A minimised dialog has no class icon to show, so it draws its own,
// centred in the client area.
void CSearchDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (static_cast<int>(rect.right - rect.left) - cxIcon + 1) / 2;
    int y = (static_cast<int>(rect.bottom - rect.top) - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CSearchDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CSearchDlg::ToggleExplorerMenu()
{
    CString strProgram = GetModuleFilePath();
    bool bDone = m_nExplorerMenu == kExplorerMenuAbsent ? AddExplorerMenu(strProgram, &m_ini)
                                                        : RemoveExplorerMenu(&m_ini);
    if (bDone)
        m_ini.Save(IniPath());
    m_nExplorerMenu = GetExplorerMenuState(strProgram);
    ShowExplorerMenuItem();
    if (!bDone)
        MessageBox("エクスプローラのメニューを変更できませんでした。", "Error!", MB_ICONHAND);
}

void CSearchDlg::ShowExplorerMenuItem()
{
    CString strItem = AfxLoadString(IDS_EXPLORER);
    if (m_nExplorerMenu == kExplorerMenuElsewhere)
        strItem += "\t" + AfxLoadString(IDS_EXPLORER_ELSEWHERE);
    GetSystemMenu(FALSE).ModifyMenu(IDM_EXPLORER, m_nExplorerMenu == kExplorerMenuAbsent ? 0 : MF_CHECKED,
                                    strItem);
}
