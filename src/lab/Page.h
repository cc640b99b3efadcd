// A page the lab shows over or beside the console (a lesson's steps, the
// progress, the network plan): a caption, rows of text at most
// kConsoleColumns wide, and a hint naming the keys that work on it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellix::lab {

// The columns of the console that every front end shows: a line longer than
// this is cut with a marker, never wrapped or hidden.
inline constexpr int kConsoleColumns = 80;

// The part of a page's row from `column` on that names a file, and the place
// in it ("task-1"): a front end may make it a link the learner can open.
struct PageLink {
    std::size_t row = 0;
    std::size_t column = 0;
    std::filesystem::path file;
    std::string fragment;
    bool operator==(const PageLink&) const = default;
};

struct Page {
    std::string caption;
    std::vector<std::string> rows;
    std::string hint;
    std::vector<PageLink> links;
};

// The text broken into rows of at most `width` columns at blanks (a word
// longer than a row is broken inside).
std::vector<std::string> WrapText(std::string_view text, int width);

}  // namespace pellix::lab
