// Resource and control ids shared by the program and every language module.
// Each number is written here once.
#pragma once

#define IDS_LANGUAGE_NAME 5000
#define IDS_VERSION_SUFFIX 5003
