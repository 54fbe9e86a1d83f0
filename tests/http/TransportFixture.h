#pragma once
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>
#include <winhttp.h>

#include "http/WinHttpSession.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"

// A test against the scripted server, with a path of its own on it.
class ScriptedServerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.HttpBase().empty()) << "the scripted test server is not running";
    }

    std::wstring Url(const std::string& p) const { return TestEnv::Widen(server.HttpBase() + p); }
    std::wstring SecureUrl(const std::string& p) const { return TestEnv::Widen(server.HttpsBase() + p); }

    ScriptedServer server;
    std::string path = TestEnv::UniquePath();
};

// The proxy fall-back with the browser's settings and the script's answer
// given by the test; the proxy is still handed to WinHTTP. (Wine ignores a
// proxy set on a request handle and cannot detect by DHCP, so what is
// checked here is what the engine asks for and applies.)
class ProxiedSession : public WinHttpSession
{
public:
    std::wstring proxy, bypass, autoConfigUrl, scriptAnswer;
    bool configReadable = true;
    int reads = 0, finds = 0;
    std::wstring askedScript, askedUrl;
    struct Applied
    {
        DWORD accessType;
        std::wstring proxy, bypass;
    };
    std::vector<Applied> applied;

protected:
    static wchar_t* GlobalCopy(const std::wstring& s)
    {
        if (s.empty())
            return nullptr;
        auto* p = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED, (s.size() + 1) * sizeof(wchar_t)));
        std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
        return p;
    }

    bool ReadProxyConfig(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config) override
    {
        ++reads;
        if (!configReadable)
            return false;
        config.lpszProxy = GlobalCopy(proxy);
        config.lpszProxyBypass = GlobalCopy(bypass);
        config.lpszAutoConfigUrl = GlobalCopy(autoConfigUrl);
        return true;
    }

    bool FindProxyForUrl(const wchar_t* script, const std::wstring& url, WINHTTP_PROXY_INFO& info) override
    {
        ++finds;
        askedScript = script;
        askedUrl = url;
        if (scriptAnswer.empty())
            return false;
        info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        info.lpszProxy = GlobalCopy(scriptAnswer);
        return true;
    }

    bool ApplyProxy(HINTERNET request, const WINHTTP_PROXY_INFO& info) override
    {
        applied.push_back({info.dwAccessType, info.lpszProxy ? info.lpszProxy : L"",
                           info.lpszProxyBypass ? info.lpszProxyBypass : L""});
        return WinHttpSession::ApplyProxy(request, info);
    }
};

