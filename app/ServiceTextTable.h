#pragma once
#include "service/ServiceTexts.h"

// Puts the language module's text of every service text in place; a text the
// module lacks keeps the one it had.
void LoadServiceTexts(ServiceTexts& texts);

// The string number of a service text in the language modules.
unsigned ServiceTextStringId(ServiceText key);
