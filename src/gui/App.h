// The program's entry: the command line, the learner's data folder, the
// splash window and the event loop.
#pragma once

namespace pellix::gui {

int RunPellix(int argc, char** argv);

}  // namespace pellix::gui
