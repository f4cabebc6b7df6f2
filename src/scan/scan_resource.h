// Resource IDs of the security scan window (Form6).
#pragma once

#define IDD_FORM6 340
#define IDC_F6_LABEL2 3401    /* the description */
#define IDC_F6_LABEL1 3402    /* status line */
#define IDC_F6_FREELINK2 3403 /* the run's report */
#define IDC_F6_PB1 3404
#define IDC_F6_COMMAND7 3405 /* "Start Security Check" */
#define IDC_F6_COMMAND1 3406 /* "Close" */
#define IDC_F6_LINE1A 3407
#define IDC_F6_LINE1B 3408
#define IDC_F6_FREELINK1 3409 /* the privacy page */
