#include "ui/controls/CallbackGuard.h"

#include "app/CAppModule.h"
#include "base/CLogSupport.h"

#include <cstdio>

void ReportCallbackFailure(const char* where, UINT message, const std::exception* failure) noexcept
{
    char line[512];
    std::snprintf(line, sizeof line, "Unexpected failure in %s, message 0x%04X: %s; default handling used", where,
                  message, failure ? failure->what() : "unknown exception");
    OutputDebugStringA(line);
    try {
        if (CLogSupport* log = CAppModule::Log())
            log->Write(line);
    } catch (...) {
        // Nothing more can be done without memory.
    }
}
