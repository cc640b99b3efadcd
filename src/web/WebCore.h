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
// The lines that left the top of the console, oldest first, as a JSON array.
const char* pellix_scroll_back();
// The score file's problem for the learner, shown once each time it is new:
// the text when the problem is newer than the one with serial shown, else "".
const char* pellix_score_problem(unsigned shown);
// The problem's serial number (see ScoreFileProblem).
unsigned pellix_score_problem_serial();
// The coach's hint's second half alone ("This lab takes ..."), for a line too
// narrow for the whole hint (the snapshot's "hint").
const char* pellix_hint_brief();
// The score: the sum of the task table's entries.
long pellix_score();
// The progress view's table as JSON: {"next": the first task in the lessons'
// order not done (0 when all are), "tasks": [{"title", "anchor", "done"} for
// tasks 1 to 50]}.
const char* pellix_progress();
// CheckImportedFile for a file of size bytes.
const char* pellix_check_file(const char* name, const char* data, int size);
}
