// Resource and control identifiers of Tessel.exe. The dialog, menu and control numbers are
// those that the analyser's settings record and command table refer to.
#pragma once

// Icon, cursors, menus.
#define IDI_TESSEL 150
#define IDC_POINTER_TARGET 104
#define IDC_POINTER_WHITE 142
#define IDC_POINTER_BLACK 143
#define IDM_PALETTE_MENU 144
#define IDM_PLAIN_MENU 145

// Dialogs.
#define IDD_ANALYZE_FILE 102
#define IDD_SCAN_INPUT 103
#define IDD_SCAN_FILE 104
#define IDD_COLORS 108
#define IDD_ANALYZE_INPUT 136
#define IDD_NOTICE 140
#define IDD_MARKERS 146
#define IDD_LOG_POINTS 110
#define IDD_LOG_SPECTRUM 111
#define IDD_MAGNIFY 112

// Controls of the parameter dialogs.
#define IDC_RATE_TEXT 1001
#define IDC_BEGIN 1002
#define IDC_END 1004
#define IDC_BITS8 1007
#define IDC_BITS16 1008
#define IDC_MONO 1013
#define IDC_STEREO 1014
#define IDC_RATE5K 1021
#define IDC_RATE11K 1022
#define IDC_RATE22K 1023
#define IDC_RATE44K 1024
#define IDC_OK 1025
#define IDC_CANCEL 1026
#define IDC_TRYIT 1027
#define IDC_TIMESCALE_TEXT 1028
#define IDC_RESOLUTION_TEXT 1029
#define IDC_PAL_CB 1039
#define IDC_PAL_CG 1040
#define IDC_PAL_BW 1041
#define IDC_PAL_WB 1042
#define IDC_ATTEN_TEXT 1052
#define IDC_ATTEN_BAR 1053
#define IDC_LATENCY_BAR 1054
#define IDC_LATENCY_TEXT 1055
#define IDC_BAND_BAR 1056
#define IDC_BAND_TEXT 1057
#define IDC_NEW_RATE 1058
#define IDC_BAND_HIGH 1059
#define IDC_AVERAGE_TEXT 1060
#define IDC_SCROLL 1061
#define IDC_SCOPE 1063
#define IDC_ANALYSIS_ON 1064
#define IDC_ANALYSIS_OFF 1065
#define IDC_TIMESCALE_BAR 1065
#define IDC_RESOLUTION_BAR 1066
#define IDC_AVERAGE_BAR 1067
#define IDC_LEN10 1071
#define IDC_LEN20 1072
#define IDC_LEN30 1073
#define IDC_LENANY 1074
#define IDC_LINEAR 1076
#define IDC_LOG 1077
#define IDC_FFT512 1082
#define IDC_FFT1024 1083
#define IDC_FFT2048 1084
#define IDC_FFT4096 1085
#define IDC_FFT8192 1086
#define IDC_FFT16384 1087
#define IDC_DUAL 1089
#define IDC_LEFT 1090
#define IDC_RIGHT 1091
#define IDC_QUICK_ON 1109
#define IDC_QUICK_OFF 1110
#define IDC_MARKER1 1113
#define IDC_MARKER2 1115

// The transient notice, the log dialogs and the bitmap magnification.
#define IDC_NOTICE_TEXT 1200
#define IDC_EVENT_A 1201  // .. 1208 for "h"
#define IDC_EVENT_ID 1210
#define IDC_POINT_TIME 1211
#define IDC_POINT_FREQ 1212
#define IDC_POINT_LEVEL 1213
#define IDC_ENTER_POINT 3
#define IDC_SPECTRUM_PICTURE 1220
#define IDC_FACTOR_BAR 1230
#define IDC_FACTOR_TEXT 1231
#define IDC_DPI_BAR 1232
#define IDC_DPI_TEXT 1233
#define IDC_PRINT_WIDTH 1234
#define IDC_PRINT_HEIGHT 1235

// Push buttons of the main window.
#define IDC_PLAY 101
#define IDC_PLAYWDW 102
#define IDC_STOP 103
#define IDC_GRID 104
