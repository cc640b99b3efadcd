// Turns an event script of pellix-replay (a transcript file included: its
// "#file", "#config" and "#score" fixture lines give the start files) into an
// input of the event fuzzer.
#pragma once

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "EventInput.h"
#include "replay/Replay.h"

namespace pellix::fuzz {

namespace detail {

inline std::string_view Word(std::string_view& rest) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    std::size_t end = rest.find(' ');
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return word;
}

// "|TEXT|" -> TEXT
inline std::optional<std::string> Barred(std::string_view rest) {
    if (rest.size() < 2 || rest.front() != '|' || rest.back() != '|') return std::nullopt;
    return std::string(rest.substr(1, rest.size() - 2));
}

}  // namespace detail

inline std::string SeedFromScript(std::string_view script) {
    using detail::Barred;
    using detail::Word;
    std::optional<std::string> configRaw, scoreRaw;
    std::map<int, std::string> configSlots;
    std::map<int, std::string> scoreFields;
    EventInputWriter events;

    std::istringstream lines{std::string(script)};
    std::string raw;
    while (std::getline(lines, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string_view line = raw;
        if (line.starts_with("#file ") || line.starts_with("#config ") ||
            line.starts_with("#score ")) {
            std::string_view rest = line;
            std::string_view keyword = Word(rest);
            if (keyword == "#score") {
                std::string_view what = Word(rest);
                if (what == "zero") {
                    for (int k = 1; k <= 50; ++k) scoreFields[k] = "0";
                } else if (auto text = Barred(rest)) {
                    scoreFields[std::atoi(std::string(what).c_str())] = *text;
                }
                continue;
            }
            std::string_view name = Word(rest);
            if (name != "router1.cfg" && name != "user.dat") continue;
            bool isConfig = name == "router1.cfg";
            if (keyword == "#config" && isConfig) {
                if (configSlots.empty()) configSlots[1] = "Router";
                if (Word(rest) == "slot") {
                    int k = std::atoi(std::string(Word(rest)).c_str());
                    if (auto text = Barred(rest)) configSlots[k] = *text;
                }
                continue;
            }
            std::string& content = isConfig ? configRaw.emplace() : scoreRaw.emplace();
            if (rest == "empty") continue;
            std::string end = "\r\n";
            if (rest.starts_with("lf ")) {
                end = "\n";
                rest.remove_prefix(3);
            } else if (rest.starts_with("noend ")) {
                end.clear();
                rest.remove_prefix(6);
            }
            if (auto text = Barred(rest)) content += *text + end;
            continue;
        }
        std::optional<Event> event = ParseEvent(line);
        if (!event) continue;
        switch (event->kind) {
            case Event::Key:
                events.Key(static_cast<std::uint16_t>(event->number));
                break;
            case Event::Type:
                events.Type(event->text);
                break;
            case Event::Plan:
                events.Op(OpPlan);
                break;
            case Event::ClosePlan:
                events.Op(OpClosePlan);
                break;
            case Event::Click:
                events.Click(event->number);
                break;
            case Event::Tick:
                events.Op(OpTick);
                break;
            case Event::Finish:
                events.Op(OpFinish);
                break;
            case Event::Skip:
            case Event::Screen:
                break;
        }
    }

    EventInputWriter out;
    FileKind configKind = FileKind::Absent, scoreKind = FileKind::Absent;
    std::string configBytes, scoreBytes;
    if (configRaw) {
        configKind = FileKind::Raw;
        configBytes = *configRaw;
    } else if (!configSlots.empty()) {
        configKind = FileKind::Built;
        for (int k = 1; k <= configSlots.rbegin()->first; ++k)
            configBytes += (configSlots.contains(k) ? configSlots[k] : "") + "\n";
    }
    if (scoreRaw) {
        scoreKind = FileKind::Raw;
        scoreBytes = *scoreRaw;
    } else if (!scoreFields.empty()) {
        scoreKind = FileKind::Raw;
        for (const auto& [k, field] : scoreFields)
            scoreBytes += std::to_string(k) + "," + field + ",0,0\r\n";
    }
    out.Files(configKind, configBytes, scoreKind, scoreBytes);
    return out.Bytes() + events.Bytes();
}

}  // namespace pellix::fuzz
