#include "state/ConfigFile.h"

#include <string>

#include "state/TextLines.h"

namespace pellix {

namespace {

constexpr std::size_t kNumberZone = 14;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the line begins with the writer's number zone: a blank, at least
// one digit, then blanks up to column 14.
bool HasWriterLayout(std::string_view line) {
    if (line.size() < kNumberZone || line[0] != ' ' || !IsDigit(line[1])) return false;
    std::size_t i = 1;
    while (i < kNumberZone && IsDigit(line[i])) ++i;
    while (i < kNumberZone && line[i] == ' ') ++i;
    return i == kNumberZone;
}

}  // namespace

std::string WriteConfigText(const ConfigSlotTable& slots) {
    std::string out;
    for (int k = kFirstSavedSlot; k <= kLastSlot; ++k) {
        std::string number = " " + std::to_string(k);
        out += number;
        out.append(kNumberZone - number.size(), ' ');
        const std::string& text = slots[static_cast<std::size_t>(k)];
        out += text.empty() ? kEmptySlotMarker : std::string_view(text);
        out += "\r\n";
    }
    return out;
}

std::string ReadConfigLine(std::string_view line) {
    std::string_view text;
    if (HasWriterLayout(line)) {
        text = line.substr(kNumberZone);
    } else {
        std::size_t i = 0;
        while (i < line.size() && line[i] == ' ') ++i;
        while (i < line.size() && IsDigit(line[i])) ++i;
        while (i < line.size() && line[i] == ' ') ++i;
        text = line.substr(i);
    }
    if (text == kEmptySlotMarker) return {};
    return std::string(text);
}

std::optional<SavedSlots> ReadConfigText(std::string_view text) {
    SavedSlots saved;
    TextLines lines(text);
    for (std::string& slotText : saved) {
        std::optional<std::string_view> line = lines.Next();
        if (!line) return std::nullopt;
        slotText = ReadConfigLine(*line);
    }
    return saved;
}

void StoreSavedSlots(ConfigSlotTable& slots, SavedSlots&& saved) {
    for (int k = 0; k < kConfigLines; ++k)
        slots[static_cast<std::size_t>(k + 1)] = std::move(saved[static_cast<std::size_t>(k)]);
}

}  // namespace pellix
