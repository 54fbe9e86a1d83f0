#include <gtest/gtest.h>

#include "app/ServiceAddress.h"
#include "tests/support/TestEnv.h"

TEST(ServiceAddress, EachAddressGetsItsProblemAndHost)
{
    const struct
    {
        const wchar_t* address;
        AddressProblem problem;
        const wchar_t* host;
    } cases[] = {
        {L"https://www.google.com", AddressProblem::None, L"www.google.com"},
        {L"http://localhost:8080", AddressProblem::None, L"localhost"},
        {L"HTTPS://Photos.Example:443/", AddressProblem::None, L"Photos.Example"},
        {L"  http://127.0.0.1:1  ", AddressProblem::None, L"127.0.0.1"},
        {L"http://[::1]:65535", AddressProblem::Ipv6, L""},
        {L"https://[2001:db8::7]", AddressProblem::Ipv6, L""},
        {L"http://my_host", AddressProblem::None, L"my_host"},
        {L"", AddressProblem::Empty, L""},
        {L"   ", AddressProblem::Empty, L""},
        {L"localhost:8080", AddressProblem::Scheme, L""},
        {L"ftp://localhost", AddressProblem::Scheme, L""},
        {L"http:/localhost", AddressProblem::Scheme, L""},
        {L"http://", AddressProblem::Host, L""},
        {L"http://:8080", AddressProblem::Host, L""},
        {L"http://local host", AddressProblem::Host, L""},
        {L"http://.example", AddressProblem::Host, L""},
        {L"http://[::1", AddressProblem::Host, L""},
        {L"http://[]:80", AddressProblem::Host, L""},
        {L"http://localhost:0", AddressProblem::Port, L""},
        {L"http://localhost:65536", AddressProblem::Port, L""},
        {L"http://localhost:", AddressProblem::Port, L""},
        {L"http://localhost:80a", AddressProblem::Port, L""},
        {L"http://localhost:000080", AddressProblem::Port, L""},
        {L"http://localhost:8080/photos", AddressProblem::Extra, L""},
        {L"http://user@localhost", AddressProblem::Extra, L""},
        {L"http://localhost?x=1", AddressProblem::Extra, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckServiceAddress(c.address), c.problem) << TestEnv::Narrow(c.address);
        EXPECT_EQ(AddressHost(c.address), c.host) << TestEnv::Narrow(c.address);
    }
}
