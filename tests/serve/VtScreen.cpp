#include "VtScreen.h"

#include <algorithm>
#include <cstdlib>

namespace pellix::serve::testing {

VtScreen::VtScreen(int rows, int cols) {
    Resize(rows, cols);
}

void VtScreen::Resize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
    cells_.assign(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(cols), ' '));
    row_ = col_ = 0;
}

std::string VtScreen::Row(int row) const {
    if (row < 0 || row >= rows_) return {};
    std::string text = cells_[static_cast<std::size_t>(row)];
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string VtScreen::Text() const {
    std::string text;
    for (int row = 0; row < rows_; ++row) text += Row(row) + "\n";
    return text;
}

void VtScreen::LineFeed() {
    if (row_ + 1 < rows_) {
        ++row_;
        return;
    }
    cells_.erase(cells_.begin());
    cells_.emplace_back(static_cast<std::size_t>(cols_), ' ');
}

void VtScreen::Put(char c) {
    if (col_ >= cols_) {
        col_ = 0;
        LineFeed();
    }
    cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)] = c;
    ++col_;
}

void VtScreen::Control(char final, const std::string& params) {
    std::vector<int> numbers;
    std::string digits = params;
    if (!digits.empty() && digits[0] == '?') {
        if (digits == "?25" && (final == 'h' || final == 'l')) cursorShown_ = final == 'h';
        return;
    }
    std::size_t start = 0;
    while (start <= digits.size()) {
        const std::size_t end = std::min(digits.find(';', start), digits.size());
        numbers.push_back(std::atoi(digits.substr(start, end - start).c_str()));
        start = end + 1;
    }
    const auto arg = [&](std::size_t i, int fallback) {
        return i < numbers.size() && numbers[i] > 0 ? numbers[i] : fallback;
    };
    std::string& line = cells_[static_cast<std::size_t>(row_)];
    switch (final) {
        case 'H':
            row_ = std::clamp(arg(0, 1) - 1, 0, rows_ - 1);
            col_ = std::clamp(arg(1, 1) - 1, 0, cols_ - 1);
            break;
        case 'J':
            if (arg(0, 0) == 2)
                for (std::string& row : cells_) row.assign(static_cast<std::size_t>(cols_), ' ');
            break;
        case 'K':
            if (col_ < cols_)
                line.replace(static_cast<std::size_t>(col_), std::string::npos,
                             static_cast<std::size_t>(cols_ - col_), ' ');
            break;
        default:  // looks and everything else change no text
            break;
    }
}

void VtScreen::Feed(std::string_view bytes) {
    for (char c : bytes) {
        switch (state_) {
            case State::Text:
                if (c == '\x1b') {
                    state_ = State::Escape;
                } else if (c == '\r') {
                    col_ = 0;
                } else if (c == '\n') {
                    LineFeed();
                } else if (c == '\b') {
                    if (col_ > 0) --col_;
                } else if (static_cast<unsigned char>(c) >= 32) {
                    Put(c);
                }
                break;
            case State::Escape:
                state_ = c == '[' ? State::Csi : State::Text;
                params_.clear();
                break;
            case State::Csi:
                if (c >= 0x40 && c <= 0x7e) {
                    Control(c, params_);
                    state_ = State::Text;
                } else {
                    params_ += c;
                }
                break;
        }
    }
}

}  // namespace pellix::serve::testing
