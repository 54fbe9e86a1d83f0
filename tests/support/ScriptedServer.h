#pragma once
#include <string>
#include <utility>
#include <vector>

// The scripted loopback server of the transport tests (scripted_server.py).
struct RecordedRequest
{
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    long long conn = 0;
    bool tls = false;
    std::string version;  // of the request line: "HTTP/1.0" or "HTTP/1.1"
    bool ended = false;   // the server is done with it (a hang or stall let go)

    // Value of the first header of that name (any case), or "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

class ScriptedServer
{
public:
    ScriptedServer(); // the plain HTTP listener's control endpoint

    std::string HttpBase() const;  // http://localhost:port
    std::string HttpsBase() const; // https://localhost:port
    // http://127.0.0.1:port of the second plain listener: another origin.
    std::string OtherHttpBase() const;

    // responsesJson: a JSON array of response objects (see the server).
    bool Script(const std::string& path, const std::string& responsesJson);
    std::vector<RecordedRequest> Requests(const std::string& path);
};
