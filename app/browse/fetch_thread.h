// FetchThread: one catalogue fetch running on a worker thread of its own, from its start until
// the window thread takes its result or lets it go.
//
// The worker fills in the result and ends; the window thread reads the result only once the
// thread has ended. A fetch let go before that (a cancel, the time limit, the program closing)
// is abandoned: the worker runs on by itself, touches nothing but what it shares with this
// object, and frees that when it ends.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/browse/catalogue_fetch.h"

class FetchThread {
public:
    using Work = std::function<FetchResult(FetchJob& job)>;

    FetchThread() = default;
    // Starts `work` on a new thread at once; Started() says whether the thread could be made.
    FetchThread(std::shared_ptr<FetchJob> job, Work work);
    FetchThread(FetchThread&& other) noexcept;
    FetchThread& operator=(FetchThread&& other) noexcept;
    FetchThread(const FetchThread&) = delete;
    FetchThread& operator=(const FetchThread&) = delete;
    // Abandons a fetch still running.
    ~FetchThread();

    bool Started() const { return thread_ != nullptr; }
    HANDLE Handle() const { return thread_; }
    FetchJob* Job() const { return job_.get(); }
    // The worker has finished (false when it never started).
    bool Ended() const;
    // The work's result once Ended(); kFailed when the work threw or never ran. The fetch is
    // over afterwards (Started() is false).
    FetchResult TakeResult();
    // Lets the fetch go without its result.
    void Abandon();

private:
    struct Shared;
    static unsigned __stdcall WorkerMain(void* parameter);

    std::shared_ptr<FetchJob> job_;
    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
};
