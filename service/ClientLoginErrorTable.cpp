#include "service/ClientLoginErrorTable.h"

#include <cwchar>

const wchar_t kClientLoginErrors[kClientLoginErrorCount + 1][kClientLoginErrorSlot] = {
    L"BadAuthentication", L"NotVerified",     L"TermsNotAgreed",
    L"CaptchaRequired",   L"Unknown",         L"AccountDeleted",
    L"AccountDisabled",   L"ServiceDisabled", L"ServiceUnavailable",
    L""};

unsigned FindClientLoginError(const std::wstring& name)
{
    for (unsigned i = 0; i < kClientLoginErrorCount; ++i) {
        if (_wcsicmp(name.c_str(), kClientLoginErrors[i]) == 0)
            return i;
    }
    return kClientLoginErrorOther;
}
