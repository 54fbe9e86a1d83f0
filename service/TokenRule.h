#pragma once
#include <string>

// Which request carries the sign-in token.

// The extra header lines for fetching `url`: the token's authorization line
// when the address is on the photo server's scheme, host and port, else none,
// so that the token never reaches another server.
std::wstring PreviewRequestHeaders(const std::wstring& url, const std::wstring& photoServer, const std::wstring& token);
