// How a catalogue fetch ended, and the limits every fetch is held to.
//
// Portable: no Windows header. The HTTP routine (HttpGet) fills in the network side of an
// outcome; the fetchers add whether the reply was a catalogue reply at all.
#pragma once

#include <cstddef>

// A whole fetch (connect, send and every read) ends within this time; each single operation
// still gives up after its own 18 s.
constexpr unsigned kFetchTimeLimitMs = 30000;
// A reply body beyond this size is not read on: no catalogue page comes near it.
constexpr size_t kReplySizeLimit = 16u << 20;
// The most records taken from one reply. A page holds 10; a reply with more than this is no
// catalogue page, and its rows would only fill memory and keep a cancel waiting for the parse.
constexpr size_t kRecordLimit = 1000;

enum class FetchStatus {
    kSucceeded,
    kCancelled,            // the user (or the program's closing) stopped it
    kCannotConnect,        // refused, host not found, network down
    kCertificateInvalid,   // the server's TLS certificate failed the check
    kSecureChannelFailed,  // no TLS connection came about (no protocol in common, handshake cut)
    kProxyLogin,           // the proxy asks for a log-in (HTTP 407)
    kTimedOut,             // no answer in time, or the whole fetch took too long
    kInterrupted,          // the connection broke off before the whole reply had arrived
    kHttpError,     // the service answered with an HTTP error (or a redirect it cannot follow)
    kTooLarge,      // the reply was larger than kReplySizeLimit or held more than kRecordLimit
    kNotCatalogue,  // the reply holds no hot-list or search structure at all
    kFailed,        // the program itself failed (out of memory, say)
};

struct FetchOutcome {
    FetchStatus status = FetchStatus::kSucceeded;
    int httpStatus = 0;             // the status line's code, when an answer arrived
    unsigned long systemError = 0;  // WinINet's last error, when one was reported

    bool Succeeded() const { return status == FetchStatus::kSucceeded; }
};
