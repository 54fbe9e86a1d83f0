#pragma once
#include <string>

// What is wrong with a server address typed as scheme://host[:port].
enum class AddressProblem
{
    None,
    Empty,
    Scheme, // neither http:// nor https://
    Host,   // no host, or a character no host name has
    Port,   // not a number from 1 to 65535
    Extra,  // a path, query or user name after the host
    Ipv6,   // a literal IPv6 address ([::1]): the transport cannot reach one
};

// A trailing "/" and blanks around the text are allowed, as the settings
// file reader drops them.
AddressProblem CheckServiceAddress(const std::wstring& address);

// The host of a valid address ("localhost" of "http://localhost:8080"),
// else empty text.
std::wstring AddressHost(const std::wstring& address);
