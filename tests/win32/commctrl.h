// Host stand-in: the common-controls call that Kelvora makes.
#pragma once

#include "windows.h"

void InitCommonControls();
