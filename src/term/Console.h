// The terminal console's own logic, one event at a time: what each key does
// to the router and to the comforts of the terminal (scroll-back view,
// notices, pages over the console), and the screen that results. It knows no
// terminal: the loop in Terminal.cpp (or any other front end speaking to a
// terminal) feeds it keys, ticks and sizes and draws its screen.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "console/Sim.h"
#include "term/FunctionKeys.h"
#include "term/Keys.h"
#include "term/Layout.h"

namespace pellix::term {

using Clock = std::chrono::steady_clock;

// How long a first Ctrl-C waits for the second that ends the program.
inline constexpr auto kSecondCtrlCWait = std::chrono::seconds(2);
inline constexpr std::string_view kCtrlCNotice =
    "Ctrl-C again within 2 seconds to finish (your score is saved)";
// The notice line while the score file has a problem; F3 shows the whole text.
inline constexpr std::string_view kScoreProblemNotice = "Score file (F3 tells more): ";

// How many lines PgUp/PgDn and one wheel step move the scroll-back view.
inline constexpr int kPageLines = kConsoleLines - 1;
inline constexpr int kWheelLines = 3;

enum class Outcome { Continue, Finished };

class Console {
  public:
    Console(Sim& sim, int rows, int cols, const FunctionKeyTable& functionKeys = FunctionKeyUses());

    Outcome OnKey(const Key& key, Clock::time_point now);
    // The focus timer's tick.
    void OnTick();
    void OnResize(int rows, int cols);
    // When a notice runs out by itself, if one is shown; OnTime takes it away.
    std::optional<Clock::time_point> Deadline() const { return ctrlCUntil_; }
    void OnTime(Clock::time_point now);

    // Whether a new problem with the score file has come up since the last
    // call: the notice line tells it (never a page, which would take the
    // learner's next key) for as long as it stands. Keys check by
    // themselves; a front end that defers the router's saves checks after
    // each one, and draws again when this says so.
    bool ShowScoreProblem();

    // Whether the notice line shows the coach's hint after a command this
    // lab does not know (on unless the learner turned the coach off).
    void ShowHints(bool on) { hints_ = on; }

    Screen Draw() const;
    bool ScrolledBack() const { return scrolledBack_ > 0; }
    const Sim& Router() const { return sim_; }

  private:
    struct OpenPage {
        Page page;
        int top = 0;
        int functionKey = 0;  // the key that opened it, which closes it too
    };
    void ScrollBy(int lines);
    bool ScrollPage(const Key& key);
    void FunctionKey(int number);
    bool PageKey(const Key& key);
    void ClosePages();
    std::string Notice() const;
    std::string CoachNotice() const;

    Sim& sim_;
    const FunctionKeyTable& functionKeys_;
    int rows_ = 0;
    int cols_ = 0;
    int scrolledBack_ = 0;
    std::optional<OpenPage> page_;
    std::optional<Clock::time_point> ctrlCUntil_;
    unsigned scoreProblemShown_ = 0;  // the serial of the problem told last
    bool hints_ = true;
};

// The line the shell shows after the learner finished: the score and where
// it was saved, or why it was not.
std::string FinishedLine(const Sim& sim);

}  // namespace pellix::term
