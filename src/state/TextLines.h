// Reading the router's text files line by line: lines end at LF, and a CR
// before the LF belongs to the line end.
#pragma once

#include <optional>
#include <string_view>

namespace pellix {

class TextLines {
  public:
    explicit TextLines(std::string_view text) : text_(text) {}

    // The next line without its line end, or nothing after the last one. A
    // last line without LF still counts.
    std::optional<std::string_view> Next() {
        if (pos_ >= text_.size()) return std::nullopt;
        std::size_t end = text_.find('\n', pos_);
        std::string_view line =
            text_.substr(pos_, end == std::string_view::npos ? end : end - pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        return line;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace pellix
