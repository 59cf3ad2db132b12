// The program's one HTTP exchange (WinINet, Windows only).
//
// Texts are GBK bytes. The call blocks for the whole exchange; each phase (connect, send,
// receive) gives up after 18 seconds. Failures are not reported: whatever body arrived, maybe
// nothing, comes back.
#pragma once

#include <string>
#include <string_view>

// Performs one HTTP/1.1 request and returns the reply body, cut at its first zero byte.
//   url           http://host[:port]/path?query ("http://" may be left out; port 80 by default)
//   method        "POST" in any letter case sends a POST with that spelling; anything else (also
//                 nullptr) sends a GET and the variable, when given, becomes "GET"
//   proxy         "host:port" of an HTTP proxy for this call; empty: direct
//   headers       extra request header lines, each ending in "\r\n"; the variable comes back
//                 holding the whole block sent (defaults for Accept, Referer and Accept-Language
//                 added where missing, plus Content-Type and Content-Length for a POST body)
//   body          request body, sent only with a POST
//   replyHeaders  receives the raw reply header block, whatever its length
// The empty text comes back when no connection or request could be opened.
std::string HttpRequest(std::string_view url, std::string* method = nullptr,
                        std::string_view proxy = {}, std::string* headers = nullptr,
                        std::string_view body = {}, std::string* replyHeaders = nullptr);
