#pragma once
// What every benchmark shares: a clock, the median of rounds after a warm-up, the
// result lines that scripts/bench turns into its table, and the floor's bare
// platform calls (a keep-alive WinHTTP connection, an MSXML 3 document).
//
// Result lines, tab-separated, on stdout:
//   ratio  <item>  <what>  <ours ms>  <floor ms>  <target>
//   memory <what>  <peak working set bytes>
#include <windows.h>
#include <msxml2.h>
#include <psapi.h>
#include <winhttp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / ticksPerMs;
}

inline double TimeMs(const std::function<void()>& work)
{
    const double start = NowMs();
    work();
    return NowMs() - start;
}

// Both sides of a ratio, timed in the same rounds: one warm-up round that
// does not count, then `rounds` rounds; each side gives the median of its
// times. The side that goes first alternates, so neither always finds the
// caches warm.
struct Pair
{
    double ours = 0;
    double floor = 0;
};

// One side of a comparison: untimed work before each timed run (may be
// empty), and the work timed.
struct Side
{
    std::function<void()> prepare;
    std::function<void()> work;
};

// The middle one of a side's times (the mean of the two middle ones for an
// even count): a busy spell of the shared machine in one round moves it less
// than it moves a mean, and unlike the best time it is what a run typically takes.
inline double Median(std::vector<double> times)
{
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    const size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

// Any number of sides timed in the same rounds, likewise: a warm-up run of
// each, then `rounds` rounds in which the side that goes first turns; each
// side's median time, in the order given. (Named when each side kept its
// best time.)
inline std::vector<double> BestOfEach(int rounds, const std::vector<Side>& sides)
{
    auto time = [](const Side& side) {
        if (side.prepare)
            side.prepare();
        return TimeMs(side.work);
    };
    for (const Side& side : sides)
        time(side);
    std::vector<std::vector<double>> times(sides.size());
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < sides.size(); ++i) {
            const size_t side = (i + size_t(round)) % sides.size();
            times[side].push_back(time(sides[side]));
        }
    std::vector<double> medians;
    for (const std::vector<double>& sideTimes : times)
        medians.push_back(Median(sideTimes));
    return medians;
}

// With `prepare...`, untimed work that runs before each timed run of its side.
inline Pair BestOf(int rounds, const std::function<void()>& prepareOurs, const std::function<void()>& ours,
                   const std::function<void()>& prepareFloor, const std::function<void()>& floor)
{
    const std::vector<double> best = BestOfEach(rounds, {{prepareOurs, ours}, {prepareFloor, floor}});
    return {best[0], best[1]};
}

inline Pair BestOf(int rounds, const std::function<void()>& ours, const std::function<void()>& floor)
{
    return BestOf(rounds, nullptr, ours, nullptr, floor);
}

inline void PrintRatio(int item, const char* what, const Pair& times, const char* target)
{
    std::printf("ratio\t%d\t%s\t%.1f\t%.1f\t%s\n", item, what, times.ours, times.floor, target);
    std::fflush(stdout);
}

inline SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

inline void PrintMemory(const char* what)
{
    std::printf("memory\t%s\t%llu\n", what, static_cast<unsigned long long>(PeakWorkingSet()));
    std::fflush(stdout);
}

// A working set measured otherwise (a difference of two peaks, say).
inline void PrintMemoryBytes(const char* what, unsigned long long bytes)
{
    std::printf("memory\t%s\t%llu\n", what, bytes);
    std::fflush(stdout);
}

// "--name value" from the command line; empty when absent.
inline std::wstring Arg(int argc, wchar_t** argv, const wchar_t* name)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wcscmp(argv[i], name) == 0)
            return argv[i + 1];
    return L"";
}

inline int IntArg(int argc, wchar_t** argv, const wchar_t* name, int fallback)
{
    const std::wstring text = Arg(argc, argv, name);
    return text.empty() ? fallback : _wtoi(text.c_str());
}

// The floor's transport: one WinHTTP session and connection to one server,
// kept alive across requests, nothing else.
class BareHttp
{
public:
    explicit BareHttp(const std::wstring& baseUrl)
    {
        wchar_t host[260] = {};
        URL_COMPONENTS parts = {};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = ARRAYSIZE(host);
        if (!WinHttpCrackUrl(baseUrl.c_str(), 0, 0, &parts))
            return;
        m_secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        m_session = WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0);
        if (m_session)
            m_connection = WinHttpConnect(m_session, host, parts.nPort, 0);
    }
    ~BareHttp()
    {
        if (m_connection)
            WinHttpCloseHandle(m_connection);
        if (m_session)
            WinHttpCloseHandle(m_session);
    }
    BareHttp(const BareHttp&) = delete;
    BareHttp& operator=(const BareHttp&) = delete;

    // GET of a path and query with extra header lines; the body's bytes.
    bool Get(const std::wstring& object, const std::wstring& headers, std::vector<char>& body)
    {
        body.clear();
        HINTERNET request = WinHttpOpenRequest(m_connection, L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, m_secure ? WINHTTP_FLAG_SECURE : 0);
        if (!request)
            return false;
        bool ok = WinHttpSendRequest(request, headers.c_str(), DWORD(headers.size()), WINHTTP_NO_REQUEST_DATA, 0, 0,
                                     0) &&
                  WinHttpReceiveResponse(request, nullptr);
        while (ok) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available) || available == 0)
                break;
            const size_t used = body.size();
            body.resize(used + available);
            DWORD read = 0;
            ok = WinHttpReadData(request, body.data() + used, available, &read) != FALSE;
            body.resize(used + read);
        }
        WinHttpCloseHandle(request);
        return ok;
    }

    // POST of `length` bytes from memory, sent with the request head, and
    // the reply read to its end; true on a 2xx status.
    bool Post(const std::wstring& object, const std::wstring& headers, const void* bytes, DWORD length)
    {
        HINTERNET request = WinHttpOpenRequest(m_connection, L"POST", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, m_secure ? WINHTTP_FLAG_SECURE : 0);
        if (!request)
            return false;
        bool ok = WinHttpSendRequest(request, headers.c_str(), DWORD(headers.size()), const_cast<void*>(bytes),
                                     length, length, 0) &&
                  WinHttpReceiveResponse(request, nullptr);
        DWORD status = 0, size = sizeof status;
        ok = ok && WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                       WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) &&
             status / 100 == 2;
        char sink[8192];
        while (ok) {
            DWORD read = 0;
            if (!WinHttpReadData(request, sink, sizeof sink, &read) || read == 0)
                break;
        }
        WinHttpCloseHandle(request);
        return ok;
    }

private:
    HINTERNET m_session = nullptr;
    HINTERNET m_connection = nullptr;
    bool m_secure = false;
};

// The floor's parse: a new MSXML 3 DOM document loading the bytes as they
// came (a byte array, so the parser reads the encoding itself).
inline bool BareXmlLoad(const std::vector<char>& bytes)
{
    static const CLSID kDomDocument = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
    static const IID kIDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
    IXMLDOMDocument* document = nullptr;
    if (FAILED(CoCreateInstance(kDomDocument, nullptr, CLSCTX_INPROC_SERVER, kIDomDocument,
                                reinterpret_cast<void**>(&document))))
        return false;
    document->put_async(VARIANT_FALSE);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
    bool loaded = false;
    if (array) {
        void* data = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
            std::memcpy(data, bytes.data(), bytes.size());
            SafeArrayUnaccessData(array);
        }
        VARIANT source;
        VariantInit(&source);
        source.vt = VT_ARRAY | VT_UI1;
        source.parray = array;
        VARIANT_BOOL success = VARIANT_FALSE;
        loaded = document->load(source, &success) == S_OK;
        SafeArrayDestroy(array);
    }
    document->Release();
    return loaded;
}

} // namespace bench
