// Turns an event script of pellix-replay (a transcript file included: its
// "#file", "#config" and "#score" fixture lines give the start files, read by
// the transcript tests' own parser) into an input of the event fuzzer.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "EventInput.h"
#include "replay/Replay.h"
#include "state/ConfigFile.h"
#include "support/Transcript.h"

namespace pellix::fuzz {

// A configuration file in the router's own layout goes in compactly, as its
// slot texts (up to the last one set); any other content as it stands.
inline std::pair<FileKind, std::string> ConfigSeed(const std::string& content) {
    std::optional<SavedSlots> saved = ReadConfigText(content);
    ConfigSlotTable slots;
    if (saved) StoreSavedSlots(slots, SavedSlots(*saved));
    if (!saved || WriteConfigText(slots) != content) return {FileKind::Raw, content};
    int last = kLastSlot;
    while (last > 1 && slots[static_cast<std::size_t>(last)].empty()) --last;
    std::string built;
    for (int k = 1; k <= last; ++k) built += slots[static_cast<std::size_t>(k)] + "\n";
    return {FileKind::Built, built};
}

// The events that are one opcode with no operand.
inline constexpr std::pair<Event::Kind, EventOp> kOpOfEvent[] = {
    {Event::Plan, OpPlan}, {Event::ClosePlan, OpClosePlan}, {Event::Tick, OpTick},
    {Event::Up, OpUp},     {Event::Down, OpDown},           {Event::Finish, OpFinish},
};

inline std::string SeedFromScript(std::string_view script) {
    std::string error;
    std::optional<transcript::Transcript> fixtures = transcript::Parse(std::string(script), error);
    auto startFile = [&](const char* name) -> std::pair<FileKind, std::string> {
        if (!fixtures || !fixtures->files.contains(name)) return {FileKind::Absent, {}};
        const std::string& content = fixtures->files.at(name);
        return std::string_view(name) == "router1.cfg" ? ConfigSeed(content)
                                                       : std::pair{FileKind::Raw, content};
    };

    EventInputWriter events;
    std::istringstream lines{std::string(script)};
    std::string raw;
    while (std::getline(lines, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string_view line = raw;
        std::optional<Event> event = ParseEvent(line);
        if (!event) continue;
        if (event->kind == Event::Key) events.Key(static_cast<std::uint16_t>(event->number));
        if (event->kind == Event::Type) events.Type(event->text);
        if (event->kind == Event::Click) events.Click(event->number);
        for (const auto& [kind, op] : kOpOfEvent)
            if (event->kind == kind) events.Op(op);
    }

    auto [configKind, configBytes] = startFile("router1.cfg");
    auto [scoreKind, scoreBytes] = startFile("user.dat");
    EventInputWriter out;
    out.Files(configKind, configBytes, scoreKind, scoreBytes);
    return out.Bytes() + events.Bytes();
}

}  // namespace pellix::fuzz
