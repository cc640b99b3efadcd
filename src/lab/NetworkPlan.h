// The exercise network as a text drawing: the learner's map of the devices
// and addresses that the router's commands accept.
#pragma once

#include <string>
#include <vector>

namespace pellix::lab {

// The drawing's rows, each at most 80 columns wide, at most 21 rows: with a caption above
// and a hint below it fits 23 rows.
const std::vector<std::string>& NetworkPlanRows();

}  // namespace pellix::lab
