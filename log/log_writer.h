// LogWriter: the diagnostics log's queue and the thread that writes it, so that no caller ever
// waits on the disk: Add stamps the line with the time and the calling thread and queues it, the
// writer thread turns queued lines into text (local time, UTF-8) and appends them to the file.
//
// The writer sleeps while nothing is queued (no timer). The destructor writes what is queued
// before it returns; WriteFinal serves a crash, when the writer and its locks may be in any
// state. Texts are GBK, the program's internal text. Portable.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "log/rolling_log_file.h"

class LogWriter {
public:
    explicit LogWriter(RollingLogFile file);
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Any thread: queues one event's line.
    void Add(std::string text);
    // Returns once every line added before the call has been written (or dropped, when the file
    // has been given up).
    void Flush();
    // A crash: writes the queued lines and `text` on the calling thread, waiting at most `wait`
    // for each lock another thread holds (the crashed one may hold it for ever).
    void WriteFinal(std::string text, std::chrono::milliseconds wait);

private:
    struct Entry {
        std::chrono::system_clock::time_point time;
        unsigned long thread;
        std::string text;
    };

    void Run();
    void Write(const std::vector<Entry>& entries);  // under fileLock_

    std::mutex queueLock_;
    std::condition_variable wake_;     // the writer: lines queued, or stop
    std::condition_variable written_;  // Flush: lines written
    std::vector<Entry> queue_;
    std::uint64_t added_ = 0;
    std::uint64_t done_ = 0;
    int flushing_ = 0;  // callers waiting in Flush
    bool writerAsleep_ = false;
    bool stopping_ = false;

    std::mutex fileLock_;
    RollingLogFile file_;
    std::thread writer_;  // last: starts once everything above exists
};
