#include "tests/support/TestEnv.h"

#include "base/Utf8Text.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <gtest/gtest.h>

namespace TestEnv {

std::string Var(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::wstring Widen(const std::string& utf8)
{
    return WideFromUtf8(utf8);
}

std::string Narrow(const std::wstring& text)
{
    return Utf8FromWide(text);
}

std::wstring WinePath(const std::string& unixPath)
{
    std::wstring w = Widen(unixPath);
    if (!w.empty() && w[0] == L'/') {
        for (auto& c : w)
            if (c == L'/')
                c = L'\\';
        w = L"Z:" + w;
    }
    return w;
}

std::string Server(const std::string& name)
{
    static std::map<std::string, std::string> servers;
    if (servers.empty()) {
        std::ifstream in(std::filesystem::path(WinePath(Var("QUILLON_TEST_SERVERS"))));
        std::string line;
        while (std::getline(in, line)) {
            auto eq = line.find('=');
            if (eq != std::string::npos)
                servers[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    auto it = servers.find(name);
    return it == servers.end() ? "" : it->second;
}

std::wstring ServerW(const std::string& name)
{
    return Widen(Server(name));
}

std::string UniquePath(const std::string& suffix)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    for (auto& c : name)
        if (!isalnum((unsigned char)c) && c != '.' && c != '_')
            c = '_';
    return "/t/" + name + suffix;
}

// Deletes everything inside a folder, subfolders included, through the long
// form of its paths: a path longer than MAX_PATH and a name such as
// "CON.jpg", which the plain form takes for a device, go too.
static void EmptyFolder(std::wstring folder)
{
    if (folder.compare(0, 4, L"\\\\?\\") != 0)
        folder = L"\\\\?\\" + folder;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..")
            continue;
        std::wstring path = folder + L"\\" + n;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(path);
            RemoveDirectoryW(path.c_str());
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring WriteBytes(const std::wstring& folder, const std::wstring& name, const std::string& bytes)
{
    const std::wstring path = folder + L"\\" + name;
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return out ? path : std::wstring();
}

std::string PatternBytes(size_t size, int seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed * 101 + i / 509) & 0xFF);
    return bytes;
}

std::wstring ScratchFolder(const std::string& name)
{
    std::wstring base = WinePath(Var("QUILLON_BUILD_DIR")) + L"\\scratch\\" + Widen(name);
    SHCreateDirectoryExW(nullptr, base.c_str(), nullptr);
    EmptyFolder(base);
    return base;
}

} // namespace TestEnv

LoopbackReply LoopbackRequest(const std::string& baseUrl, const std::string& method, const std::string& path,
                              const std::string& body)
{
    LoopbackReply reply;
    // baseUrl is http://host:port
    auto hostStart = baseUrl.find("://");
    if (hostStart == std::string::npos)
        return reply;
    std::string hostPort = baseUrl.substr(hostStart + 3);
    auto colon = hostPort.rfind(':');
    std::string port = colon == std::string::npos ? "80" : hostPort.substr(colon + 1);

    static bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;

    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo("127.0.0.1", port.c_str(), &hints, &result) != 0)
        return reply;
    SOCKET s = socket(result->ai_family, result->ai_socktype, result->ai_protocol);
    if (s == INVALID_SOCKET || connect(s, result->ai_addr, int(result->ai_addrlen)) != 0) {
        freeaddrinfo(result);
        if (s != INVALID_SOCKET)
            closesocket(s);
        return reply;
    }
    freeaddrinfo(result);
    std::string request = method + " " + path + " HTTP/1.0\r\nHost: localhost\r\nContent-Type: application/json\r\n" +
                          "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    send(s, request.data(), int(request.size()), 0);
    std::string all;
    char buf[65536];
    int n;
    while ((n = recv(s, buf, sizeof buf, 0)) > 0)
        all.append(buf, size_t(n));
    closesocket(s);
    auto sp = all.find(' ');
    if (sp != std::string::npos)
        reply.status = std::atoi(all.c_str() + sp + 1);
    auto end = all.find("\r\n\r\n");
    if (end != std::string::npos)
        reply.body = all.substr(end + 4);
    return reply;
}
