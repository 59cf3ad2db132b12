// The sample catalogue's HTTP side: a loopback listener, one thread per connection, one
// request per connection ("Connection: close").
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "game_data.h"
#include "tools/loopback/loopback_server.h"

using loopback::Socket;

// How every request is answered; all but `normal` are faults for the program's tests.
enum class Mode {
    normal,
    down,        // the port is reported but nothing listens on it: connections are refused
    garbage,     // "200 OK" with random bytes as the body
    error,       // "500 Internal Server Error" with an HTML error page
    close,       // the normal headers and half the body, then the connection is closed
    stall,       // the request is read and held until the mode changes or the client gives up
    notfound,    // "404 Not Found" with an HTML error page
    html,        // "200 OK" with an HTML page that is no catalogue reply (a portal page, say)
    trickle,     // the normal headers, then the body one byte every kTrickleSeconds
    endless,     // "200 OK" without a length and a body that never ends, sent as fast as it goes
    huge,        // "200 OK" announcing and sending a body of kHugeBytes
    https,       // "302 Found" to the same target on https:// at the same host and port
    chunked,     // the normal answer in chunked transfer coding, several chunks
    proxylogin,  // "407 Proxy Authentication Required", as a proxy that wants a log-in answers
    crowded,     // "200 OK" with a hot list of kCrowdedGames records (one page's, repeated)
};

constexpr int kTrickleSeconds = 2;
constexpr size_t kHugeBytes = 20u << 20;
constexpr size_t kCrowdedGames = 5000;

std::optional<Mode> ModeFromName(std::string_view name);

// Appends each request target as one line, flushed at once, so tests see every request.
class RequestLog {
public:
    bool Open(const std::string& path);
    void Append(std::string_view target);

private:
    struct FileCloser {
        void operator()(FILE* file) const { std::fclose(file); }
    };
    std::mutex mutex_;
    std::unique_ptr<FILE, FileCloser> file_;
};

struct Response {
    int status = 200;
    std::string reason = "OK";
    std::string contentType = "text/html; charset=utf-8";
    std::string headers;  // further header lines, each ending in "\r\n"
    std::string body;
};

class CatalogueServer {
public:
    CatalogueServer(std::string baseUrl, Mode mode, RequestLog& log);

    // Accepts connections until the listener fails; each is served on a thread of its own.
    void Run(const Socket& listener);

    // The normal answer to a request target.
    Response Answer(std::string_view target);

    // The answer to a /control/ target. GET /control/mode?m=NAME switches how later requests
    // are answered (every mode but `down`, which would take the control path away too) and
    // releases the requests a stall holds.
    Response Control(std::string_view target);

private:
    void Serve(Socket connection);
    // Holds a request while the mode is `stall`; false when the client gave up meanwhile.
    bool WaitWhileStalled(const Socket& connection) const;
    // The modes whose reply is not one block of head and body.
    void SendStreamed(const Socket& connection, Mode mode, const Response& response,
                      std::string_view target) const;

    std::string baseUrl_;
    std::atomic<Mode> mode_;
    RequestLog& log_;
    GameData games_;
};
