// RollingLogFile: the log's text file, "<name>.log" in its folder, rolled when the next line would
// take it past the size limit: "<name>.1.log" is the newest older file, "<name>.<kept>.log" the
// oldest, and older ones go.
//
// A file that cannot be written (no folder, no rights, a full disk) is given up at the first
// failure: the log costs nothing more for the rest of the run and never retries. Portable; one
// thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class RollingLogFile {
public:
    static constexpr std::uintmax_t kSizeLimit = 1 << 20;
    static constexpr int kKeptFiles = 3;

    // Touches nothing yet: the folder is made and the file opened by the first Append.
    RollingLogFile(std::filesystem::path folder, std::string name,
                   std::uintmax_t sizeLimit = kSizeLimit, int keptFiles = kKeptFiles);
    RollingLogFile(RollingLogFile&&) = default;
    RollingLogFile& operator=(RollingLogFile&&) = default;

    // Appends one line (buffered until Flush); false once the file has been given up.
    bool Append(std::string_view line);
    bool Flush();
    bool GivenUp() const { return givenUp_; }

    std::filesystem::path FilePath() const { return folder_ / (name_ + ".log"); }
    // The n-th older file, 1 the newest.
    std::filesystem::path OlderPath(int n) const {
        return folder_ / (name_ + "." + std::to_string(n) + ".log");
    }

private:
    bool Open();
    void Roll();
    bool GiveUp();

    std::filesystem::path folder_;
    std::string name_;
    std::uintmax_t sizeLimit_;
    int keptFiles_;
    std::ofstream file_;
    std::uintmax_t size_ = 0;
    bool givenUp_ = false;
};
