#include "tests/support/ScriptedServer.h"

#include <algorithm>

#include "base/PercentEncoding.h"
#include "tests/support/Json.h"
#include "tests/support/TestEnv.h"

namespace {

std::string FromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return tolower(x) == tolower(y); });
}

} // namespace

std::string RecordedRequest::Header(const std::string& name) const
{
    for (const auto& h : headers)
        if (SameName(h.first, name))
            return h.second;
    return "";
}

bool RecordedRequest::HasHeader(const std::string& name) const
{
    for (const auto& h : headers)
        if (SameName(h.first, name))
            return true;
    return false;
}

ScriptedServer::ScriptedServer() = default;

std::string ScriptedServer::HttpBase() const
{
    return TestEnv::Server("scripted_http");
}

std::string ScriptedServer::HttpsBase() const
{
    return TestEnv::Server("scripted_https");
}

std::string ScriptedServer::OtherHttpBase() const
{
    return Json::Parse(LoopbackRequest(HttpBase(), "GET", "/__control/listeners").body)["other"].string;
}

bool ScriptedServer::Script(const std::string& path, const std::string& responsesJson)
{
    std::string body = "{\"path\": " + JsonQuote(path) + ", \"responses\": " + responsesJson + "}";
    return LoopbackRequest(HttpBase(), "POST", "/__control/script", body).status == 200;
}

std::vector<RecordedRequest> ScriptedServer::Requests(const std::string& path)
{
    LoopbackReply reply =
        LoopbackRequest(HttpBase(), "GET", "/__control/requests?path=" + PercentEncode(path, "/._-"));
    Json json = Json::Parse(reply.body);
    std::vector<RecordedRequest> out;
    for (const Json& r : json["requests"].array) {
        RecordedRequest rec;
        rec.method = r["method"].string;
        rec.target = r["target"].string;
        for (const Json& h : r["headers"].array)
            rec.headers.emplace_back(h[0].string, h[1].string);
        rec.body = FromHex(r["body_hex"].string);
        rec.conn = r["conn"].Int();
        rec.tls = r["tls"].boolean;
        rec.version = r["version"].string;
        rec.ended = r["ended"].boolean;
        out.push_back(std::move(rec));
    }
    return out;
}
