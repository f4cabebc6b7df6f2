// Resource IDs of the Options dialog (Form5).
#pragma once

#define IDD_FORM5 301
#define IDC_CHECK1 3001
#define IDC_TEXT1 3002
#define IDC_UPDOWN1 3003
#define IDC_CHECK2 3004
#define IDC_CHECK3 3005
#define IDC_COMMAND2 3006
#define IDC_SECONDS_LABEL 3007
#define IDC_COMMAND1 2 /* IDCANCEL: Esc cancels */
