#pragma once
#include <cstddef>
#include <string>

// What the test run provides: the loopback servers' base URLs and folders.
namespace TestEnv {

// Base URL of a server named in servers.txt ("scripted_http", "photo_https"
// ...); empty when it is not running.
std::string Server(const std::string& name);
std::wstring ServerW(const std::string& name);

// A Unix path from the environment as a path Wine can open (Z:\...).
std::wstring WinePath(const std::string& unixPath);

// Environment variable or empty.
std::string Var(const char* name);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text); // UTF-8

// "/t/<suite>.<test>" plus a suffix: a path no other test uses.
std::string UniquePath(const std::string& suffix = "");

// The whole file as bytes (empty when it cannot be read).
std::string ReadBytes(const std::wstring& path);

// Writes `bytes` as the file `name` in `folder`; its path, or empty when it
// could not be written.
std::wstring WriteBytes(const std::wstring& folder, const std::wstring& name, const std::string& bytes);
// Bytes that differ from one 64 KB piece to the next and from seed to seed,
// zero bytes included.
std::string PatternBytes(size_t size, int seed = 0);

// A fresh empty folder under the build folder's scratch area.
std::wstring ScratchFolder(const std::string& name);

} // namespace TestEnv

// Minimal HTTP/1.0 client on plain sockets for talking to the test servers'
// control endpoints, independent of the code under test.
struct LoopbackReply
{
    int status = 0;
    std::string body;
};
LoopbackReply LoopbackRequest(const std::string& baseUrl, const std::string& method, const std::string& path,
                              const std::string& body = "");
