#include "service/ServiceTexts.h"

namespace {

// In the order of ServiceText.
const wchar_t* const kBuiltIn[] = {
    // 次のページのリンクが写真サーバー %s 上にないため、読み込みを止めました: %s
    L"\u6b21\u306e\u30da\u30fc\u30b8\u306e\u30ea\u30f3\u30af\u304c\u5199\u771f\u30b5\u30fc\u30d0\u30fc %s "
    L"\u4e0a\u306b\u306a\u3044\u305f\u3081\u3001\u8aad\u307f\u8fbc\u307f\u3092\u6b62\u3081\u307e\u3057\u305f: %s",
    // 編集リンクが写真サーバー %s 上にないため、変更を送信しませんでした: %s
    L"\u7de8\u96c6\u30ea\u30f3\u30af\u304c\u5199\u771f\u30b5\u30fc\u30d0\u30fc %s "
    L"\u4e0a\u306b\u306a\u3044\u305f\u3081\u3001\u5909\u66f4\u3092\u9001\u4fe1\u3057\u307e\u305b\u3093\u3067\u3057\u305f: %s",
    // 写真情報の読み込み失敗
    L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557",
    // %s の名前を解決できませんでした。
    L"%s \u306e\u540d\u524d\u3092\u89e3\u6c7a\u3067\u304d\u307e\u305b\u3093\u3067\u3057\u305f\u3002",
    // %s に接続できませんでした (接続を拒否されました)。
    L"%s \u306b\u63a5\u7d9a\u3067\u304d\u307e\u305b\u3093\u3067\u3057\u305f "
    L"(\u63a5\u7d9a\u3092\u62d2\u5426\u3055\u308c\u307e\u3057\u305f)\u3002",
    // %s からの応答がなく、時間切れになりました。
    L"%s \u304b\u3089\u306e\u5fdc\u7b54\u304c\u306a\u304f\u3001\u6642\u9593\u5207\u308c\u306b\u306a\u308a\u307e"
    L"\u3057\u305f\u3002",
    // %s の証明書は信頼されていません。
    L"%s \u306e\u8a3c\u660e\u66f8\u306f\u4fe1\u983c\u3055\u308c\u3066\u3044\u307e\u305b\u3093\u3002",
    // %s との安全な接続に失敗しました。
    L"%s \u3068\u306e\u5b89\u5168\u306a\u63a5\u7d9a\u306b\u5931\u6557\u3057\u307e\u3057\u305f\u3002",
    // %s の応答は HTTP ではありません。
    L"%s \u306e\u5fdc\u7b54\u306f HTTP \u3067\u306f\u3042\u308a\u307e\u305b\u3093\u3002",
    // %s への要求に失敗しました (WinHTTP エラー %u)。
    L"%s \u3078\u306e\u8981\u6c42\u306b\u5931\u6557\u3057\u307e\u3057\u305f (WinHTTP \u30a8\u30e9\u30fc %u)\u3002",
    // フィードが %u ページ、%u 件を超えても終わらないため、読み込みを止めました: %s
    L"\u30d5\u30a3\u30fc\u30c9\u304c %u \u30da\u30fc\u30b8\u3001%u \u4ef6\u3092\u8d85\u3048\u3066\u3082"
    L"\u7d42\u308f\u3089\u306a\u3044\u305f\u3081\u3001\u8aad\u307f\u8fbc\u307f\u3092\u6b62\u3081\u307e"
    L"\u3057\u305f: %s",
};
static_assert(sizeof(kBuiltIn) / sizeof(kBuiltIn[0]) == size_t(ServiceText::Count), "a built-in text per key");

} // namespace

ServiceTexts::ServiceTexts()
{
    for (size_t i = 0; i < size_t(ServiceText::Count); ++i)
        texts_[i] = kBuiltIn[i];
}

const std::wstring& ServiceTexts::Text(ServiceText key) const
{
    return texts_[size_t(key) < size_t(ServiceText::Count) ? size_t(key) : 0];
}

void ServiceTexts::SetText(ServiceText key, std::wstring text)
{
    if (size_t(key) < size_t(ServiceText::Count) && !text.empty())
        texts_[size_t(key)] = std::move(text);
}

std::wstring ServiceTexts::Format(ServiceText key, const std::vector<TextArg>& args) const
{
    return FormatText(Text(key), args);
}

ServiceText TransportFailureText(DWORD winHttpError)
{
    switch (winHttpError) {
    case 12007: // ERROR_WINHTTP_NAME_NOT_RESOLVED
        return ServiceText::HostNotFound;
    case 12029: // ERROR_WINHTTP_CANNOT_CONNECT
        return ServiceText::ConnectionRefused;
    case 12002: // ERROR_WINHTTP_TIMEOUT
    case 10060: // WSAETIMEDOUT: Wine's word for a receive that timed out
        return ServiceText::TimedOut;
    // Windows says 12175 for an untrusted certificate, Wine 12157; the rest
    // name what is wrong with it.
    case 12175: // ERROR_WINHTTP_SECURE_FAILURE
    case 12157: // ERROR_WINHTTP_SECURE_CHANNEL_ERROR
    case 12045: // ERROR_WINHTTP_SECURE_INVALID_CA
    case 12038: // ERROR_WINHTTP_SECURE_CERT_CN_INVALID
    case 12037: // ERROR_WINHTTP_SECURE_CERT_DATE_INVALID
    case 12169: // ERROR_WINHTTP_SECURE_INVALID_CERT
    case 12170: // ERROR_WINHTTP_SECURE_CERT_REVOKED
    case 12179: // ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE
        return ServiceText::CertificateUntrusted;
    case 12044: // ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED
    case 12172: // ERROR_WINHTTP_SECURE_CERT_REV_FAILED
        return ServiceText::SecureConnectionFailed;
    case 12152: // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
        return ServiceText::NotHttp;
    default:
        return ServiceText::ConnectionFailed;
    }
}
