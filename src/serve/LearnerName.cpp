#include "serve/LearnerName.h"

namespace pellix::serve {

bool ValidLearnerName(std::string_view name) {
    // Not "-": a folder named "-rf" would be an option to a shell command
    // run in the class folder.
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '-') return false;
    for (char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '-' && c != '_') return false;
    }
    return true;
}

std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

}  // namespace pellix::serve
