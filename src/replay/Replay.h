// The scripted driver: runs the start-up sequence, then a script of events,
// printing a JSON snapshot for every "screen" event.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace pellix {

class Sim;

// One script line, parsed.
struct Event {
    enum Kind { Skip, Key, Up, Down, Plan, ClosePlan, Click, Tick, Finish, Screen, Type };
    Kind kind = Skip;
    int number = 0;    // the key code, or the clicked line
    std::string text;  // the typed text
};

// The event of one line (without its LF), or nothing when it is malformed.
std::optional<Event> ParseEvent(std::string_view line);

// Runs one event; returns false when the run ends (after "finish").
bool Apply(Sim& sim, const Event& event, std::ostream& out);

// The snapshot as one line of JSON (no line end).
std::string SnapshotJson(const Sim& sim);

// Runs a whole script; returns the exit status. Errors go to err.
int RunScript(Sim& sim, std::istream& script, std::ostream& out, std::ostream& err);

}  // namespace pellix
