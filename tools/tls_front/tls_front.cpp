// tls_front: HTTPS in front of a loopback HTTP server, for the tests of https:// catalogues.
//
//   tls_front --target PORT --cert F --key F --port 0 --port-file F [--fault cut|no-common]
//
// Listens on 127.0.0.1 and ::1 at one port (0: any free one; both, so that "localhost" reaches
// it whichever address a client tries first), writes the port to the port file once it
// accepts connections, and serves each connection on a thread of its own: the TLS handshake
// with the certificate (chain) and key given, then the request head is passed on to
// 127.0.0.1:PORT and the answer back until that server closes. One request per connection, as
// the servers behind it answer ("Connection: close").
//
// With --fault, no handshake ever completes, for the tests of TLS failures that are not the
// certificate's: "cut" reads the client's first message and closes the connection; "no-common"
// offers only anonymous TLS 1.2 cipher suites, which no client accepts, so the handshake ends
// with the server's alert.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "tools/loopback_socket.h"

namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr int kIdleSeconds = 60;  // a silent peer is dropped after this

struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

Socket Listen(int family, int port) {
    Socket s(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s) return s;
    const int on = 1;
    setsockopt(s.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int bound;
    if (family == AF_INET) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bound = bind(s.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    } else {
        setsockopt(s.fd(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(static_cast<uint16_t>(port));
        address.sin6_addr = in6addr_loopback;
        bound = bind(s.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    if (bound != 0 || listen(s.fd(), 64) != 0) return Socket();
    return s;
}

Socket ConnectToTarget(int port) {
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

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

enum class Fault { kNone, kCut, kNoCommon };

void Serve(SSL_CTX* context, Socket client, int targetPort, Fault fault) {
    const timeval idle{kIdleSeconds, 0};
    setsockopt(client.fd(), SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
    if (fault == Fault::kCut) {
        char hello[4096];
        recv(client.fd(), hello, sizeof hello, 0);
        return;
    }
    std::unique_ptr<SSL, SslFree> ssl(SSL_new(context));
    if (!ssl || SSL_set_fd(ssl.get(), client.fd()) != 1) return;
    // A client that refuses the certificate ends here, with its alert.
    if (SSL_accept(ssl.get()) != 1) return;

    std::string head;
    char buffer[16384];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHeadBytes) {
        const int got = SSL_read(ssl.get(), buffer, sizeof buffer);
        if (got <= 0) return;
        head.append(buffer, static_cast<size_t>(got));
    }
    Socket target = ConnectToTarget(targetPort);
    if (!target || !SendAll(target.fd(), head)) return;
    setsockopt(target.fd(), SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
    for (;;) {
        const ssize_t got = recv(target.fd(), buffer, sizeof buffer, 0);
        if (got <= 0) break;
        if (SSL_write(ssl.get(), buffer, static_cast<int>(got)) <= 0) return;
    }
    SSL_shutdown(ssl.get());
}

void AcceptLoop(const Socket& listener, SSL_CTX* context, int targetPort, Fault fault) {
    for (;;) {
        Socket client(accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            std::perror("tls_front: accept");
            std::exit(1);
        }
        std::thread(Serve, context, std::move(client), targetPort, fault).detach();
    }
}

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
    int targetPort = 0;
    std::string portFile, certificate, key;
    Fault fault = Fault::kNone;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--port") {
            port = std::atoi(argv[i + 1]);
        } else if (option == "--target") {
            targetPort = std::atoi(argv[i + 1]);
        } else if (option == "--port-file") {
            portFile = argv[i + 1];
        } else if (option == "--cert") {
            certificate = argv[i + 1];
        } else if (option == "--key") {
            key = argv[i + 1];
        } else if (option == "--fault") {
            const std::string_view name = argv[i + 1];
            if (name != "cut" && name != "no-common") {
                std::fprintf(stderr, "tls_front: unknown fault %s\n", argv[i + 1]);
                return 2;
            }
            fault = name == "cut" ? Fault::kCut : Fault::kNoCommon;
        } else if (option != "--log") {  // with-server passes a log; nothing is logged here
            std::fprintf(stderr, "tls_front: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (targetPort <= 0 || certificate.empty() || key.empty()) {
        std::fputs(
            "usage: tls_front --target PORT --cert F --key F [--port N] [--port-file F] "
            "[--fault cut|no-common]\n",
            stderr);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<SSL_CTX, SslFree> context(SSL_CTX_new(TLS_server_method()));
    if (!context || SSL_CTX_use_certificate_chain_file(context.get(), certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context.get(), key.c_str(), SSL_FILETYPE_PEM) != 1) {
        ERR_print_errors_fp(stderr);
        return 1;
    }
    if (fault == Fault::kNoCommon &&
        (SSL_CTX_set_max_proto_version(context.get(), TLS1_2_VERSION) != 1 ||
         SSL_CTX_set_cipher_list(context.get(), "aNULL:@SECLEVEL=0") != 1)) {
        ERR_print_errors_fp(stderr);
        return 1;
    }
    Socket v4 = Listen(AF_INET, port);
    if (!v4) {
        std::perror("tls_front: listen");
        return 1;
    }
    port = LocalPort(v4);
    Socket v6 = Listen(AF_INET6, port);  // where IPv6 is missing, 127.0.0.1 alone
    if (!portFile.empty() && !PublishPort(portFile, port)) {
        std::perror("tls_front: port file");
        return 1;
    }
    std::printf("TLS on localhost:%d for 127.0.0.1:%d\n", port, targetPort);
    std::fflush(stdout);
    if (v6) std::thread(AcceptLoop, std::cref(v6), context.get(), targetPort, fault).detach();
    AcceptLoop(v4, context.get(), targetPort, fault);
    return 1;
}
