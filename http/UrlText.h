#pragma once
#include <string>

// Pieces of request URLs that come from outside the program: names typed by
// the user and links taken from the service's feeds.

// `text` as one path segment, in UTF-8: letters, digits, "-._~" and the
// characters "@!$()*,;:" stay as they are (an e-mail address reads as
// typed), every other byte is percent-encoded, and a segment of one or two
// dots has its dots encoded so that it cannot step up a level.
std::wstring PathSegment(const std::wstring& text);

// True when both URLs are HTTP or HTTPS with the same scheme, host (any
// case) and port (the scheme's default when none is written).
bool SameOrigin(const std::wstring& a, const std::wstring& b);

// True for an absolute http or https address with a host: the only links
// that the program opens or hands on as links. A path, a UNC name, "file:"
// or another protocol's handler could start a program on a click.
bool IsWebAddress(const std::wstring& url);

// The host of an HTTP or HTTPS URL as written there; empty when the URL
// cannot be read.
std::wstring UrlHost(const std::wstring& url);
