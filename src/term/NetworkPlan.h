// The exercise network as a text drawing: the learner's map of the devices
// and addresses that the router's commands accept.
#pragma once

#include <string>
#include <vector>

namespace pellix::term {

// The drawing's rows, each at most 80 columns wide, at most 22 rows.
const std::vector<std::string>& NetworkPlanRows();

}  // namespace pellix::term
