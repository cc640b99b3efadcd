// Files a learner brings from another machine (the web lab's import): only
// the router's own files, and only as the router can load them.
#pragma once

#include <string>
#include <string_view>

namespace pellix {

// Why the file is refused, or "" when the router can use it: the name must be
// "router1.cfg", "user.dat" or a name the TFTP copy accepts; the content at
// most the router's file size, text without NUL bytes, and for a
// configuration all 100 lines the loader needs, for a score file at least
// one readable entry.
std::string CheckImportedFile(std::string_view name, std::string_view data);

}  // namespace pellix
