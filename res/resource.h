// Resource ids, shared by the resource script and the code.
#pragma once

#define IDD_PROVIDER 101

#define IDC_PROVIDER 1001
#define IDC_STATIC   (-1)
