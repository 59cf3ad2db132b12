// sample_catalogue: a loopback stand-in for the online game catalogue, for tests and demos.
// See README.md for what it serves.
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

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
    // The port is held by a socket bound to it by number, which keeps it while the catalogue is
    // down (the socket does not listen: connections are refused, and nothing else can take the
    // port) and listens again when it comes back. SIGUSR2 takes it down, SIGUSR1 brings it back;
    // a catalogue started "down" waits for SIGUSR1. (A socket bound to port 0 would give its
    // port up on going down; two sockets may share a port while neither listens.)
    Socket listener;
    {
        const Socket any = loopback::Listen(options.port, AF_INET, false);
        const int found = loopback::LocalPort(any);
        if (found != 0) listener = loopback::Listen(found, AF_INET, false);
    }
    const int port = loopback::LocalPort(listener);
    if (port == 0 || (options.mode != Mode::down && listen(listener.fd(), SOMAXCONN) != 0)) {
        std::fprintf(stderr, "sample_catalogue: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    if (options.baseUrl.empty()) options.baseUrl = "http://127.0.0.1:" + std::to_string(port);
    sigset_t upDown;
    sigemptyset(&upDown);
    sigaddset(&upDown, SIGUSR1);
    sigaddset(&upDown, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &upDown, nullptr);  // in every thread, before the port is known
    if (!options.portFile.empty() && !loopback::PublishPort(options.portFile, port)) {
        std::fprintf(stderr, "sample_catalogue: cannot write %s\n", options.portFile.c_str());
        return 1;
    }

    std::mutex lock;
    std::condition_variable changed;
    bool up = options.mode != Mode::down;
    int downs = 0;
    std::thread([&] {
        for (;;) {
            int received = 0;
            sigwait(&upDown, &received);
            const std::lock_guard<std::mutex> hold(lock);
            if (received == SIGUSR2 && up) {
                shutdown(listener.fd(), SHUT_RDWR);  // the accept loop ends; the port stays
                up = false;
                ++downs;
            } else if (received == SIGUSR1 && !up && listen(listener.fd(), SOMAXCONN) == 0) {
                up = true;
                changed.notify_all();
            }
        }
    }).detach();

    CatalogueServer server(options.baseUrl,
                           options.mode == Mode::down ? Mode::normal : options.mode, log);
    for (;;) {
        int downsBefore = 0;
        {
            std::unique_lock<std::mutex> hold(lock);
            if (!up) std::printf("down: nothing listens on 127.0.0.1:%d until SIGUSR1\n", port);
            std::fflush(stdout);
            changed.wait(hold, [&] { return up; });
            downsBefore = downs;
        }
        std::printf("listening on 127.0.0.1:%d\n", port);
        std::fflush(stdout);
        server.Run(listener);
        const std::lock_guard<std::mutex> hold(lock);
        if (downs == downsBefore) break;  // not taken down: accepting failed
    }
    std::fprintf(stderr, "sample_catalogue: accept failed\n");
    return 1;
}
