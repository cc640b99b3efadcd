// Learner names: the only text from a client that becomes a file name.
#pragma once

#include <string>
#include <string_view>

namespace pellix::serve {

inline constexpr std::size_t kMaxNameLength = 32;

// What a learner is told when a name is refused.
inline constexpr std::string_view kNameRule =
    "A learner name is 1 to 32 letters, digits, - or _ (no blanks, no other signs), "
    "not beginning with -.";

// True for 1 to 32 ASCII letters, digits, '-' and '_', the first not '-'. Such a name has no '/'
// and no '.', so the folder named by it always lies directly inside the
// server's folder.
bool ValidLearnerName(std::string_view name);

// The name as learners are told apart: its letters in lower case ("Ana" and
// "ana" are one learner).
std::string FoldedName(std::string_view name);

}  // namespace pellix::serve
