#include "term/Options.h"

namespace pellix::term {

Options ParseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--dir") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                options.error = "--dir needs a folder";
                return options;
            }
            options.dir = args[++i];
        } else if (arg.starts_with("--dir=")) {
            if (arg.size() == 6) {
                options.error = "--dir needs a folder";
                return options;
            }
            options.dir = arg.substr(6);
        } else {
            options.error = "unknown argument " + arg;
            return options;
        }
    }
    return options;
}

}  // namespace pellix::term
