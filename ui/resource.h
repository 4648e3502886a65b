// Resource ids shared by the code and the dialog script.
#pragma once

#define IDD_SEARCH 101
#define IDD_PROGRESS 103

#define IDC_FILTER_TEXT 1001
#define IDC_RESULT_LIST 1002
#define IDC_SEARCH_SUBFOLDERS 1003
#define IDC_SEARCH 1004
#define IDC_APPLY_FILTER 1005
#define IDC_FILTER_LABEL 1006

// The stand-in host's main window (devhost), built in code.
#define IDM_DEVHOST_EXIT 201
#define IDC_DEVHOST_FOLDERS 202
#define IDC_DEVHOST_STATUS 203

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
