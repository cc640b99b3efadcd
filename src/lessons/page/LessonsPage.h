// The lessons page, readme.htm: one self-contained HTML5 document made from
// the lessons, with the network plan drawn inline.
#pragma once

#include <string>
#include <string_view>

namespace pellix {

// Appends the text with "&", "<", ">" and '"' written as HTML entities.
void EscapeHtml(std::string& out, std::string_view text);

// The whole page; plan is the network plan's SVG document.
std::string LessonsPage(std::string_view plan);

}  // namespace pellix
