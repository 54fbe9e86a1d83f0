#pragma once
#include <string>

#include "app/SettingsPath.h"

// Where the program finds the account and photo services, from the settings
// file's [Service] section.
struct ServiceSettings
{
    std::wstring accountServer = L"https://www.google.com";
    std::wstring photoServer = L"https://picasaweb.google.com";
    // Counts only when the value is exactly 1.
    bool acceptUntrustedCertificates = false;
};

// Missing or empty values keep their defaults; a trailing "/" is dropped so
// that paths can be appended.
ServiceSettings ReadServiceSettings(const SettingsLocation& settings);
