// Resource IDs of pelmora.
#pragma once

#define IDI_PELMORA 101
#define IDM_A 201

// Menu a, popped up from the notification-area icon
#define IDM_B_SHOW 40001
#define IDM_C_RUN_NEW_TASK 40002
#define IDM_E_LOG_OFF 40005
#define IDM_F_RESTART 40006
#define IDM_G_SHUTDOWN 40007
#define IDM_H_EXIT 40009

// Controls of frmstatus: captions 2100-2119, value labels 2200-2219, bars 2300-2319 (by row)
#define IDC_CAPTION_FIRST 2100
#define IDC_VALUE_FIRST 2200
#define IDC_BAR_FIRST 2300
#define IDC_IMAGE1 2400
#define IDC_IMAGE2 2401
#define IDC_LABEL19 2402
