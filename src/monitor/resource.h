// Resource IDs of pelmora.
#pragma once

#define IDI_PELMORA 101
#define IDM_A 201
#define IDM_B_SHOW 40001
#define IDM_H_EXIT 40009
