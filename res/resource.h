// Resource and control identifiers shared by the .rc file and the code.
#ifndef TOLVANE_RES_RESOURCE_H
#define TOLVANE_RES_RESOURCE_H

#define IDM_ABOUTBOX        0x0010
#define IDM_EDITOR          0x0020
#define IDM_UNDO            0x0030
#define IDM_SAVE_ROWS       0x0070
#define IDM_PREVIEW         0x0080
#define IDM_EXPLORER        0x0050
#define IDD_ABOUTBOX        100
#define IDS_ABOUTBOX        101
#define IDD_SEARCH_DIALOG   102
#define IDD_EDITOR          103
#define IDS_EDITOR          104
#define IDS_UNDO            105
#define IDS_SAVE_ROWS       106
#define IDS_PREVIEW         107
#define IDS_EXPLORER        110
#define IDS_EXPLORER_ELSEWHERE 111
#define IDR_MAINFRAME       128
#define IDB_FOLDER_CLOSED   130
#define IDB_FOLDER_OPEN     131

#define IDC_TREE            1000
#define IDC_RESULTS         1001
#define IDC_REFDIR          1003
#define IDC_CASE_ON         1004
#define IDC_CASE_OFF        1005
#define IDC_HEADWORD        1006
#define IDC_EXT             1007
#define IDC_PROGRESS        1008
#define IDC_SELECTED_ONLY   1009
#define IDC_WEBSITE         1010
#define IDC_SEARCH_TEXT     1012
#define IDC_EDITOR_PRESET   1013
#define IDC_EDITOR_COMMAND  1014
#define IDC_EDITOR_IN_FORCE 1015
#define IDC_EXCLUDE         1016
#define IDC_SKIP_BINARY     1017
#define IDC_REGEX           1018
#define IDC_WHOLE_WORD      1019
#define IDC_REPLACE_TEXT    1020
#define IDC_REPLACE         1021
#define IDC_ENCODING        1022
#define IDC_PREVIEW         1023
#define IDC_PREVIEW_BAR     1024

#endif
