// pellix: the router simulator's desktop program.
#include "gui/App.h"

int main(int argc, char** argv) {
    return pellix::gui::RunPellix(argc, argv);
}
