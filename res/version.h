// The version numbers and the texts that identify the program, read by the
// resource script. The manifest's <description> repeats KELVORA_TITLE (the
// manifest is not preprocessed); the checks of the built files compare the two.
#pragma once

#define KELVORA_VERSION      1,0,0,1
#define KELVORA_VERSION_TEXT "1, 0, 0, 1"

#define KELVORA_TITLE        "Kelvora source control provider switcher"
#define KELVORA_MAKER        "Plain Tools"
#define KELVORA_PRODUCT      KELVORA_MAKER " Kelvora"
#define KELVORA_COPYRIGHT    "Copyright (C) 2026 " KELVORA_MAKER
