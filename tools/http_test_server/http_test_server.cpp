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
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "tools/loopback_socket.h"

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

// Binds 127.0.0.1:port; listens unless `listening` is false. Returns an invalid socket on
// failure.
Socket BindLoopback(int port, bool listening) {
    Socket s(socket(AF_INET, SOCK_STREAM, 0));
    if (!s) return s;
    int on = 1;
    setsockopt(s.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s.fd(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return Socket();
    if (listening && listen(s.fd(), 64) != 0) return Socket();
    return s;
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Value of the Content-Length header in a header block, 0 when there is none.
size_t ContentLength(std::string_view head) {
    constexpr std::string_view kName = "\r\ncontent-length:";
    for (size_t i = 0; i + kName.size() <= head.size(); ++i) {
        size_t j = 0;
        while (j < kName.size() && Lower(head[i + j]) == kName[j])
            ++j;
        if (j == kName.size()) return std::strtoul(head.data() + i + j, nullptr, 10);
    }
    return 0;
}

// Reads one request: everything up to the blank line after the headers, plus the body that
// Content-Length announces. Nothing when the client closes or stays silent too long first.
std::optional<std::string> ReadRequest(int fd) {
    std::string data;
    size_t headEnd = std::string::npos;
    char buffer[4096];
    while (true) {
        if (headEnd == std::string::npos) {
            headEnd = data.find("\r\n\r\n");
            if (headEnd != std::string::npos) headEnd += 4;
        }
        if (headEnd != std::string::npos &&
            data.size() >= headEnd + ContentLength(std::string_view(data).substr(0, headEnd))) {
            return data;
        }
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return std::nullopt;
        data.append(buffer, static_cast<size_t>(got));
    }
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

void AcceptLoop(const Socket& listener, Handler handler, const Ports& ports, RequestLog& log) {
    const int port = LocalPort(listener);
    while (true) {
        Socket client(accept(listener.fd(), nullptr, nullptr));
        if (!client) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            std::perror("accept");
            return;
        }
        timeval idle{kIdleSeconds, 0};
        setsockopt(client.fd(), SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
        std::thread([client = std::move(client), handler, port, &ports, &log]() mutable {
            std::optional<std::string> request = ReadRequest(client.fd());
            if (!request) return;
            log.Write(port, *request);
            handler(std::move(client), *request, ports);
        }).detach();
    }
}

// Writes the port under a temporary name first, so a reader never sees half a number.
bool PublishPort(const std::string& path, int port) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary);
        out << port << "\n";
        if (!out) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0;
    std::string portFile;
    std::string logFile = "/dev/null";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string_view option = argv[i];
        if (option == "--port") {
            port = std::atoi(argv[i + 1]);
        } else if (option == "--port-file") {
            portFile = argv[i + 1];
        } else if (option == "--log") {
            logFile = argv[i + 1];
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }

    Socket server = BindLoopback(port, true);
    Socket proxy = BindLoopback(0, true);
    Socket refused = BindLoopback(0, false);  // held bound so no one else takes its port
    if (!server || !proxy || !refused) {
        std::perror("bind");
        return 1;
    }
    Ports ports{LocalPort(proxy), LocalPort(refused)};
    RequestLog log(logFile);
    std::printf("listening on 127.0.0.1:%d, proxy on %d\n", LocalPort(server), ports.proxy);
    std::fflush(stdout);
    if (!portFile.empty() && !PublishPort(portFile, LocalPort(server))) {
        std::perror("port file");
        return 1;
    }

    std::thread(AcceptLoop, std::cref(proxy), &ServeProxy, std::cref(ports), std::ref(log))
        .detach();
    AcceptLoop(server, &ServeMain, ports, log);
    return 1;
}
