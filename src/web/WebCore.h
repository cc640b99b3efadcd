// The router core as the web page sees it: a handful of C functions that the
// page's script calls through the WebAssembly module. Events are the lines of
// the scripted driver ("key 13", "up", "plan", "tick", ...), so the page and
// pellix-replay deliver them through one parser; what the page draws is the
// driver's JSON snapshot.
#pragma once

extern "C" {
// Prepares the learner's folder and runs the main window's start-up sequence
// on it; returns an error text, or "" when the lab is ready.
const char* pellix_start(const char* folder);
// Runs one event line of the scripted driver; returns 0 when it ran, 1 when
// it ended the run ("finish"), 2 when the line is not an event.
int pellix_event(const char* line);
// The snapshot as JSON, valid until the next call.
const char* pellix_snapshot();
// The score file's standing problem for the learner, or "" (the page tells
// it when pellix_after_draw says a new one came up).
const char* pellix_score_problem();
// The coach's hint's second half alone ("This lab takes ..."), for a line too
// narrow for the whole hint (the snapshot's "hint").
const char* pellix_hint_brief();
// The score: the sum of the task table's entries.
long pellix_score();
// The progress view's table as JSON: {"next": the first task in the lessons'
// order not done (0 when all are), "tasks": [{"title", "anchor", "done"} for
// tasks 1 to 50]}; before Start, from the score file in folder.
const char* pellix_progress(const char* folder);
// CheckImportedFile for a file of size bytes.
const char* pellix_check_file(const char* name, const char* data, int size);

// ---- The lab console (the page's keys go here, as every front end's do) ----
// A key: name is "char" (code: the character code), "f" (code: 1 .. 10),
// "up", "down", "pageup", "pagedown", "wheelup", "wheeldown", "home" or
// "end". Returns 1 when it ended the run (F10, Ctrl-C twice), else 0.
int pellix_key(const char* name, int code);
// A pasted text (UTF-8), typed whole; returns 1 when it ended the run.
int pellix_paste(const char* text);
// The page has drawn: the score marked for saving is saved; returns 1 when a
// new problem with the score file is to be told.
int pellix_after_draw();
// A notice's time may be up.
void pellix_time();
// The learner closed the lab's own page (Progress) with the page's button.
void pellix_close_page();
// The coach's hints on (1) or off (0).
void pellix_hints(int on);
// What the page draws, as JSON: {"lines": the 21 lines the view shows,
// "scrolled": lines up from the live console, "notice": the notice line
// (a score-file problem left out: the page tells it itself), "coach": the
// coach's line for 80 columns, "page": "none" or "progress", "count": the
// progress count, "lesson": the task whose lesson F1 asked for (0: none),
// "hints", "finished", "wait": milliseconds until a notice runs out (-1:
// none)}.
const char* pellix_view();
}
