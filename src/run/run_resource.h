// Resource IDs of the "New Task" dialog, linked into both programs.
#pragma once

#define IDD_FRMSHELL 360

#define IDC_RUN_LABEL1 3601
#define IDC_RUN_LABEL2 3602
#define IDC_RUN_TXTPEFILE 3603
#define IDC_RUN_COMMAND1 3604
#define IDC_RUN_LBLSE 3605
#define IDC_RUN_CMBSHELLEXEC 3606
#define IDC_RUN_CMDRUN 3607
