#pragma once
#include <objbase.h>

// COM for the current thread (a single-threaded apartment) while in scope.
// Each thread that reads XML replies holds one: the parser is a COM object.
class ComApartment
{
public:
    ComApartment() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (m_ok)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_ok;
};
