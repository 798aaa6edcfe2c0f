#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"
#include "support/json.h"
#include "support/value.h"

namespace tarnwick::testkit {

// One record of a JSON Lines trace.
struct TraceRecord {
    std::string event;
    Dictionary fields;
    std::string field(const std::string& key) const {
        auto it = fields.find(key);
        return it != fields.end() && it->second.asString() ? *it->second.asString() : std::string();
    }
};

// The records of a trace file, oldest first; none when it does not exist.
inline std::vector<TraceRecord> readTraceRecords(const std::filesystem::path& file) {
    std::vector<TraceRecord> records;
    if (!std::filesystem::exists(file)) return records;
    const std::string text = files::read(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (auto value = json::parse(std::string_view(text).substr(start, end - start)); value && value->asDictionary()) {
            const Value* event = value->find("event");
            records.push_back(TraceRecord{event && event->asString() ? *event->asString() : "", *value->asDictionary()});
        }
        start = end + 1;
    }
    return records;
}

// The event names of the records, in order.
inline std::vector<std::string> eventNames(const std::vector<TraceRecord>& records) {
    std::vector<std::string> names;
    for (const auto& record : records) names.push_back(record.event);
    return names;
}

// The records of one event, in order.
inline std::vector<TraceRecord> recordsOf(std::vector<TraceRecord> records, const std::string& event) {
    std::erase_if(records, [&](const TraceRecord& record) { return record.event != event; });
    return records;
}

}  // namespace tarnwick::testkit
