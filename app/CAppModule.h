#pragma once
#include <windows.h>

class CLogSupport;

// Process-wide module handles: the program's own instance and the language
// module that every dialog, icon, menu and string is loaded from.
class CAppModule
{
public:
    // Called once by the entry point; without it Instance() is the handle of
    // the program file.
    static void Init(HINSTANCE instance);
    static void Term();

    static HINSTANCE Instance();

    // The language module, or the program itself while none is set (the
    // program holds no user interface resources, so loads then fail cleanly).
    static HINSTANCE ResourceInstance();

    // Replaces the resource module atomically; returns the previous one (null
    // when none was set). The caller keeps ownership of both.
    static HINSTANCE SetResourceInstance(HINSTANCE module);

    // The program's log, for the few lines that no object of its own can
    // write (a failure caught at a window procedure); null while none is set.
    // The caller keeps ownership.
    static void SetLog(CLogSupport* log);
    static CLogSupport* Log();
};
