#include "app/ServiceSettings.h"

#include "app/CIniFile.h"

namespace {

const wchar_t kSection[] = L"Service";

void ReadBaseUrl(const CIniFile& ini, const wchar_t* key, std::wstring& url)
{
    std::wstring value = ini.ReadString(kSection, key, L"", 1024);
    while (!value.empty() && (value.back() == L'/' || value.back() == L' '))
        value.pop_back();
    while (!value.empty() && value.front() == L' ')
        value.erase(0, 1);
    if (!value.empty())
        url = value;
}

} // namespace

ServiceSettings ReadServiceSettings(const SettingsLocation& settings)
{
    ServiceSettings result;
    const CIniFile ini(settings);
    ReadBaseUrl(ini, L"AccountServer", result.accountServer);
    ReadBaseUrl(ini, L"PhotoServer", result.photoServer);
    result.acceptUntrustedCertificates = ini.ReadInt(kSection, L"AcceptUntrustedCertificates", 0) == 1;
    const int parallel = ini.ReadInt(kSection, L"ParallelRequests", ServiceSettings::kDefaultParallelRequests);
    if (parallel >= 1)
        result.parallelRequests = parallel > ServiceSettings::kMaxParallelRequests
                                      ? ServiceSettings::kMaxParallelRequests
                                      : parallel;
    return result;
}
