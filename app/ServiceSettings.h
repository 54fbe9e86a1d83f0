#pragma once
#include <string>

#include "app/SettingsPath.h"
#include "service/ServiceDefaults.h"

// Where the program finds the account and photo services, from the settings
// file's [Service] section.
struct ServiceSettings
{
    std::wstring accountServer = kDefaultAccountServer;
    std::wstring photoServer = kDefaultPhotoServer;
    // Counts only when the value is exactly 1.
    bool acceptUntrustedCertificates = false;
    // Photo details requests under way at once; 1 sends them one after
    // another. A missing value or one below 1 gives the default, one above
    // the limit the limit.
    int parallelRequests = kDefaultParallelRequests;

    static constexpr int kMaxParallelRequests = 16;
};

// The address the stand-in service serves at when started as its guide
// says: offered on the first run.
inline constexpr const wchar_t* kStandInAddress = L"http://localhost:8080";

// Whether the [Service] section names an account or a photo server yet.
bool HasServiceServers(const SettingsLocation& settings);

// Missing or empty values keep their defaults; a trailing "/" is dropped so
// that paths can be appended.
ServiceSettings ReadServiceSettings(const SettingsLocation& settings);

// Writes the two addresses and the certificate choice (ParallelRequests is
// left as it is). False when the file could not be written.
bool WriteServiceSettings(const SettingsLocation& settings, const ServiceSettings& service);

// Writes each [Service] key that the file does not have yet with its default,
// so that the file shows what can be set; values already there stay.
bool WriteMissingServiceSettings(const SettingsLocation& settings);
