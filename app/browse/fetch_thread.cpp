#include "app/browse/fetch_thread.h"

#include <process.h>

#include <utility>

// What the window thread and the worker share; whichever lets go last frees it.
struct FetchThread::Shared {
    std::shared_ptr<FetchJob> job;
    Work work;
    FetchResult result;
};

unsigned __stdcall FetchThread::WorkerMain(void* parameter) {
    auto* handed = static_cast<std::shared_ptr<Shared>*>(parameter);
    const std::shared_ptr<Shared> shared = std::move(*handed);
    delete handed;
    try {
        shared->result = shared->work(*shared->job);
    } catch (...) {
        // Out of memory included: the fetch failed, and nothing of it is shown.
        shared->result.records.clear();
        shared->result.outcome = FetchOutcome{FetchStatus::kFailed};
    }
    return 0;
}

FetchThread::FetchThread(std::shared_ptr<FetchJob> job, Work work) : job_(std::move(job)) {
    if (!job_ || !work) return;
    shared_ = std::make_shared<Shared>(Shared{job_, std::move(work), {}});
    auto* handed = new std::shared_ptr<Shared>(shared_);
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerMain, handed, 0, nullptr));
    if (!thread_) delete handed;
}

FetchThread::FetchThread(FetchThread&& other) noexcept
    : job_(std::move(other.job_)),
      shared_(std::move(other.shared_)),
      thread_(std::exchange(other.thread_, nullptr)) {}

FetchThread& FetchThread::operator=(FetchThread&& other) noexcept {
    if (this != &other) {
        Abandon();
        job_ = std::move(other.job_);
        shared_ = std::move(other.shared_);
        thread_ = std::exchange(other.thread_, nullptr);
    }
    return *this;
}

FetchThread::~FetchThread() {
    Abandon();
}

bool FetchThread::Ended() const {
    return thread_ && WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
}

FetchResult FetchThread::TakeResult() {
    FetchResult result;
    result.outcome.status = FetchStatus::kFailed;
    if (Ended()) result = std::move(shared_->result);
    Abandon();
    return result;
}

void FetchThread::Abandon() {
    if (!thread_) return;
    // A worker still running may stay blocked in WinINet for a while (Wine lets a blocked call
    // finish); from now on it touches nothing but what it shares with this object.
    if (!Ended()) job_->Abandon();
    CloseHandle(thread_);
    thread_ = nullptr;
    shared_.reset();
    job_.reset();
}
