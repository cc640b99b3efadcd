// The lab console: the router's console with the comforts around it, one
// event at a time and free of any toolkit. Every front end (the terminal,
// the classroom server, the desktop window, the browser page) maps its own
// input to keys, hands them here, and draws what this says to show: which
// lines of the console (live or scrolled back), which page is open, the
// one-line notice and the coach's hint. Here alone are decided what each key
// does on the console and on a page, how pasted text is typed, when the
// score is saved and when a problem with the score file is told.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/Sim.h"
#include "lab/FunctionKeys.h"
#include "lab/Key.h"
#include "lab/Page.h"

namespace pellix::lab {

using Clock = std::chrono::steady_clock;

// How long a first Ctrl-C waits for the second that ends the lab.
inline constexpr auto kSecondCtrlCWait = std::chrono::seconds(2);
inline constexpr std::string_view kCtrlCNotice =
    "Ctrl-C again within 2 seconds to finish (your score is saved)";
// The notice line while the score file has a problem; F3 shows the whole text.
inline constexpr std::string_view kScoreProblemNotice = "Score file (F3 tells more): ";

// How many lines PgUp/PgDn and one wheel step move the scroll-back view.
inline constexpr int kPageLines = kConsoleLines - 1;
inline constexpr int kWheelLines = 3;
// How many columns Left and Right move the console's view sideways, for
// lines longer than the console.
inline constexpr int kShiftColumns = kConsoleColumns / 2;

enum class Outcome { Continue, Finished };

// Where a front end shows the lab's pages and the network plan: over the
// console, where they take the keys (a terminal), or beside it, where the
// console keeps them (the desktop's windows, the browser's panels).
enum class PagePlace { OverConsole, BesideConsole };

// The character codes that typing a pasted text gives: each line end (line
// feed, carriage return, or both together) is one Enter; every other
// character is its own code (UTF-8 read as characters), for the router's key
// handler to use or drop.
std::vector<std::uint16_t> PastedKeys(std::string_view text);

// "Scrolled back 3 lines: PgUp/PgDn, any other key returns".
std::string ScrolledNotice(int lines);
// "Shifted 40 columns right: Left/Right, any other key returns".
std::string ShiftedNotice(int columns);

class Console {
  public:
    // Takes over the router's saves: each prompt marks the score for saving
    // and AfterDraw saves it once the front end has drawn the answer.
    Console(Sim& sim, PagePlace place, const FunctionKeyTable& functionKeys = FunctionKeyUses());

    // A key the learner pressed, at `now` (for the second Ctrl-C). A key
    // pressed while a paste is still being typed waits behind it.
    Outcome OnKey(const Key& key, Clock::time_point now);
    // Whether pasted keys are waiting; TypePasted types them up to the end of
    // the next line, so that a front end can draw between lines.
    bool Pasting() const { return !pending_.empty(); }
    Outcome TypePasted(Clock::time_point now);

    // The room a front end has: how many rows of a page it shows at once,
    // and whether the console fits at all (when it does not, only Finish acts).
    void SetRoom(int pageRows, bool fits);
    // When a notice runs out by itself, if one is shown; OnTime takes it away.
    std::optional<Clock::time_point> Deadline() const { return ctrlCUntil_; }
    // How long from `now` until then (never less than nothing), for a front
    // end's one-shot timer.
    std::optional<std::chrono::milliseconds> TimeLeft(Clock::time_point now) const;
    void OnTime(Clock::time_point now);
    // The front end has drawn: the score marked for saving is saved now.
    // Returns whether there is something new to tell (see NewScoreProblem).
    bool AfterDraw();
    // Whether a problem with the score file came up since the last call, for
    // a front end that tells it with a notice of its own; the notice line
    // tells it for as long as it stands.
    bool NewScoreProblem();

    // Closes the lab's own page (the learner closed its window).
    void ClosePage() { page_.reset(); }

    // The coach's hints on the notice line (on unless the learner turned the
    // coach off, with F4 or at start-up).
    void ShowHints(bool on) { hints_ = on; }
    bool HintsOn() const { return hints_; }

    // ---- What a front end draws ----
    const Sim& Router() const { return sim_; }
    const FunctionKeyTable& FunctionKeys() const { return functionKeys_; }
    // How many lines up from the live console the view stands (0: live).
    int ScrolledBack() const;
    // The console line k as the view shows it: a kept line when scrolled back.
    const std::string& ShownLine(int k) const;
    // How many columns the view is moved sideways (0: lines from their
    // beginnings), for lines longer than the console.
    int ShiftedRight() const { return shifted_; }
    // The notice line: a first Ctrl-C's, else a standing score-file
    // problem's (unless the front end tells it with a notice of its own),
    // else the scroll-back view's, else the sideways view's, else "".
    std::string Notice(bool withScoreProblem = true) const;
    // The coach's hint for a line `width` columns wide ("" when off, or
    // while the view is scrolled back): whole when it fits, else what this
    // lab takes (cut at a clause when even that is too wide).
    std::string CoachNotice(int width = kConsoleColumns) const;
    // The page open, if any, and the row shown at its top.
    PageName OpenPage() const { return page_ ? page_->name : PageName::None; }
    const Page* ShownPage() const { return page_ ? &page_->page : nullptr; }
    int PageTop() const { return page_ ? page_->top : 0; }
    // The lesson the learner asked for with F1 where pages stand beside the
    // console (the front end opens the lessons there): the task, once.
    std::optional<int> TakeLessonRequest();

  private:
    struct OpenedPage {
        Page page;
        PageName name = PageName::None;
        int top = 0;
        int functionKey = 0;  // the key that opened it, which closes it too
    };
    Outcome Act(const Key& key, Clock::time_point now);
    void TypeCharacter(std::uint16_t code);
    Outcome Ended();
    void Paste(std::string_view text);
    void ScrollBy(int lines);
    void ShiftBy(int columns);
    bool ScrollPage(const Key& key);
    void FunctionKey(int number);
    bool PageKey(const Key& key);
    bool BesidePageKey(const Key& key);
    void ClosePages();

    Sim& sim_;
    PagePlace place_;
    const FunctionKeyTable& functionKeys_;
    int pageRows_ = kConsoleLines;
    bool fits_ = true;
    int scrolledBack_ = 0;
    int shifted_ = 0;
    std::optional<OpenedPage> page_;
    std::optional<Clock::time_point> ctrlCUntil_;
    struct Waiting {
        Key key;
        bool pasted = false;
    };
    std::deque<Waiting> pending_;  // pasted characters, and keys pressed behind them
    std::optional<int> lessonRequest_;
    unsigned scoreProblemShown_ = 0;  // the serial of the problem told last
    bool hints_ = true;
};

}  // namespace pellix::lab
