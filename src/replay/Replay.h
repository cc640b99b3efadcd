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
    // The typed text: a view into the parsed line, valid as long as it is.
    std::string_view text;
};

// The event of one line (without its LF), or nothing when it is malformed.
// A typed text is a view into line.
std::optional<Event> ParseEvent(std::string_view line);

// Runs one event; returns false when the run ends (after "finish").
bool Apply(Sim& sim, const Event& event, std::ostream& out);

// The snapshot as one line of JSON (no line end).
std::string SnapshotJson(const Sim& sim);

// How much of a malformed script line the error message echoes.
inline constexpr std::size_t kMaxEchoBytes = 200;

// A script line as the error message echoes it: at most kMaxEchoBytes bytes,
// then "..."; backslash and double quote escaped with a backslash, control
// bytes and bytes from 127 up as \xNN, so nothing reaches the terminal raw.
std::string EchoLine(std::string_view line);

// A text as a JSON string, each byte the character with that code.
std::string JsonText(std::string_view text);

// The lines that left the top of the console, oldest first, as a JSON array.
std::string ScrollBackJson(const Sim& sim);

// Runs a whole script; returns the exit status: 0 when every event ran, 2 at
// a malformed line or when the script cannot be read. Errors, and a score
// file the router cannot read or write, go to err.
int RunScript(Sim& sim, std::istream& script, std::ostream& out, std::ostream& err);

}  // namespace pellix
