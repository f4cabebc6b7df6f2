// Resource IDs of varnok.
#pragma once

#define IDI_VARNOK 101
#define IDM_W2 201
#define IDM_WW 202
#define IDM_WWW 203

// Main menu w2 (shown by the "Menu" button and the tray icon)
#define IDM_A33_RUN_NEW_TASK 40001
#define IDM_FF_SYSTEM_INFORMATION 40002
#define IDM_A102_STARTUP_MONITOR 40211
#define IDM_A6_OPTIONS 40006
#define IDM_KK2_REFRESH 40008
#define IDM_A2_EXIT 40020
#define IDM_A10_SAVE_LOG 40500
#define IDM_E33_ABOUT 40501
#define IDM_A4_CHECK_FOR_UPDATES 40502 /* also the "Check For Updates" button */
#define IDM_A101_PROCESS_MONITOR 40503
#define IDM_A8_CHECK_ALL_ONLINE 40300
#define IDM_A3_HOME_PAGE 40301
// its "ShutDown" submenu (a12)
#define IDM_GG1_LOG_OFF 40401
#define IDM_GG2_RESTART 40402
#define IDM_GG3_SHUTDOWN 40403

// Context menu ww of the process list
#define IDM_A100_PROCESS_DETAILS 40101
#define IDM_P1_IDLE 40102
#define IDM_P2_NORMAL 40103
#define IDM_P3_HIGH 40104
#define IDM_P4_REALTIME 40105
#define IDM_BB_TERMINATE 40106
#define IDM_AA34_EXPLORE 40107
#define IDM_HH_END 40108
#define IDM_AA_READ_MORE 40302

// Context menu www of the startup list
#define IDM_B1_READ_MORE 40201
#define IDM_B3_TERMINATE_REMOVE 40203
#define IDM_B5_CHECK_ONLINE 40205
#define IDM_B7_ALLOW_ALL 40207

// Controls of Form1 (1020-1027 belong to the details area)
#define IDC_LSTPROCESSES 1001
#define IDC_LBLPROCESSNO 1002
#define IDC_STATUSBAR1 1006
#define IDC_BTN_PROCESS 1010
#define IDC_BTN_KILL 1011
#define IDC_BTN_OPTIONS 1012
#define IDC_BTN_MENU 1013
#define IDC_BTN_END 1014
#define IDC_BTN_MAIN_WINDOW 1015
#define IDC_BTN_MEMORY_OPTIONS 1016
#define IDC_NAVBAR 1017
#define IDC_BTN_SAVE_LOGFILE 1110
#define IDC_BTN_SYSTEM_INFORMATION 1111
#define IDC_BTN_PROCESS_MONITOR 1112
#define IDC_LBL_HELP 1113
#define IDC_LABEL4 1114    /* names the list shown */
#define IDC_FREELINK1 1026 // "Read more about ..."
#define IDC_FREELINK2 1027 // "Terminate ... Process"

// The startup monitor (1040-1059)
#define IDC_STARTUPLIST 1040 // View2
#define IDC_BTN_STARTUP_MONITOR 1041
#define IDC_BTN_SECURITY_SCAN 1060
#define IDC_BTN_CHECK_ALL_ONLINE 1061 /* Command6 */
#define IDC_COMBO1 1062               /* country facts */

// Form3
#define IDC_WAIT_TEXT 1101
#define IDC_WAIT_PROGRESS 1102
