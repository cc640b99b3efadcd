// "user.dat": 50 records "task,entry,filler,filler" with CR LF, the entry
// left out (two commas in a row) when it is empty.
#pragma once

#include <random>
#include <string>
#include <string_view>

#include "scoring/TaskTable.h"

namespace pellix {

// The pseudo-random source of the two meaningless filler fields.
using FillerSource = std::minstd_rand;

std::string WriteScoreText(const TaskTable& tasks, FillerSource& fillers);

// Record k gives entry k from its second field when that field is a whole
// number from -32768 to 32767; every other entry stays empty.
TaskTable ReadScoreText(std::string_view text);

}  // namespace pellix
