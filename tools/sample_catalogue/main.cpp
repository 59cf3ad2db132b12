// sample_catalogue: a loopback stand-in for the online game catalogue, for tests and demos.
// See README.md for what it serves.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include "server.h"

namespace {

struct Options : loopback::Options {
    std::string baseUrl;
    Mode mode = Mode::normal;
};

constexpr char kUsage[] =
    "usage: sample_catalogue [--port N (0 = any free)] [--port-file F] [--log F]\n"
    "                        [--base-url URL] [--mode normal|down|garbage|error|close|stall|\n"
    "                         notfound|html|trickle|endless|huge|https|chunked]\n";

bool ParseOptions(int argc, char** argv, Options& options) {
    return loopback::ParseOptions(
        argc, argv, options, [&](std::string_view name, const std::string& value) {
            if (name == "--base-url") {
                options.baseUrl = value;
                while (!options.baseUrl.empty() && options.baseUrl.back() == '/') {
                    options.baseUrl.pop_back();
                }
                return true;
            }
            if (name == "--mode") {
                const auto mode = ModeFromName(value);
                if (mode) options.mode = *mode;
                return mode.has_value();
            }
            return false;
        });
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    RequestLog log;
    if (!options.logFile.empty() && !log.Open(options.logFile)) {
        std::fprintf(stderr, "sample_catalogue: cannot open %s\n", options.logFile.c_str());
        return 1;
    }
    // Down, the port is held bound without listening: connections are refused, and nothing
    // else can take the port before the catalogue comes up on it.
    const bool down = options.mode == Mode::down;
    Socket listener = loopback::Listen(options.port, AF_INET, !down);
    if (!listener) {
        std::fprintf(stderr, "sample_catalogue: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    const int port = loopback::LocalPort(listener);
    if (options.baseUrl.empty()) options.baseUrl = "http://127.0.0.1:" + std::to_string(port);
    sigset_t comeUp;
    sigemptyset(&comeUp);
    sigaddset(&comeUp, SIGUSR1);
    if (down) pthread_sigmask(SIG_BLOCK, &comeUp, nullptr);  // before anyone knows the port
    if (!options.portFile.empty() && !loopback::PublishPort(options.portFile, port)) {
        std::fprintf(stderr, "sample_catalogue: cannot write %s\n", options.portFile.c_str());
        return 1;
    }
    if (down) {
        std::printf("down: nothing listens on 127.0.0.1:%d until SIGUSR1\n", port);
        std::fflush(stdout);
        int received = 0;
        sigwait(&comeUp, &received);
        if (listen(listener.fd(), SOMAXCONN) != 0) {
            std::fprintf(stderr, "sample_catalogue: cannot listen on 127.0.0.1:%d\n", port);
            return 1;
        }
        options.mode = Mode::normal;
    }
    std::printf("listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    CatalogueServer server(options.baseUrl, options.mode, log);
    server.Run(listener);
    std::fprintf(stderr, "sample_catalogue: accept failed\n");
    return 1;
}
