// Identifiers of the player's resources and of its window's controls.
#pragma once

#define IDI_TUNLET 1
#define IDD_INFO 100
#define IDC_INFO_TEXT 101

// The window's controls, in the order of the shared layout (builder::PlayerControl).
#define IDC_RXSLIDER1 1001
#define IDC_PLAYBTN 1002
#define IDC_PAUSEBTN 1003
#define IDC_STOPBTN 1004
#define IDC_LOOPEDCB 1005
#define IDC_LABEL1 1006
#define IDC_LENGTHLABEL 1007
#define IDC_LABEL2 1008
#define IDC_PRIORITYCOMBO 1009
#define IDC_BITBTN1 1010
#define IDC_BITBTN2 1011
#define IDC_GROUPBOX1 1012
#define IDC_DBMETER1 1013
#define IDC_DBMETER2 1014
#define IDC_LEFTSLIDER 1015
#define IDC_RIGHTSLIDER 1016
#define IDC_LOCKBOX 1017

