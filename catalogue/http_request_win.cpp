#include "catalogue/http_request.h"

#include <windows.h>
#include <wininet.h>

#include <charconv>
#include <algorithm>
#include <optional>
#include <utility>

#include "text/text_utils.h"

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kTimeoutMs = 18000;
constexpr DWORD kReadChunk = 512;
// The bounded GET reads larger chunks: a reply may be megabytes long before the size limit.
constexpr DWORD kBoundedReadChunk = 16384;
constexpr int kMaxRedirects = 5;
// A failure this close to the end of a phase's time-out counts as that time-out.
constexpr ULONGLONG kTimeoutSlackMs = 250;
constexpr DWORD kReplyHeadersGuess = 1024;
constexpr char kDefaultAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr char kDefaultLanguage[] = "Accept-Language: zh-cn\r\n";
constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded\r\n";

// Owns one WinINet handle. WinINet wants the handles derived from a handle closed before that
// handle itself, so owners must be declared parent first: they are destroyed child first. With a
// cancel object the handle is closed through it, so a cancel and the owner never both close it.
class InternetHandle {
public:
    InternetHandle(HINTERNET handle, HttpCancel* cancel = nullptr)
        : handle_(handle), cancel_(handle ? cancel : nullptr) {
        // Cancelled before the handle existed: it is closed at once and the exchange stops.
        if (cancel_ && !cancel_->Hold(handle_)) handle_ = nullptr;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (!handle_) return;
        if (cancel_) {
            cancel_->Close(handle_);
        } else {
            InternetCloseHandle(handle_);
        }
    }

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
    HttpCancel* cancel_;
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

// Each phase gives up after `timeout` ms (the request handle's options, which Wine honours too).
void SetTimeouts(HINTERNET request, DWORD timeout) {
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

// How a bounded exchange is held to its limits; HttpRequest has none of them.
struct Bounds {
    ULONGLONG deadline = 0;  // GetTickCount64 value; 0: none
    size_t sizeLimit = std::string::npos;
    HttpCancel* cancel = nullptr;

    bool Cancelled() const { return cancel && cancel->Cancelled(); }
    bool Expired() const { return deadline && GetTickCount64() >= deadline; }
    // The per-phase time-out: kTimeoutMs, but never past the deadline (at least 1 ms, since 0
    // would mean none at all). Wine takes it only before the request is sent.
    DWORD PhaseTimeout() const {
        if (!deadline) return kTimeoutMs;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return 1;
        return static_cast<DWORD>(std::min<ULONGLONG>(kTimeoutMs, deadline - now));
    }
};

// WinINet reports its own codes, and under Wine sometimes the socket's.
FetchStatus StatusOfError(DWORD error) {
    switch (error) {
        // The server's certificate failed the check: never accepted, and never mistaken for a
        // network fault, since trying again elsewhere will not help.
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
        case ERROR_INTERNET_SEC_CERT_NO_REV:
        case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
        case ERROR_INTERNET_SEC_INVALID_CERT:
            return FetchStatus::kCertificateInvalid;
        // Any other failure of the TLS handshake: trying again may help, but "cannot connect"
        // would send the user to check the network, which works.
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
        case ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP:
            return FetchStatus::kSecureChannelFailed;
        case ERROR_INTERNET_TIMEOUT:
        case WSAETIMEDOUT:
            return FetchStatus::kTimedOut;
        case ERROR_INTERNET_OPERATION_CANCELLED:
            return FetchStatus::kCancelled;
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
        case ERROR_HTTP_INVALID_SERVER_RESPONSE:
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return FetchStatus::kInterrupted;
        default:
            return FetchStatus::kCannotConnect;
    }
}

// The whole body as HttpRequest reads it: 512-byte reads until one delivers nothing.
void ReadAll(HINTERNET request, std::string& body) {
    DWORD got = 1;
    while (got > 0) {
        char chunk[kReadChunk] = {};
        DispatchPendingMessages();
        got = 0;
        if (!InternetReadFile(request, chunk, kReadChunk, &got)) got = 0;
        body.append(chunk, got);
    }
}

// The body within the bounds. A read asks only for what has arrived: a synchronous read waits
// until its whole buffer is full, which a server sending a byte now and then would stretch
// without end; each wait for data is one receive (18 s at most), and the deadline is checked
// between them.
FetchStatus ReadBounded(HINTERNET request, const Bounds& bounds, std::string& body,
                        DWORD& lastError) {
    std::string chunk(kBoundedReadChunk, '\0');
    for (;;) {
        DWORD available = 0;
        const BOOL ready = InternetQueryDataAvailable(request, &available, 0, 0);
        if (!ready) lastError = GetLastError();
        if (bounds.Cancelled()) return FetchStatus::kCancelled;
        if (!ready) return StatusOfError(lastError);
        if (available == 0) return FetchStatus::kSucceeded;
        DWORD got = 0;
        const BOOL read = InternetReadFile(request, chunk.data(),
                                           std::min<DWORD>(available, kBoundedReadChunk), &got);
        if (!read) lastError = GetLastError();
        if (bounds.Cancelled()) return FetchStatus::kCancelled;
        if (!read) return StatusOfError(lastError);
        body.append(chunk, 0, got);
        if (body.size() > bounds.sizeLimit) return FetchStatus::kTooLarge;
        if (bounds.Expired()) return FetchStatus::kTimedOut;
    }
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

// A text-valued reply header; empty when the reply has none.
std::string TextHeader(HINTERNET request, DWORD info) {
    std::string value(1024, '\0');
    DWORD size = static_cast<DWORD>(value.size());
    if (!HttpQueryInfoA(request, info, value.data(), &size, nullptr)) return {};
    value.resize(std::min<size_t>(size, value.size()));
    return value;
}

// A number-valued reply header, read as text (Wine has no 64-bit number queries); nothing when
// the reply has none or it is no number.
std::optional<unsigned long long> NumberHeader(HINTERNET request, DWORD info) {
    const std::string text = TextHeader(request, info);
    if (text.empty()) return std::nullopt;
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// One exchange from opening the internet handle to reading the body. The handles close when it
// goes, child first.
class Exchange {
public:
    Exchange(std::string_view url, std::string_view proxy, const Bounds& bounds)
        : bounds_(bounds),
          internet_(OpenInternet(url, proxy), bounds.cancel),
          connection_(Connect(internet_, url, bounds.cancel), bounds.cancel) {}

    explicit operator bool() const { return internet_ && connection_; }

    // Opens the request and sends it; false when no request could be opened.
    bool Send(std::string_view url, const std::string& verb, std::string& block,
              std::string_view body, DWORD flags = 0) {
        const std::string path = UrlPath(url);
        // TLS for https://, with WinINet's full check of the server's certificate: no flag
        // that ignores a certificate error is ever given.
        if (UrlIsHttps(url)) flags |= INTERNET_FLAG_SECURE;
        request_.emplace(HttpOpenRequestA(connection_.get(), verb.c_str(), path.c_str(), "HTTP/1.1",
                                          nullptr, nullptr, INTERNET_FLAG_RELOAD | flags, 0),
                         bounds_.cancel);
        if (!*request_) return false;
        phaseTimeout_ = bounds_.PhaseTimeout();
        SetTimeouts(request_->get(), phaseTimeout_);
        sendStarted_ = GetTickCount64();

        block = WithDefaultHeaders(std::move(block), url);
        if (verb == "GET") {
            sent_ = HttpSendRequestA(request_->get(), block.data(),
                                     static_cast<DWORD>(block.size()), nullptr, 0);
        } else {
            if (!body.empty()) {
                block += kFormContentType;
                block += "Content-Length: " + std::to_string(body.size()) + "\r\n";
            }
            // WinINet only reads the optional data; the cast drops a const it does not need.
            sent_ =
                HttpSendRequestA(request_->get(), block.data(), static_cast<DWORD>(block.size()),
                                 const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
        }
        if (!sent_) lastError_ = GetLastError();
        return true;
    }

    HINTERNET Request() const { return request_ ? request_->get() : nullptr; }
    bool Sent() const { return sent_; }
    // How the failed send ended. Wine reports a server that never answers as an aborted
    // connection once the receive time-out has passed: that is a time-out.
    FetchStatus SendFailure() const {
        const FetchStatus status = StatusOfError(lastError_);
        if (status == FetchStatus::kInterrupted &&
            GetTickCount64() - sendStarted_ + kTimeoutSlackMs >= phaseTimeout_) {
            return FetchStatus::kTimedOut;
        }
        return status;
    }
    DWORD LastError() const { return lastError_; }
    FetchStatus ReadBounded(std::string& body) {
        return ::ReadBounded(Request(), bounds_, body, lastError_);
    }

private:
    // The proxy given wins. Without one, the system's internet settings decide, as they do for
    // the embedded browser; but this machine's own addresses are always reached directly, since
    // a proxy elsewhere would take them for its own (Windows bypasses some of them by itself,
    // not all, and not everywhere).
    static HINTERNET OpenInternet(std::string_view url, std::string_view proxy) {
        if (!proxy.empty()) {
            const std::string list = JoinBytes({UrlIsHttps(url) ? "https=" : "http=", proxy});
            return InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PROXY, list.c_str(), "", 0);
        }
        if (IsLoopbackHost(UrlHost(url))) {
            return InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
        }
        return InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    }

    static HINTERNET Connect(const InternetHandle& internet, std::string_view url,
                             HttpCancel* cancel) {
        if (!internet || (cancel && cancel->Cancelled())) return nullptr;
        const std::string host = UrlHost(url);
        return InternetConnectA(internet.get(), host.c_str(),
                                static_cast<INTERNET_PORT>(UrlPort(url)), "", "",
                                INTERNET_SERVICE_HTTP, 0, 0);
    }

    Bounds bounds_;
    InternetHandle internet_;
    InternetHandle connection_;
    std::optional<InternetHandle> request_;
    bool sent_ = false;
    DWORD lastError_ = 0;
    DWORD phaseTimeout_ = kTimeoutMs;
    ULONGLONG sendStarted_ = 0;
};

// Where a redirect leads, when it keeps to the scheme the exchange started with: an absolute
// address of that scheme, or a path on the same server. Empty for anything else, so the
// redirect ends the exchange with its status: a step down from https:// to plain HTTP would give
// away what TLS protects, and a step up is the user's to make (the catalogue address setting).
std::string RedirectTarget(std::string_view from, std::string_view location) {
    const std::string_view scheme = UrlIsHttps(from) ? "https://" : "http://";
    if (FindText(location, scheme, 1, true) == 1) return std::string(location);
    if (location.empty() || location.front() != '/') return {};
    return JoinBytes({scheme, UrlHost(from), ":", std::to_string(UrlPort(from)), location});
}

// One GET without following redirects; `location` receives where a followable redirect leads.
HttpReply GetOnce(const std::string& url, const Bounds& bounds, std::string& location) {
    HttpReply reply;
    FetchOutcome& outcome = reply.outcome;
    const auto finish = [&](FetchStatus status, DWORD error = 0) {
        outcome.status = status;
        outcome.systemError = error;
        return std::move(reply);
    };

    Exchange exchange(url, {}, bounds);
    if (!exchange) return finish(FetchStatus::kCannotConnect, GetLastError());
    std::string block;
    if (!exchange.Send(url, "GET", block, {}, INTERNET_FLAG_NO_AUTO_REDIRECT)) {
        return finish(FetchStatus::kCannotConnect, GetLastError());
    }
    if (!exchange.Sent()) return finish(exchange.SendFailure(), exchange.LastError());
    const HINTERNET request = exchange.Request();
    outcome.httpStatus =
        static_cast<int>(NumberHeader(request, HTTP_QUERY_STATUS_CODE).value_or(0));
    // A proxy that wants a log-in is no fault of the catalogue's: the system's proxy settings
    // are the user's to mend.
    if (outcome.httpStatus == HTTP_STATUS_PROXY_AUTH_REQ) return finish(FetchStatus::kProxyLogin);
    if (outcome.httpStatus >= 300) {
        if (outcome.httpStatus < 400)
            location = RedirectTarget(url, TextHeader(request, HTTP_QUERY_LOCATION));
        return finish(FetchStatus::kHttpError);
    }

    const auto announced = NumberHeader(request, HTTP_QUERY_CONTENT_LENGTH);
    if (announced && *announced > bounds.sizeLimit) return finish(FetchStatus::kTooLarge);
    const FetchStatus read = exchange.ReadBounded(reply.body);
    if (read != FetchStatus::kSucceeded) return finish(read, exchange.LastError());
    // No status line at all (the server closed without answering), or less than announced.
    if (outcome.httpStatus == 0 || (announced && reply.body.size() < *announced)) {
        return finish(FetchStatus::kInterrupted);
    }
    return finish(FetchStatus::kSucceeded);
}

}  // namespace

void HttpCancel::Cancel() {
    std::vector<void*> handles;
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        handles.swap(held_);
    }
    for (auto handle = handles.rbegin(); handle != handles.rend(); ++handle) {
        InternetCloseHandle(*handle);
    }
}

bool HttpCancel::Cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool HttpCancel::Hold(void* handle) {
    {
        std::lock_guard lock(mutex_);
        if (!cancelled_) {
            held_.push_back(handle);
            return true;
        }
    }
    InternetCloseHandle(handle);
    return false;
}

void HttpCancel::Close(void* handle) {
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find(held_.begin(), held_.end(), handle);
        if (found == held_.end()) return;  // Cancel closed it
        held_.erase(found);
    }
    InternetCloseHandle(handle);
}

std::string HttpRequest(std::string_view url, std::string* method, std::string_view proxy,
                        std::string* headers, std::string_view body, std::string* replyHeaders) {
    Exchange exchange(url, proxy, Bounds{});
    if (!exchange) return {};

    std::string verb = method ? *method : std::string();
    if (!IsPost(verb)) verb = "GET";
    if (method) *method = verb;

    std::string block = headers ? *headers : std::string();
    if (!exchange.Send(url, verb, block, body)) return {};
    if (headers) *headers = block;

    // A failed send shows up as an empty reply; a failed read ends the body.
    std::string reply;
    ReadAll(exchange.Request(), reply);
    if (replyHeaders) *replyHeaders = ReplyHeaders(exchange.Request());
    return reply.substr(0, reply.find('\0'));
}

HttpReply HttpGet(std::string_view url, const HttpGetOptions& options) {
    Bounds bounds;
    bounds.deadline = GetTickCount64() + options.timeLimitMs;
    bounds.sizeLimit = options.sizeLimit;
    bounds.cancel = options.cancel;
    std::string target(url);
    for (int redirects = 0;; ++redirects) {
        std::string location;
        HttpReply reply = GetOnce(target, bounds, location);
        if (bounds.Cancelled()) reply.outcome.status = FetchStatus::kCancelled;
        reply.body.resize(std::min(reply.body.size(), reply.body.find('\0')));
        if (location.empty() || redirects == kMaxRedirects) return reply;
        target = std::move(location);
    }
}
