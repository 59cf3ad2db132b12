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

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "tools/loopback/loopback_server.h"

namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr int kIdleSeconds = 60;  // a silent peer is dropped after this

struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

using loopback::SendAll;
using loopback::Socket;

enum class Fault { kNone, kCut, kNoCommon };

void Serve(SSL_CTX* context, Socket client, int targetPort, Fault fault) {
    loopback::SetReceiveTimeout(client.fd(), kIdleSeconds);
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
    Socket target = loopback::ConnectToLoopback(targetPort);
    if (!target || !SendAll(target.fd(), head)) return;
    loopback::SetReceiveTimeout(target.fd(), kIdleSeconds);
    for (;;) {
        const ssize_t got = recv(target.fd(), buffer, sizeof buffer, 0);
        if (got <= 0) break;
        if (SSL_write(ssl.get(), buffer, static_cast<int>(got)) <= 0) return;
    }
    SSL_shutdown(ssl.get());
}

// Serves the connections `listener` accepts; the whole front ends when accepting fails.
void Accept(const Socket& listener, SSL_CTX* context, int targetPort, Fault fault) {
    loopback::AcceptLoop(listener, [context, targetPort, fault](Socket client) {
        Serve(context, std::move(client), targetPort, fault);
    });
    std::perror("tls_front: accept");
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    loopback::Options options;  // a --log given is taken and ignored: nothing is logged here
    int targetPort = 0;
    std::string certificate, key;
    Fault fault = Fault::kNone;
    bool faultKnown = true;
    const bool understood = loopback::ParseOptions(
        argc, argv, options, [&](std::string_view name, const std::string& value) {
            if (name == "--target") {
                std::from_chars(value.data(), value.data() + value.size(), targetPort);
            } else if (name == "--cert") {
                certificate = value;
            } else if (name == "--key") {
                key = value;
            } else if (name == "--fault") {
                faultKnown = value == "cut" || value == "no-common";
                fault = value == "cut" ? Fault::kCut : Fault::kNoCommon;
            } else {
                return false;
            }
            return true;
        });
    if (!understood || !faultKnown || targetPort <= 0 || certificate.empty() || key.empty()) {
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
    Socket v4 = loopback::Listen(options.port, AF_INET);
    if (!v4) {
        std::perror("tls_front: listen");
        return 1;
    }
    const int port = loopback::LocalPort(v4);
    Socket v6 = loopback::Listen(port, AF_INET6);  // where IPv6 is missing, 127.0.0.1 alone
    if (!options.portFile.empty() && !loopback::PublishPort(options.portFile, port)) {
        std::perror("tls_front: port file");
        return 1;
    }
    std::printf("TLS on localhost:%d for 127.0.0.1:%d\n", port, targetPort);
    std::fflush(stdout);
    if (v6) std::thread(Accept, std::cref(v6), context.get(), targetPort, fault).detach();
    Accept(v4, context.get(), targetPort, fault);
    return 1;
}
