#include "catalogue/http_request.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <utility>

#include "text/text_utils.h"

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kTimeoutMs = 18000;
constexpr DWORD kReadChunk = 512;
constexpr DWORD kReplyHeadersGuess = 1024;
constexpr char kDefaultAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr char kDefaultLanguage[] = "Accept-Language: zh-cn\r\n";
constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded\r\n";

// Owns one WinINet handle. WinINet wants the handles derived from a handle closed before that
// handle itself, so owners must be declared parent first: they are destroyed child first.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    InternetHandle(InternetHandle&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (handle_) InternetCloseHandle(handle_);
    }

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

bool IsPost(std::string_view method) {
    std::string upper(method);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper == "POST";
}

bool Contains(std::string_view block, std::string_view name) {
    return FindText(block, name, 1, true) > 0;
}

// The caller's lines, then each default the block does not yet carry (letter case ignored).
std::string WithDefaultHeaders(std::string block, std::string_view url) {
    if (!Contains(block, "Accept: ")) block += kDefaultAccept;
    if (!Contains(block, "Referer: ")) {
        block += "Referer: ";
        block += url;
        block += "\r\n";
    }
    if (!Contains(block, "Accept-Language: ")) block += kDefaultLanguage;
    return block;
}

void SetTimeouts(HINTERNET request) {
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_SEND_TIMEOUT}) {
        InternetSetOptionA(request, option, &timeout, sizeof timeout);
    }
}

// Keeps the calling thread's windows responsive during a long download. WM_QUIT stays queued
// for the caller's own loop.
void DispatchPendingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string ReadBody(HINTERNET request) {
    std::string body;
    DWORD got = 1;
    while (got > 0) {
        char chunk[kReadChunk] = {};
        DispatchPendingMessages();
        got = 0;
        if (!InternetReadFile(request, chunk, kReadChunk, &got)) got = 0;
        body.append(chunk, got);
    }
    return body;
}

// The raw reply header block, asking WinINet for the size it needs when the first guess is too
// small. Empty when there is none.
std::string ReplyHeaders(HINTERNET request) {
    std::string buffer(kReplyHeadersGuess, ' ');
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &size, nullptr)) {
            buffer.resize(std::min<size_t>(size, buffer.size()));
            return buffer.substr(0, buffer.find('\0'));
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) break;
        buffer.assign(size, ' ');
    }
    return {};
}

}  // namespace

std::string HttpRequest(std::string_view url, std::string* method, std::string_view proxy,
                        std::string* headers, std::string_view body, std::string* replyHeaders) {
    const std::string proxyList = proxy.empty() ? std::string() : "http=" + std::string(proxy);
    InternetHandle internet(InternetOpenA(
        kUserAgent, proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
        proxyList.c_str(), "", 0));
    if (!internet) return {};

    const std::string host = UrlHost(url);
    InternetHandle connection(InternetConnectA(internet.get(), host.c_str(),
                                               static_cast<INTERNET_PORT>(UrlPort(url)), "", "",
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};

    std::string verb = method ? *method : std::string();
    if (!IsPost(verb)) verb = "GET";
    if (method) *method = verb;

    const std::string path = UrlPath(url);
    InternetHandle request(HttpOpenRequestA(connection.get(), verb.c_str(), path.c_str(),
                                            "HTTP/1.1", nullptr, nullptr, INTERNET_FLAG_RELOAD, 0));
    if (!request) return {};
    SetTimeouts(request.get());

    std::string block = WithDefaultHeaders(headers ? *headers : std::string(), url);
    if (verb == "GET") {
        HttpSendRequestA(request.get(), block.data(), static_cast<DWORD>(block.size()), nullptr, 0);
    } else {
        if (!body.empty()) {
            block += kFormContentType;
            block += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        }
        // WinINet only reads the optional data; the cast drops a const it does not need.
        HttpSendRequestA(request.get(), block.data(), static_cast<DWORD>(block.size()),
                         const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
    }
    if (headers) *headers = block;

    std::string reply = ReadBody(request.get());
    if (replyHeaders) *replyHeaders = ReplyHeaders(request.get());
    return reply.substr(0, reply.find('\0'));
}
