// The program's HTTP exchanges (WinINet, Windows only).
//
// HttpRequest is the general routine: any method, proxy and headers; it blocks for the whole
// exchange, each phase (connect, send, receive) giving up after 18 seconds, and reports no
// failure: whatever body arrived, maybe nothing, comes back. HttpGet is what the catalogue
// fetches use: a GET bounded in time and size that can be cancelled from another thread and
// says how it ended. Texts are GBK bytes.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/fetch_outcome.h"

// Performs one HTTP/1.1 request and returns the reply body, cut at its first zero byte.
//   url           http://host[:port]/path?query ("http://" may be left out; port 80 by default)
//                 or https://host[:port]/path?query (port 443 by default; the server's
//                 certificate is checked)
//   method        "POST" in any letter case sends a POST with that spelling; anything else (also
//                 nullptr) sends a GET and the variable, when given, becomes "GET"
//   proxy         "host:port" of an HTTP proxy for this call; empty: the system's internet
//                 settings (as the embedded browser uses them), but never a proxy for this
//                 machine's own addresses (localhost, 127.x.x.x)
//   headers       extra request header lines, each ending in "\r\n"; the variable comes back
//                 holding the whole block sent (defaults for Accept, Referer and Accept-Language
//                 added where missing, plus Content-Type and Content-Length for a POST body)
//   body          request body, sent only with a POST
//   replyHeaders  receives the raw reply header block, whatever its length
// The empty text comes back when no connection or request could be opened.
std::string HttpRequest(std::string_view url, std::string* method = nullptr,
                        std::string_view proxy = {}, std::string* headers = nullptr,
                        std::string_view body = {}, std::string* replyHeaders = nullptr);

// Stops an HttpGet under way on another thread. Cancel closes the exchange's open internet
// handles, the documented way to make a blocking WinINet call return, and every later step of
// the exchange ends at once as cancelled. Wine does not let a blocked call return early: a
// caller that must regain control at once stops waiting for the exchange instead, and keeps
// this object alive until the exchange has ended (shared ownership).
class HttpCancel {
public:
    HttpCancel() = default;
    HttpCancel(const HttpCancel&) = delete;
    HttpCancel& operator=(const HttpCancel&) = delete;

    void Cancel();  // any thread; idempotent
    bool Cancelled() const;

    // For the exchange: Hold lets Cancel close `handle` (false, with the handle closed, when
    // already cancelled); Close closes it unless Cancel did. Handles are closed exactly once.
    bool Hold(void* handle);
    void Close(void* handle);

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    std::vector<void*> held_;  // newest last: closed child first
};

struct HttpGetOptions {
    unsigned timeLimitMs = kFetchTimeLimitMs;  // for the whole exchange
    size_t sizeLimit = kReplySizeLimit;        // for the body
    HttpCancel* cancel = nullptr;              // not owned; must outlive the call
};

struct HttpReply {
    FetchOutcome outcome;
    std::string body;  // cut at its first zero byte; whatever arrived, also on failure
};

// A plain GET of `url` (as HttpRequest sends it, with the default headers) that ends as:
//   kSucceeded      a status below 300 and the whole body
//   kHttpError      a status of 300 or more (redirects not followed included: to another
//                   scheme, or more than 5 in a row), but for
//   kProxyLogin     407: the proxy asks for a log-in
//   kCannotConnect  no connection (refused, host not found, no network)
//   kCertificateInvalid  the https:// server's certificate failed the check
//   kSecureChannelFailed  no TLS connection with the https:// server came about otherwise (no
//                   protocol or cipher in common, the handshake cut off)
//   kTimedOut       a phase gave up after 18 s, or the time limit passed
//   kInterrupted    the connection broke off before the announced body had arrived
//   kTooLarge       the body (or its announced length) is beyond the size limit
//   kCancelled      options.cancel was cancelled
HttpReply HttpGet(std::string_view url, const HttpGetOptions& options = {});
