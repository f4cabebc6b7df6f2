// Resource IDs of the modules dialog (frmModules).
#pragma once

#define IDD_FRMMODULES 320
#define IDC_LISTVIEW1 3201
#define IDC_LABEL1 3202
#define IDC_COMMAND1_CLOSE 2 /* IDCANCEL: Esc and the close box close it too */
