#include "tools/loopback/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <thread>
#include <utility>

namespace loopback {

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

Socket::~Socket() {
    if (fd_ >= 0) close(fd_);
}

int Socket::Release() {
    return std::exchange(fd_, -1);
}

Socket Listen(int port, int family, bool listening) {
    Socket s(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s) return s;
    const int on = 1;
    setsockopt(s.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int bound;
    if (family == AF_INET6) {
        setsockopt(s.fd(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(static_cast<uint16_t>(port));
        address.sin6_addr = in6addr_loopback;
        bound = bind(s.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    } else {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bound = bind(s.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    if (bound != 0 || (listening && listen(s.fd(), 64) != 0)) return Socket();
    return s;
}

Socket ConnectToLoopback(int port) {
    Socket s(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!s || connect(s.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return Socket();
    }
    return s;
}

int LocalPort(const Socket& socket) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

std::string ReadRequestHead(int fd, size_t limit) {
    std::string data;
    char buffer[16384];
    while (data.find("\r\n\r\n") == std::string::npos && data.size() < limit) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        data.append(buffer, static_cast<size_t>(got));
    }
    return data;
}

void SetReceiveTimeout(int fd, int seconds) {
    const timeval idle{seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
}

bool PublishPort(const std::string& path, int port) {
    const std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "w");
    if (!file) return false;
    const bool written = std::fprintf(file, "%d\n", port) > 0;
    if (std::fclose(file) != 0 || !written) return false;
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

void AcceptLoop(const Socket& listener, const std::function<void(Socket)>& handler) {
    for (;;) {
        Socket client(accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client) {
            // Out of descriptors is passing: threads that end give theirs back.
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE) continue;
            return;
        }
        std::thread(handler, std::move(client)).detach();
    }
}

bool ParseOptions(int argc, char** argv, Options& options, const OtherOption& other) {
    for (int i = 1; i < argc; i += 2) {
        const std::string_view name = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[i + 1];
        if (name == "--port") {
            int port = -1;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), port);
            if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
                port < 0 || port > 65535) {
                return false;
            }
            options.port = port;
        } else if (name == "--port-file") {
            options.portFile = value;
        } else if (name == "--log") {
            options.logFile = value;
        } else if (!other || !other(name, value)) {
            return false;
        }
    }
    return true;
}

}  // namespace loopback
