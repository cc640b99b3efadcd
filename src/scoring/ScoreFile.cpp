#include "scoring/ScoreFile.h"

#include <charconv>
#include <string>
#include <utility>

#include "state/TextLines.h"

namespace pellix {

namespace {

std::string_view Trimmed(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t'))
        field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    return field;
}

TaskEntry ReadEntry(std::string_view field) {
    field = Trimmed(field);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty()) return std::nullopt;
    std::int16_t value = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}

}  // namespace

// The two fillers of a record: a whole number from 0 to 99, then 0 or 1.
std::pair<int, int> DrawFillers(FillerSource& fillers) {
    std::uniform_int_distribution<int> percent(0, 99), coin(0, 1);
    int filler3 = percent(fillers);
    return {filler3, coin(fillers)};
}

std::string WriteScoreText(const TaskTable& tasks, FillerSource& fillers) {
    // Written at every prompt: put together in place in one string made
    // large enough at once, without a string for each number. The longest
    // record, "50,-32768,99,1\r\n", is 16 bytes.
    std::string out(kTaskCount * 16, '\0');
    char* at = out.data();
    char* const end = at + out.size();
    auto put = [&](int number) { at = std::to_chars(at, end, number).ptr; };
    for (int task = 1; task <= kTaskCount; ++task) {
        const TaskEntry& entry = tasks[static_cast<std::size_t>(task)];
        auto [filler3, filler4] = DrawFillers(fillers);
        put(task);
        *at++ = ',';
        if (entry) put(*entry);
        *at++ = ',';
        put(filler3);
        *at++ = ',';
        put(filler4);
        *at++ = '\r';
        *at++ = '\n';
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
    return out;
}

void SkipScoreFillers(FillerSource& fillers) {
    for (int task = 1; task <= kTaskCount; ++task) DrawFillers(fillers);
}

TaskTable ReadScoreText(std::string_view text) {
    TaskTable tasks{};
    TextLines records(text);
    for (int task = 1; task <= kTaskCount; ++task) {
        std::optional<std::string_view> record = records.Next();
        if (!record) break;
        std::size_t first = record->find(',');
        if (first == std::string_view::npos) continue;
        std::string_view rest = record->substr(first + 1);
        tasks[static_cast<std::size_t>(task)] = ReadEntry(rest.substr(0, rest.find(',')));
    }
    return tasks;
}

std::string ScoreFileProblem::Text() const {
    std::string reason = " (" + std::string(Describe(error)) + ").";
    switch (action) {
        case Action::None:
            break;
        case Action::Read:
            return "The score file " + file.string() + " cannot be read" + reason +
                   " Your score is kept for this run only; the file is left as it is.";
        case Action::Write:
            return "The score file " + file.string() + " cannot be written" + reason +
                   " Your score is kept for this run, but it is not saved.";
    }
    return {};
}

}  // namespace pellix
