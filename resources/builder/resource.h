// Identifiers of the builder's dialogs and their controls.
#pragma once

#define IDD_INFO 100
#define IDD_AUTHOR 101
#define IDD_ASK 102
#define IDD_QUERY 103

#define IDC_INFO_AUTHOR 1001
#define IDC_AUTHOR_PICTURE 1002
#define IDC_ASK_TEXT 1003
#define IDC_ASK_YESTOALL 1004
#define IDC_QUERY_PROMPT 1005
#define IDC_QUERY_EDIT 1006
