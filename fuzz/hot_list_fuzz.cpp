// libFuzzer target: any bytes as a hot-list reply. Seeds: corpus/hot_list/ (sample catalogue
// replies).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/hot_list.h"
#include "fuzz/reply_checks.h"

using fuzz::Check;
using fuzz::kBase;
using fuzz::OneLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One pattern object for every call, as in the program.
    static boost::regex pattern;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::vector<GameRecord> records = ParseHotList(reply, kBase, pattern);

    // Each record spans at least its two keys, and an id is always cut from the reply.
    Check(records.size() * (std::string_view("app_id").size() + 11) <= size);
    for (size_t i = 0; i < records.size(); ++i) {
        const GameRecord& record = records[i];
        Check(record.index == std::to_string(i + 1));
        Check(OneLine(record.name) && OneLine(record.introduction));
        if (record.link.empty()) continue;
        Check(record.link.size() > kBase.size() + 1);
        Check(std::string_view(record.link).substr(0, kBase.size() + 1) == "http://games.example/");
        Check(reply.find(std::string_view(record.link).substr(kBase.size() + 1)) !=
              std::string_view::npos);
    }
    return 0;
}
