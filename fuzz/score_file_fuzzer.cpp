// The score-file reader on arbitrary bytes: it never reads outside its input,
// entry 0 stays empty, every entry is empty or a 16-bit number, and writing
// the table and reading it back gives the same table. The written file has
// the router's layout: 50 records "task,entry,0..99,0..1" ending in CR LF.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "Findings.h"
#include "scoring/ScoreFile.h"

using namespace pellix;

namespace {

[[noreturn]] void Broken(const char* what) {
    fuzz::Report("score_file_fuzzer", what);
}

bool NumberIn(std::string_view field, long lo, long hi) {
    long value = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return !field.empty() && error == std::errc() && end == field.data() + field.size() &&
           value >= lo && value <= hi;
}

void CheckLayout(std::string_view text, const TaskTable& tasks) {
    for (int task = 1; task <= kTaskCount; ++task) {
        std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos) Broken("a record does not end with CR LF");
        std::string_view record = text.substr(0, end);
        text.remove_prefix(end + 2);
        std::string_view fields[4];
        for (int f = 0; f < 3; ++f) {
            std::size_t comma = record.find(',');
            if (comma == std::string_view::npos) Broken("a record has fewer than four fields");
            fields[f] = record.substr(0, comma);
            record.remove_prefix(comma + 1);
        }
        fields[3] = record;
        if (fields[0] != std::to_string(task)) Broken("a record has the wrong task number");
        const TaskEntry& entry = tasks[static_cast<std::size_t>(task)];
        if (fields[1] != (entry ? std::to_string(*entry) : "")) Broken("a record's entry field");
        if (!NumberIn(fields[2], 0, 99)) Broken("filler 3 out of 0..99");
        if (!NumberIn(fields[3], 0, 1)) Broken("filler 4 out of 0..1");
    }
    if (!text.empty()) Broken("text after the 50th record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TaskTable tasks = ReadScoreText(text);
    if (tasks[0]) Broken("entry 0 was read");
    // Every entry is empty or a 16-bit number by its type.
    static_assert(std::is_same_v<TaskEntry, std::optional<std::int16_t>>);

    // The fillers' generator state comes from the input, so that their whole
    // range is exercised.
    FillerSource fillers(static_cast<std::uint_fast32_t>(size * 2654435761u + 1));
    std::string written = WriteScoreText(tasks, fillers);
    CheckLayout(written, tasks);
    if (ReadScoreText(written) != tasks) Broken("the written table reads back different");
    return 0;
}
