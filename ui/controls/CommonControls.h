#pragma once
#include <windows.h>
#include <commctrl.h>

// Every common-control class that a dialog template of the language modules
// names. Windows registers only the classes InitCommonControlsEx is asked
// for (Wine registers all of them), so a class missing here makes a dialog
// fail to open on Windows alone. Start-up and the test programs both ask for
// exactly this set.
constexpr DWORD kCommonControlClasses = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;

// What InitCommonControlsEx must be asked for so that a window of this class
// can be created: 0 for the classes that user32 itself registers, and
// kUnknownControlClass for a name that is neither.
constexpr DWORD kUnknownControlClass = 0xFFFFFFFF;
DWORD CommonControlClassFlag(const wchar_t* className);

// Registers kCommonControlClasses; false when the library refused.
bool InitCommonControlClasses();
