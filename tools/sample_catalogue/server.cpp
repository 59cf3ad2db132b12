#include "server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include "pages.h"
#include "text.h"

namespace {

// "GET /path?query HTTP/1.1" gives the method and "/path?query".
bool ParseRequestLine(std::string_view head, std::string& method, std::string& target) {
    const std::string_view line = head.substr(0, head.find("\r\n"));
    const size_t first = line.find(' ');
    if (first == std::string_view::npos) return false;
    const size_t second = line.find(' ', first + 1);
    method = line.substr(0, first);
    target = line.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    return !target.empty();
}

bool SendAll(const Socket& connection, std::string_view bytes) {
    return loopback::SendAll(connection.fd(), bytes);
}

std::string Head(const Response& response) {
    return "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason +
           "\r\nServer: sample_catalogue\r\nContent-Type: " + response.contentType +
           "\r\nContent-Length: " + std::to_string(response.body.size()) +
           "\r\nConnection: close\r\n" + response.headers + "\r\n";
}

Response ErrorResponse(int status, std::string reason) {
    Response response;
    response.status = status;
    response.body = ErrorHtml(status, reason);
    response.reason = std::move(reason);
    return response;
}

// Random bytes, the same for the same target.
std::string Garbage(std::string_view target) {
    uint64_t state = Hash(target);
    std::string bytes(2048 + state % 4096, '\0');
    for (char& byte : bytes) {
        state = Mix(state);
        byte = static_cast<char>(state & 0xFF);
    }
    return bytes;
}

int ToInt(const std::string& text, int fallback) {
    if (text.empty() || text.size() > 9) return fallback;
    for (const char c : text) {
        if (c < '0' || c > '9') return fallback;
    }
    return std::atoi(text.c_str());
}

std::string Parameter(const std::map<std::string, std::string>& query, const std::string& key) {
    const auto found = query.find(key);
    return found == query.end() ? std::string() : found->second;
}

}  // namespace

std::optional<Mode> ModeFromName(std::string_view name) {
    constexpr std::pair<std::string_view, Mode> kNames[] = {
        {"normal", Mode::normal},     {"down", Mode::down},
        {"garbage", Mode::garbage},   {"error", Mode::error},
        {"close", Mode::close},       {"stall", Mode::stall},
        {"notfound", Mode::notfound}, {"html", Mode::html},
        {"trickle", Mode::trickle},   {"endless", Mode::endless},
        {"huge", Mode::huge},         {"https", Mode::https},
        {"chunked", Mode::chunked},   {"proxylogin", Mode::proxylogin},
        {"crowded", Mode::crowded},
    };
    for (const auto& [known, mode] : kNames) {
        if (known == name) return mode;
    }
    return std::nullopt;
}

bool RequestLog::Open(const std::string& path) {
    file_.reset(std::fopen(path.c_str(), "a"));
    return file_ != nullptr;
}

void RequestLog::Append(std::string_view target) {
    const std::lock_guard lock(mutex_);
    if (!file_) return;
    std::fwrite(target.data(), 1, target.size(), file_.get());
    std::fputc('\n', file_.get());
    std::fflush(file_.get());
}

CatalogueServer::CatalogueServer(std::string baseUrl, Mode mode, RequestLog& log)
    : baseUrl_(std::move(baseUrl)), mode_(mode), log_(log) {}

void CatalogueServer::Run(const Socket& listener) {
    loopback::AcceptLoop(listener, [this](Socket connection) { Serve(std::move(connection)); });
}

void CatalogueServer::Serve(Socket connection) {
    // A client that never finishes its request must not hold a thread for ever.
    loopback::SetReceiveTimeout(connection.fd(), 30);

    const std::string head = loopback::ReadRequestHead(connection.fd());
    std::string method, target;
    if (!ParseRequestLine(head, method, target)) {
        SendAll(connection, Head(ErrorResponse(400, "Bad Request")));
        return;
    }
    // The control path is answered at once in every mode and kept out of the log, which holds
    // only what the program asked for.
    if (PathOf(target).starts_with("/control/")) {
        const Response response = Control(target);
        SendAll(connection, Head(response) + response.body);
        shutdown(connection.fd(), SHUT_WR);
        return;
    }
    log_.Append(target);
    if (!WaitWhileStalled(connection)) return;

    // A released stall is answered in the mode that released it.
    const Mode mode = mode_.load();
    Response response;
    if (mode == Mode::garbage) {
        response.contentType = "application/octet-stream";
        response.body = Garbage(target);
    } else if (mode == Mode::error) {
        response = ErrorResponse(500, "Internal Server Error");
    } else if (mode == Mode::notfound) {
        response = ErrorResponse(404, "Not Found");
    } else if (mode == Mode::html) {
        response.body = PortalHtml();
    } else if (mode == Mode::proxylogin) {
        response = ErrorResponse(407, "Proxy Authentication Required");
        response.headers = "Proxy-Authenticate: Basic realm=\"proxy\"\r\n";
    } else if (mode == Mode::crowded) {
        HotListPage page = games_.HotList("0", "1", 1);
        const std::vector<const Game*> ten = page.games;
        while (!ten.empty() && page.games.size() < kCrowdedGames)
            page.games.insert(page.games.end(), ten.begin(), ten.end());
        response.contentType = "application/json; charset=utf-8";
        response.body = HotListJson(page, baseUrl_, 1);
    } else if (method == "GET" || method == "HEAD") {
        response = Answer(target);
    } else {
        response = ErrorResponse(405, "Method Not Allowed");
    }

    if (method != "HEAD" && (mode == Mode::trickle || mode == Mode::endless || mode == Mode::huge ||
                             mode == Mode::https || mode == Mode::chunked)) {
        SendStreamed(connection, mode, response, target);
        shutdown(connection.fd(), SHUT_WR);
        return;
    }
    std::string reply = Head(response);
    if (method != "HEAD") {
        reply +=
            mode == Mode::close ? response.body.substr(0, response.body.size() / 2) : response.body;
    }
    SendAll(connection, reply);
    shutdown(connection.fd(), SHUT_WR);
}

bool CatalogueServer::WaitWhileStalled(const Socket& connection) const {
    constexpr int kCheckMs = 20;
    while (mode_.load() == Mode::stall) {
        pollfd ready{connection.fd(), POLLIN, 0};
        if (poll(&ready, 1, kCheckMs) <= 0) continue;
        // Readable now means the client closed (or sent more, which is dropped).
        char byte;
        const ssize_t got = recv(connection.fd(), &byte, 1, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return false;
    }
    return true;
}

void CatalogueServer::SendStreamed(const Socket& connection, Mode mode, const Response& response,
                                   std::string_view target) const {
    const std::string type = "\r\nContent-Type: " + response.contentType;
    switch (mode) {
        case Mode::trickle: {
            if (!SendAll(connection, Head(response))) return;
            for (const char byte : response.body) {
                std::this_thread::sleep_for(std::chrono::seconds(kTrickleSeconds));
                if (!SendAll(connection, std::string_view(&byte, 1))) return;
            }
            return;
        }
        case Mode::endless: {
            if (!SendAll(connection, "HTTP/1.1 200 OK" + type + "\r\nConnection: close\r\n\r\n")) {
                return;
            }
            const std::string block(64 * 1024, 'x');
            while (SendAll(connection, block)) {
            }
            return;
        }
        case Mode::huge: {
            Response huge = response;
            huge.body.assign(kHugeBytes, ' ');
            SendAll(connection, Head(huge) + huge.body);
            return;
        }
        case Mode::https: {
            sockaddr_in address{};
            socklen_t length = sizeof address;
            getsockname(connection.fd(), reinterpret_cast<sockaddr*>(&address), &length);
            const std::string location =
                "https://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                std::string(target);
            SendAll(connection, "HTTP/1.1 302 Found\r\nLocation: " + location +
                                    "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        case Mode::chunked: {
            std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " " +
                                response.reason + type +
                                "\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
            constexpr size_t kChunk = 1000;
            for (size_t at = 0; at < response.body.size(); at += kChunk) {
                const std::string_view piece = std::string_view(response.body).substr(at, kChunk);
                char size[16];
                std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
                reply += size;
                reply += piece;
                reply += "\r\n";
            }
            SendAll(connection, reply + "0\r\n\r\n");
            return;
        }
        default:
            return;
    }
}

Response CatalogueServer::Control(std::string_view target) {
    if (PathOf(target) != "/control/mode") return ErrorResponse(404, "Not Found");
    const std::string name = Parameter(QueryOf(target), "m");
    const std::optional<Mode> mode = ModeFromName(name);
    if (!mode || *mode == Mode::down) return ErrorResponse(400, "Bad Request");
    mode_.store(*mode);
    Response response;
    response.contentType = "text/plain; charset=utf-8";
    response.body = "mode " + name + "\n";
    return response;
}

Response CatalogueServer::Answer(std::string_view target) {
    const std::string path = PathOf(target);
    const auto query = QueryOf(target);
    Response response;
    if (path == "/appweb/getcathotlist") {
        const int page = ToInt(Parameter(query, "pn"), 0);
        response.contentType = "application/json; charset=utf-8";
        response.body = HotListJson(
            games_.HotList(Parameter(query, "leaf_cid"), Parameter(query, "sort"), page), baseUrl_,
            page);
    } else if (path == "/appweb/search") {
        const std::string keyword = KeywordToUtf8(Parameter(query, "lb"));
        const int page = ToInt(Parameter(query, "pn"), 1);
        const int pageSize = std::clamp(ToInt(Parameter(query, "ps"), 10), 1, 50);
        response.body =
            SearchHtml(keyword, games_.Search(keyword, page, pageSize), page, pageSize, baseUrl_);
    } else if (path == "/") {
        response.body = IndexHtml(baseUrl_);
    } else {
        const int id = ToInt(path.substr(1), -1);
        const std::optional<Game> game = id >= 0 ? games_.Find(id) : std::nullopt;
        if (!game) return ErrorResponse(404, "Not Found");
        response.body = GameHtml(*game, baseUrl_);
    }
    return response;
}
