#pragma once
#include <windows.h>

#include <exception>

// A C++ exception must not unwind through user32 (undefined on Windows), so
// the dialog dispatch and the subclass procedure catch everything at their
// boundary, report it here and give the message its default handling.
//
// Writes one line to the program's log (and the debugger output); never
// throws. `failure` is null for an exception that is no std::exception.
void ReportCallbackFailure(const char* where, UINT message, const std::exception* failure) noexcept;
