// Control ids of the driver's test program; the harness tests use the same numbers.
#pragma once
#define IDD_FIXTURE 100
#define IDC_LIST 1008
#define IDC_STATE 1045
#define IDC_EVENT 1046
#define IDC_EDIT 1010
#define IDC_PORTS 1020
#define IDC_CHECK 1030
#define IDC_ASK 1040
