#include "app/ServiceSettings.h"

#include "app/CIniFile.h"
#include "service/PhotoServerAccess.h"

namespace {

const wchar_t kSection[] = L"Service";

void ReadBaseUrl(const CIniFile& ini, const wchar_t* key, std::wstring& url)
{
    const std::wstring value = TidyServerAddress(ini.ReadString(kSection, key, L"", 1024));
    if (!value.empty())
        url = value;
}

} // namespace

bool HasServiceServers(const SettingsLocation& settings)
{
    const CIniFile ini(settings);
    for (const wchar_t* key : {L"AccountServer", L"PhotoServer"}) {
        std::wstring value;
        ReadBaseUrl(ini, key, value);
        if (!value.empty())
            return true;
    }
    return false;
}

ServiceSettings ReadServiceSettings(const SettingsLocation& settings)
{
    ServiceSettings result;
    const CIniFile ini(settings);
    ReadBaseUrl(ini, L"AccountServer", result.accountServer);
    ReadBaseUrl(ini, L"PhotoServer", result.photoServer);
    result.acceptUntrustedCertificates = ini.ReadInt(kSection, L"AcceptUntrustedCertificates", 0) == 1;
    const int parallel = ini.ReadInt(kSection, L"ParallelRequests", kDefaultParallelRequests);
    if (parallel >= 1)
        result.parallelRequests = parallel > ServiceSettings::kMaxParallelRequests
                                      ? ServiceSettings::kMaxParallelRequests
                                      : parallel;
    return result;
}

bool WriteServiceSettings(const SettingsLocation& settings, const ServiceSettings& service)
{
    const CIniFile ini(settings);
    return ini.WriteString(kSection, L"AccountServer", service.accountServer.c_str()) &&
           ini.WriteString(kSection, L"PhotoServer", service.photoServer.c_str()) &&
           ini.WriteInt(kSection, L"AcceptUntrustedCertificates", service.acceptUntrustedCertificates ? 1 : 0);
}

bool WriteMissingServiceSettings(const SettingsLocation& settings)
{
    const CIniFile ini(settings);
    const ServiceSettings defaults;
    const std::wstring untrusted = std::to_wstring(defaults.acceptUntrustedCertificates ? 1 : 0);
    const std::wstring parallel = std::to_wstring(defaults.parallelRequests);
    const struct
    {
        const wchar_t* key;
        const std::wstring& value;
    } keys[] = {
        {L"AccountServer", defaults.accountServer},
        {L"PhotoServer", defaults.photoServer},
        {L"AcceptUntrustedCertificates", untrusted},
        {L"ParallelRequests", parallel},
    };
    bool written = true;
    for (const auto& k : keys) {
        // A value nobody could write stands for a missing key.
        if (ini.ReadString(kSection, k.key, L"\x01missing", 64) == L"\x01missing")
            written = ini.WriteString(kSection, k.key, k.value.c_str()) && written;
    }
    return written;
}
