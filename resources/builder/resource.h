// Identifiers of the builder's dialogs and their controls.
#pragma once

#define IDD_INFO 100
#define IDD_AUTHOR 101

#define IDC_INFO_AUTHOR 1001
#define IDC_AUTHOR_PICTURE 1002
