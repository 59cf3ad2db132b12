// sample_catalogue: a loopback stand-in for the online game catalogue, for tests and demos.
// See README.md for what it serves.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "server.h"

namespace {

struct Options {
    int port = 0;
    std::string portFile;
    std::string logFile;
    std::string baseUrl;
    Mode mode = Mode::normal;
};

constexpr char kUsage[] =
    "usage: sample_catalogue [--port N (0 = any free)] [--port-file F] [--log F]\n"
    "                        [--base-url URL] [--mode normal|down|garbage|error|close|stall|\n"
    "                         notfound|html|trickle|endless|huge|https|chunked]\n";

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") return false;
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (flag == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 0 || port > 65535) return false;
            options.port = static_cast<int>(port);
        } else if (flag == "--port-file") {
            options.portFile = value;
        } else if (flag == "--log") {
            options.logFile = value;
        } else if (flag == "--base-url") {
            options.baseUrl = value;
            while (!options.baseUrl.empty() && options.baseUrl.back() == '/') {
                options.baseUrl.pop_back();
            }
        } else if (flag == "--mode") {
            const auto mode = ModeFromName(value);
            if (!mode) return false;
            options.mode = *mode;
        } else {
            return false;
        }
    }
    return true;
}

// Written through a temporary name, so a reader never sees a half-written port.
bool WritePortFile(const std::string& path, int port) {
    const std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "w");
    if (!file) return false;
    const bool written = std::fprintf(file, "%d\n", port) > 0;
    if (std::fclose(file) != 0 || !written) return false;
    return std::rename(temporary.c_str(), path.c_str()) == 0;
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
    Socket listener = ListenOnLoopback(options.port);
    if (!listener.valid()) {
        std::fprintf(stderr, "sample_catalogue: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    const int port = LocalPort(listener);
    if (options.baseUrl.empty()) options.baseUrl = "http://127.0.0.1:" + std::to_string(port);

    if (options.mode == Mode::down) {
        // The port was free a moment ago; now nothing answers on it.
        listener = Socket();
    }
    if (!options.portFile.empty() && !WritePortFile(options.portFile, port)) {
        std::fprintf(stderr, "sample_catalogue: cannot write %s\n", options.portFile.c_str());
        return 1;
    }
    if (options.mode == Mode::down) {
        std::printf("down: nothing listens on 127.0.0.1:%d\n", port);
        std::fflush(stdout);
        for (;;)
            pause();
    }
    std::printf("listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    CatalogueServer server(options.baseUrl, options.mode, log);
    server.Run(listener);
    std::fprintf(stderr, "sample_catalogue: accept failed\n");
    return 1;
}
