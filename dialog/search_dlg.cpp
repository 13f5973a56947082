#include "dialog/search_dlg.h"

CSearchDlg::CSearchDlg(CWnd* pParent)
    : CDialog(IDD_SEARCH_DIALOG, pParent), m_nHits(0), m_pTreeImages(nullptr), m_hIcon(nullptr), m_nShownPos(0),
      m_nLastShownMs(0)
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
END_MESSAGE_MAP()
// clang-format on

BOOL CSearchDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    BuildTree();
    LoadSettings();

    CListCtrl results(GetDlgItem(IDC_RESULTS));
    results.InsertColumn(0, "ファイル名", LVCFMT_LEFT, 100);
    results.InsertColumn(1, "見出し語", LVCFMT_LEFT, 100);
    results.InsertColumn(2, "一致内容", LVCFMT_LEFT, 1000);
    results.SetExtendedStyle(LVS_EX_FULLROWSELECT);

    LoadHistory();
    return TRUE;
}

void CSearchDlg::OnSysCommand(UINT, LPARAM) { Default(); }

void CSearchDlg::OnPaint() { Default(); }

HCURSOR CSearchDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
