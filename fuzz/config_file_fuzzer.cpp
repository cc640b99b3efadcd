// The configuration-file reader on arbitrary bytes: it never reads outside
// its input, every result is a table of 100 slot texts that a file can hold
// (no line break inside, never the empty-slot marker), and writing the
// result and reading it back gives the same texts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Findings.h"
#include "state/ConfigFile.h"

using namespace pellix;

namespace {

[[noreturn]] void Broken(const char* what) {
    fuzz::Report("config_file_fuzzer", what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<SavedSlots> saved = ReadConfigText(text);
    if (!saved) return 0;

    for (const std::string& slotText : *saved) {
        if (slotText.find('\n') != std::string::npos) Broken("a slot text holds a line feed");
        if (slotText == kEmptySlotMarker) Broken("a slot holds the empty-slot marker");
    }

    ConfigSlotTable table{};
    StoreSavedSlots(table, SavedSlots(*saved));
    if (!table[0].empty()) Broken("slot 0 was written");
    std::string written = WriteConfigText(table);

    std::size_t lines = 0;
    for (char c : written) lines += c == '\n';
    if (lines != 100) Broken("the written file does not hold 100 lines");

    std::optional<SavedSlots> again = ReadConfigText(written);
    if (!again) Broken("the written file does not read back");
    if (*again != *saved) Broken("the written file reads back different texts");
    return 0;
}
