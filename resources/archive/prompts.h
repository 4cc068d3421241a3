// Control identifiers of the archive component's question dialogs, shared by every
// program that carries them (resources/archive/ArchivePrompts.rc).
#pragma once
#define IDD_ARCHIVE_ASK 900
#define IDC_ARCHIVE_ASK_TEXT 901
#define IDC_ARCHIVE_ASK_YESTOALL 902
#define IDD_ARCHIVE_QUERY 910
#define IDC_ARCHIVE_QUERY_PROMPT 911
#define IDC_ARCHIVE_QUERY_EDIT 912
