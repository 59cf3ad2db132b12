#include "log/log_writer.h"

#include <system_error>

#include "log/log_clock.h"
#include "log/log_line.h"
#include "text/text_utils.h"

namespace {

bool LockWithin(std::mutex& mutex, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!mutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

LogWriter::LogWriter(RollingLogFile file) : file_(std::move(file)) {
    try {
        writer_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread, no log: lines are dropped rather than written on the callers' threads.
        stopping_ = true;
    }
}

LogWriter::~LogWriter() {
    {
        std::lock_guard lock(queueLock_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable()) writer_.join();
}

void LogWriter::Add(std::string text) {
    Entry entry{std::chrono::system_clock::now(), CurrentThreadNumber(), std::move(text)};
    std::lock_guard lock(queueLock_);
    if (stopping_) return;
    queue_.push_back(std::move(entry));
    ++added_;
    // A writer at work takes this line with the next batch: no wake-up needed.
    if (writerAsleep_) {
        writerAsleep_ = false;
        wake_.notify_one();
    }
}

void LogWriter::Flush() {
    std::unique_lock lock(queueLock_);
    if (!writer_.joinable()) return;
    const std::uint64_t target = added_;
    ++flushing_;
    written_.wait(lock, [&] { return done_ >= target; });
    --flushing_;
}

void LogWriter::WriteFinal(std::string text, std::chrono::milliseconds wait) {
    std::vector<Entry> entries;
    if (LockWithin(queueLock_, wait)) {
        entries.swap(queue_);
        stopping_ = true;  // whatever comes after this line is not written
        done_ = added_;    // nor does anyone wait for it
        queueLock_.unlock();
    }
    entries.push_back({std::chrono::system_clock::now(), CurrentThreadNumber(), std::move(text)});
    if (!LockWithin(fileLock_, wait)) return;
    Write(entries);
    fileLock_.unlock();
}

void LogWriter::Run() {
    std::unique_lock lock(queueLock_);
    for (;;) {
        if (queue_.empty()) {
            if (stopping_) return;
            writerAsleep_ = true;
            wake_.wait(lock, [this] { return !queue_.empty() || stopping_; });
            writerAsleep_ = false;
            continue;
        }
        std::vector<Entry> batch;
        batch.swap(queue_);
        lock.unlock();
        {
            std::lock_guard fileLock(fileLock_);
            Write(batch);
        }
        lock.lock();
        done_ += batch.size();
        if (flushing_ > 0) written_.notify_all();
    }
}

void LogWriter::Write(const std::vector<Entry>& entries) {
    if (file_.GivenUp()) return;
    try {
        for (const Entry& entry : entries) {
            if (!file_.Append(
                    FormatLogLine(LocalTimeOf(entry.time), entry.thread, AnsiToUtf8(entry.text)))) {
                return;
            }
        }
        file_.Flush();
    } catch (const std::exception&) {
        // Out of memory: these lines are lost, the log goes on.
    }
}
