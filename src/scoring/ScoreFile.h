// "user.dat": 50 records "task,entry,filler,filler" with CR LF, the entry
// left out (two commas in a row) when it is empty.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "scoring/TaskTable.h"
#include "state/Files.h"

namespace pellix {

inline constexpr std::string_view kScoreFile = "user.dat";

// The pseudo-random source of the two meaningless filler fields.
using FillerSource = std::minstd_rand;

std::string WriteScoreText(const TaskTable& tasks, FillerSource& fillers);
// Draws the fillers that one WriteScoreText would, and writes nothing.
void SkipScoreFillers(FillerSource& fillers);

// Record k gives entry k from its second field when that field is a whole
// number from -32768 to 32767; every other entry stays empty.
TaskTable ReadScoreText(std::string_view text);

// A score file that the router could not read or write. The router itself
// says nothing about it on its console or status strip; a front end tells
// the learner once, outside them.
struct ScoreFileProblem {
    // Read: the file exists but could not be read; the run keeps its score in
    // memory and never overwrites the file. Write: a save failed (the next
    // one may work).
    enum class Action { None, Read, Write };
    Action action = Action::None;
    std::filesystem::path file;
    FileError error = FileError::None;
    // Rises by one each time a new problem is recorded, never when one
    // clears: a front end shows Text() when serial differs from the last one
    // it showed and action is not None.
    unsigned serial = 0;

    // One or two sentences for the learner naming the file, the reason and
    // what happens to the score; "" when there is no problem.
    std::string Text() const;
};

}  // namespace pellix
