// The loopback server piece of the native test servers (the HTTP test server, the TLS front and
// the sample catalogue): a socket owner, listening on a free loopback port, publishing the port
// file, the accept loop with one thread per connection, sending everything, reading a request
// head, and the options they all take.
#pragma once

#include <sys/socket.h>

#include <functional>
#include <string>
#include <string_view>

namespace loopback {

// Owns one socket descriptor; -1 is none.
class Socket {
public:
    explicit Socket(int fd = -1) : fd_(fd) {}
    Socket(Socket&& other) noexcept : fd_(other.Release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket();

    int fd() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release();

private:
    int fd_;
};

// Binds 127.0.0.1 (AF_INET) or ::1 (AF_INET6, IPv6 only) at `port` (0: any free one) and
// listens unless `listening` is false (a port held bound, where connections are refused). An
// invalid socket on failure.
Socket Listen(int port, int family = AF_INET, bool listening = true);
Socket ConnectToLoopback(int port);
// The port a bound socket got (the same field for IPv4 and IPv6); 0 when it cannot be told.
int LocalPort(const Socket& socket);

// Sends every byte; false when the peer has gone.
bool SendAll(int fd, std::string_view bytes);
// Reads until the blank line that ends a request head is in, `limit` bytes are, or the peer
// stops sending. Returns all that was read: the head and whatever of a body came with it.
std::string ReadRequestHead(int fd, size_t limit = 64 * 1024);
// Drops a peer that stays silent this long while a request is read.
void SetReceiveTimeout(int fd, int seconds);

// Writes the port through a temporary name, so a reader never sees half a number.
bool PublishPort(const std::string& path, int port);

// Accepts connections until accepting fails for good, handing each to `handler` on a thread of
// its own.
void AcceptLoop(const Socket& listener, const std::function<void(Socket)>& handler);

// The options every server takes: --port N (0, the default: any free port), --port-file F and
// --log F. Any other "--name value" pair goes to `other`, which says whether it knew it.
struct Options {
    int port = 0;
    std::string portFile;
    std::string logFile;
};
using OtherOption = std::function<bool(std::string_view name, const std::string& value)>;
bool ParseOptions(int argc, char** argv, Options& options, const OtherOption& other = {});

}  // namespace loopback
