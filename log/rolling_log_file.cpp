#include "log/rolling_log_file.h"

#include <system_error>

RollingLogFile::RollingLogFile(std::filesystem::path folder, std::string name,
                               std::uintmax_t sizeLimit, int keptFiles)
    : folder_(std::move(folder)),
      name_(std::move(name)),
      sizeLimit_(sizeLimit),
      keptFiles_(keptFiles) {}

bool RollingLogFile::Append(std::string_view line) {
    if (givenUp_) return false;
    if (!file_.is_open() && !Open()) return false;
    if (size_ > 0 && size_ + line.size() > sizeLimit_) {
        Roll();
        if (!Open()) return false;
    }
    file_.write(line.data(), static_cast<std::streamsize>(line.size()));
    if (!file_) return GiveUp();
    size_ += line.size();
    return true;
}

bool RollingLogFile::Flush() {
    if (givenUp_ || !file_.is_open()) return !givenUp_;
    file_.flush();
    return file_ ? true : GiveUp();
}

bool RollingLogFile::Open() {
    std::error_code error;
    if (folder_.empty()) return GiveUp();
    std::filesystem::create_directories(folder_, error);
    file_.open(FilePath(), std::ios::binary | std::ios::app);
    if (!file_.is_open()) return GiveUp();
    const std::uintmax_t size = std::filesystem::file_size(FilePath(), error);
    size_ = error ? 0 : size;
    return true;
}

// Oldest first, so that no rename meets a file in its way. A file that cannot be renamed (held
// open by another program without sharing) stays where it is, and the log goes on in it.
void RollingLogFile::Roll() {
    file_.close();
    std::error_code error;
    std::filesystem::remove(OlderPath(keptFiles_), error);
    for (int n = keptFiles_ - 1; n >= 1; --n) {
        std::filesystem::rename(OlderPath(n), OlderPath(n + 1), error);
    }
    if (keptFiles_ > 0) {
        std::filesystem::rename(FilePath(), OlderPath(1), error);
    } else {
        std::filesystem::remove(FilePath(), error);
    }
}

bool RollingLogFile::GiveUp() {
    givenUp_ = true;
    file_.close();
    return false;
}
