#include "term/Options.h"

#include <getopt.h>

namespace pellix::term {

Options ParseOptions(const std::vector<std::string>& args) {
    static const option kLongOptions[] = {
        {"dir", required_argument, nullptr, 'd'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {"no-hints", no_argument, nullptr, 'H'},
        {nullptr, 0, nullptr, 0},
    };
    std::vector<std::string> words{"pellix-term"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    Options options;
    // "+": options end at the first other argument; ":": a missing value is
    // told apart from an unknown option. getopt reports nothing itself.
    optind = 0;
    opterr = 0;
    const int argc = static_cast<int>(words.size());
    for (int c; (c = getopt_long(argc, argv.data(), "+:d:hV", kLongOptions, nullptr)) != -1;) {
        switch (c) {
            case 'd':
                if (*optarg == '\0') {
                    options.error = "--dir needs a folder";
                    return options;
                }
                options.dir = optarg;
                break;
            case 'h':
                options.help = true;
                break;
            case 'V':
                options.version = true;
                break;
            case 'H':
                options.hints = false;
                break;
            case ':':
                options.error = "--dir needs a folder";
                return options;
            default: {
                const std::string& word = words[static_cast<std::size_t>(optind - 1)];
                options.error = "unknown option " + (optopt != 0 && !word.starts_with("--")
                                                         ? std::string("-") + char(optopt)
                                                         : word.substr(0, word.find('=')));
                return options;
            }
        }
    }
    if (optind < argc)
        options.error = "unexpected argument " + words[static_cast<std::size_t>(optind)];
    return options;
}

}  // namespace pellix::term
