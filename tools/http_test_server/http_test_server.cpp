// Loopback HTTP server for the Windows tests of the HTTP routine.
//
//   http_test_server --port 0 --port-file F --log F
//
// Listens on 127.0.0.1 at the given port (0: any free one) and writes the port to the port file
// once it accepts connections. Every request is read whole (request line, header block and a
// Content-Length body) and appended byte for byte to the log. One thread per connection; each
// reply ends with "Connection: close" so no connection outlives its request.
//
// Routes of the main port (the query string is ignored):
//   /echo          200, the body is the request exactly as received
//   /zero-byte     200, a body with a zero byte in the middle
//   /long-headers  200, a header block of about 3000 bytes
//   /large         200, a body of kLargeSize bytes of LargeBodyByte(i)
//   /close         closes the connection without sending anything
//   /stall         never answers; waits until the client gives up
//   /endless       200 without a length, then a body that never ends
//   /redirect-echo 302 to /echo on this server
//   /proxy-port    200, the decimal port of the proxy listener
//   /refused-port  200, the decimal port of a socket bound but not listening (connects fail)
//   anything else  404
// The proxy port answers every request itself: "proxied\r\n" followed by the request received,
// whose request line then carries the absolute URL.
#include <sys/socket.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "tools/loopback/loopback_server.h"

namespace {

constexpr size_t kLargeSize = 100000;
constexpr int kIdleSeconds = 120;  // a stalled or silent client is dropped after this

char LargeBodyByte(size_t i) {
    return static_cast<char>('a' + i % 26);
}

class RequestLog {
public:
    explicit RequestLog(const std::string& path) : out_(path, std::ios::binary | std::ios::app) {}
    void Write(int port, std::string_view request) {
        std::lock_guard lock(mutex_);
        out_ << "--- port " << port << ", " << request.size() << " bytes\n" << request << "\n";
        out_.flush();
    }

private:
    std::mutex mutex_;
    std::ofstream out_;
};

using loopback::SendAll;
using loopback::Socket;

// Value of the Content-Length header in a request head, 0 when there is none.
size_t ContentLength(std::string_view head) {
    constexpr std::string_view kName = "\r\ncontent-length:";
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (size_t i = 0; i + kName.size() <= head.size(); ++i) {
        size_t j = 0;
        while (j < kName.size() && lower(head[i + j]) == kName[j])
            ++j;
        if (j < kName.size()) continue;
        size_t value = 0;
        size_t at = i + j;
        while (at < head.size() && (head[at] == ' ' || head[at] == '\t'))
            ++at;
        std::from_chars(head.data() + at, head.data() + head.size(), value);
        return value;
    }
    return 0;
}

// Reads one request: the head up to its blank line, plus the body that Content-Length
// announces. Nothing when the client closes or stays silent too long first.
std::optional<std::string> ReadRequest(int fd) {
    std::string data = loopback::ReadRequestHead(fd, std::string::npos);
    const size_t headEnd = data.find("\r\n\r\n");
    if (headEnd == std::string::npos) return std::nullopt;
    const size_t size = headEnd + 4 + ContentLength(std::string_view(data).substr(0, headEnd + 4));
    char buffer[4096];
    while (data.size() < size) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return std::nullopt;
        data.append(buffer, static_cast<size_t>(got));
    }
    return data;
}

std::string Reply(std::string_view route, std::string_view body, std::string_view headers = {},
                  std::string_view status = "200 OK") {
    std::string reply = "HTTP/1.1 ";
    reply += status;
    reply += "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
             "\r\nConnection: close\r\nX-Route: ";
    reply += route;
    reply += "\r\n";
    reply += headers;
    reply += "\r\n";
    reply += body;
    return reply;
}

// The path of the request line without its query: "GET /echo?x HTTP/1.1" gives "/echo".
std::string_view RoutePath(std::string_view request) {
    size_t start = request.find(' ');
    if (start == std::string_view::npos) return {};
    size_t end = request.find_first_of(" ?\r", start + 1);
    if (end == std::string_view::npos) return {};
    return request.substr(start + 1, end - start - 1);
}

struct Ports {
    int proxy = 0;
    int refused = 0;
};

// Waits until the client closes the connection (or kIdleSeconds pass), sending nothing.
void WaitForClientToLeave(int fd) {
    char buffer[256];
    while (recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
}

void ServeMain(Socket client, const std::string& request, const Ports& ports) {
    std::string_view path = RoutePath(request);
    std::string reply;
    if (path == "/echo") {
        reply = Reply("echo", request);
    } else if (path == "/zero-byte") {
        reply = Reply("zero-byte", std::string_view("before\0after", 12));
    } else if (path == "/long-headers") {
        std::string headers;
        for (int i = 0; i < 40; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "X-Filler-%02d: ", i);
            headers += name + std::string(60, static_cast<char>('a' + i % 26)) + "\r\n";
        }
        reply = Reply("long-headers", "long headers", headers);
    } else if (path == "/large") {
        std::string body(kLargeSize, '\0');
        for (size_t i = 0; i < body.size(); ++i)
            body[i] = LargeBodyByte(i);
        reply = Reply("large", body);
    } else if (path == "/close") {
        return;
    } else if (path == "/stall") {
        WaitForClientToLeave(client.fd());
        return;
    } else if (path == "/endless") {
        SendAll(client.fd(), "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        const std::string block(64 * 1024, 'e');
        while (SendAll(client.fd(), block)) {
        }
        return;
    } else if (path == "/redirect-echo") {
        reply = Reply("redirect-echo", "", "Location: /echo?redirected=1\r\n", "302 Found");
    } else if (path == "/proxy-port") {
        reply = Reply("proxy-port", std::to_string(ports.proxy));
    } else if (path == "/refused-port") {
        reply = Reply("refused-port", std::to_string(ports.refused));
    } else {
        reply = Reply("none", "not found", {}, "404 Not Found");
    }
    SendAll(client.fd(), reply);
}

void ServeProxy(Socket client, const std::string& request, const Ports&) {
    SendAll(client.fd(), Reply("proxy", "proxied\r\n" + request));
}

using Handler = void (*)(Socket, const std::string&, const Ports&);

void Serve(const Socket& listener, Handler handler, const Ports& ports, RequestLog& log) {
    const int port = loopback::LocalPort(listener);
    loopback::AcceptLoop(listener, [handler, port, &ports, &log](Socket client) {
        loopback::SetReceiveTimeout(client.fd(), kIdleSeconds);
        std::optional<std::string> request = ReadRequest(client.fd());
        if (!request) return;
        log.Write(port, *request);
        handler(std::move(client), *request, ports);
    });
    std::perror("accept");
}

}  // namespace

int main(int argc, char** argv) {
    loopback::Options options;
    options.logFile = "/dev/null";
    if (!loopback::ParseOptions(argc, argv, options)) {
        std::fputs("usage: http_test_server [--port N] [--port-file F] [--log F]\n", stderr);
        return 2;
    }

    Socket server = loopback::Listen(options.port);
    Socket proxy = loopback::Listen(0);
    Socket refused = loopback::Listen(0, AF_INET, false);  // held so no one else takes its port
    if (!server || !proxy || !refused) {
        std::perror("bind");
        return 1;
    }
    const int port = loopback::LocalPort(server);
    Ports ports{loopback::LocalPort(proxy), loopback::LocalPort(refused)};
    RequestLog log(options.logFile);
    std::printf("listening on 127.0.0.1:%d, proxy on %d\n", port, ports.proxy);
    std::fflush(stdout);
    if (!options.portFile.empty() && !loopback::PublishPort(options.portFile, port)) {
        std::perror("port file");
        return 1;
    }

    std::thread(Serve, std::cref(proxy), &ServeProxy, std::cref(ports), std::ref(log)).detach();
    Serve(server, &ServeMain, ports, log);
    return 1;
}
