// Resource IDs of varnok.
#pragma once

#define IDI_VARNOK 101
#define IDM_W2 201

// Main menu w2 (shown by the "Menu" button and the tray icon)
#define IDM_A33_RUN_NEW_TASK 40001
#define IDM_FF_SYSTEM_INFORMATION 40002
#define IDM_A6_OPTIONS 40006
#define IDM_KK2_REFRESH 40008
#define IDM_A2_EXIT 40020

// Controls of Form1
#define IDC_LSTPROCESSES 1001
#define IDC_LBLPROCESSNO 1002
#define IDC_LABEL4 1003
#define IDC_LBLPROCESSCAPTION 1004
#define IDC_BTN_PROCESS 1010
#define IDC_BTN_OPTIONS 1011
#define IDC_BTN_MENU 1012
#define IDC_BTN_END 1013

// Form3
#define IDC_WAIT_TEXT 1101
#define IDC_WAIT_PROGRESS 1102
