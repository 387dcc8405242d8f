// Resource and control identifiers. Plain macros, because the Win32 resource compiler reads
// this header as well as the C++ compilers.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_BRINDLECOT_DIALOG 102
#define IDP_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128

#define IDC_TARGET 1000
#define IDC_BROWSE 1001
#define IDC_TITLE 1002
#define IDC_LIST 1004
#define IDC_ADD 1005
#define IDC_REMOVE 1006
#define IDC_UPDATE 1007
#define IDC_CLEAR 1008
#define IDC_CLEARALL 1009
#define IDC_HELPBUTTON 1010
#define IDC_SORTORDER 1013
#define IDC_COUNT 1014
#define IDC_TEST 1015
#define IDC_FOOTER 1045
#define IDC_ABOUT_ICON 1100
#define IDC_ABOUT_VERSION 1101
#define IDC_ABOUT_NOTICE 1102
