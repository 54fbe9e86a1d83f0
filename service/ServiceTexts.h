#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/TextFormat.h"

// The texts that the service client puts before the user: in its last error
// body and in the entries it hands out. Each starts as the program's built-in
// Japanese text; the program replaces them from its language module. "%s" and
// "%u" take the values noted beside each key, in order.
//
// One more text: a key here, its built-in text in kBuiltIn (ServiceTexts.cpp)
// and its string number in the program's table (app/ServiceTextTable.cpp).
enum class ServiceText : unsigned
{
    NextLinkElsewhere,      // %s photo server, %s link
    EditLinkElsewhere,      // %s photo server, %s link
    DetailsUnreadable,      // in place of a photo's details that could not be read
    HostNotFound,           // %s host
    ConnectionRefused,      // %s host
    TimedOut,               // %s host
    CertificateUntrusted,   // %s host
    SecureConnectionFailed, // %s host
    NotHttp,                // %s host
    ConnectionFailed,       // %s host, %u WinHTTP error number
    FeedWithoutEnd,         // %u pages, %u entries, %s link
    Count
};

class ServiceTexts
{
public:
    ServiceTexts();

    const std::wstring& Text(ServiceText key) const;
    // An empty text keeps the one in place.
    void SetText(ServiceText key, std::wstring text);
    std::wstring Format(ServiceText key, const std::vector<TextArg>& args) const;

private:
    std::wstring texts_[size_t(ServiceText::Count)];
};

// The text that explains a request which failed with this WinHTTP error
// number before any reply came.
ServiceText TransportFailureText(DWORD winHttpError);
