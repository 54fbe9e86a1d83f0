#pragma once
// The stand-in photo service of the test run, seen from the client tests:
// its base URLs, its control endpoint and its request log.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/Json.h"
#include "tests/support/TestEnv.h"

namespace StandIn {

inline std::string Base()
{
    return TestEnv::Server("photo_http");
}

inline std::wstring BaseW()
{
    return TestEnv::ServerW("photo_http");
}

inline Json Control(const std::string& method, const std::string& name, const std::string& body = "")
{
    LoopbackReply reply = LoopbackRequest(Base(), method, "/__control/" + name, body);
    EXPECT_EQ(reply.status, 200) << name << ": " << reply.body;
    return Json::Parse(reply.body);
}

// Demo data again, no tokens, faults or logged requests.
inline void Reset()
{
    Control("POST", "reset", "{\"fixture\": \"demo\"}");
}

inline void ClearRequests()
{
    Control("POST", "clear-requests");
}

inline void Fault(const std::string& json)
{
    Control("POST", "fault", json);
}

// Requests logged since the last clear or reset.
inline std::vector<Json> Requests()
{
    Json log = Control("GET", "requests?since=0");
    return log["requests"].array;
}

// Requests logged on paths that start with `path` and not answered yet: a
// reply the stand-in still holds back (a slow link, a hang) has no status.
inline size_t Unanswered(const std::string& path)
{
    size_t n = 0;
    for (const Json& request : Requests())
        n += request["path"].string.rfind(path, 0) == 0 && request["status"].kind == Json::Kind::Null;
    return n;
}

// Header lines of one logged request, in the order they were sent.
inline std::vector<std::pair<std::string, std::string>> HeaderList(const Json& request)
{
    std::vector<std::pair<std::string, std::string>> lines;
    for (const Json& pair : request["header_list"].array)
        lines.emplace_back(pair[0].string, pair[1].string);
    return lines;
}

inline bool HasHeader(const Json& request, const std::string& name)
{
    for (const auto& line : HeaderList(request))
        if (_stricmp(line.first.c_str(), name.c_str()) == 0)
            return true;
    return false;
}

inline std::string HeaderValue(const Json& request, const std::string& name)
{
    for (const auto& line : HeaderList(request))
        if (_stricmp(line.first.c_str(), name.c_str()) == 0)
            return line.second;
    return "";
}

// The account of the demo fixture named `name` in the stand-in's state.
inline Json Account(const std::string& name)
{
    Json state = Control("GET", "state");
    for (const Json& account : state["accounts"].array)
        if (account["name"].string == name)
            return account;
    return Json();
}

// The album titled `title` of the account `account` in the stand-in's state.
inline Json Album(const std::string& account, const std::string& title)
{
    for (const Json& album : Account(account)["albums"].array)
        if (album["title"].string == title)
            return album;
    return Json();
}

// Requests logged with this method since the last clear or reset.
inline std::vector<Json> RequestsWith(const std::string& method)
{
    std::vector<Json> found;
    for (const Json& r : Requests())
        if (r["method"].string == method)
            found.push_back(r);
    return found;
}

// Requests logged of this kind ("user_feed", "image", ...), and with this
// method unless it is empty, since the last clear or reset.
inline std::vector<Json> RequestsOfKind(const std::string& kind, const std::string& method = "")
{
    std::vector<Json> found;
    for (const Json& r : Requests())
        if (r["kind"].string == kind && (method.empty() || r["method"].string == method))
            found.push_back(r);
    return found;
}

} // namespace StandIn

namespace ClientTest {

// Lines of a log file, without the CR LF; `crlfOnly` turns false when a LF
// stands without its CR.
inline std::vector<std::string> LogLines(const std::wstring& path, bool* crlfOnly = nullptr)
{
    std::vector<std::string> lines;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return lines;
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    bool ok = true;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(bytes.substr(start));
            ok = false;
            break;
        }
        size_t end = lf;
        if (end > start && bytes[end - 1] == '\r')
            --end;
        else
            ok = false;
        lines.push_back(bytes.substr(start, end - start));
        start = lf + 1;
    }
    if (crlfOnly)
        *crlfOnly = ok;
    return lines;
}

// A log line without its "YYYY/MM/DD hh:mm:ss " prefix ("" when it has none).
inline std::string WithoutTime(const std::string& line)
{
    if (line.size() < 20 || line[4] != '/' || line[7] != '/' || line[10] != ' ' || line[13] != ':' ||
        line[16] != ':' || line[19] != ' ')
        return "<no time prefix>" + line;
    return line.substr(20);
}

inline std::string AsciiPath(const std::wstring& path)
{
    return std::string(path.begin(), path.end());
}

} // namespace ClientTest
