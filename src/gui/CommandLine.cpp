#include "gui/CommandLine.h"

#include <string_view>

namespace pellix::gui {

namespace {

// Qt's own options, written with one dash or two. Those with a value take it
// as the next argument, or after "=" where Qt reads that form.
struct QtOption {
    std::string_view name;
    bool takesValue;
    bool equalsForm = false;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"style", true, true},
    {"stylesheet", true, true},
    {"qmljsdebugger", true, true},
    {"reverse", false},
    {"widgetcount", false},
};

// Our options: one letter after one dash, or the name after two; a value
// comes as the next argument or, for the long form, after "=".
struct OwnOption {
    char letter;  // 0 when there is no short form
    std::string_view name;
    bool takesValue;
};
constexpr OwnOption kOwnOptions[] = {
    {'d', "dir", true},           {'h', "help", false},    {'V', "version", false},
    {0, "quit-after-show", true}, {0, "open-main", false}, {0, "no-hints", false},
};

CommandLine Bad(std::string problem) {
    CommandLine line;
    line.action = CommandLine::Action::BadUsage;
    line.problem = std::move(problem);
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool help = false, version = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            if (i + 1 < args.size()) return Bad("unexpected argument " + args[i + 1]);
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') return Bad("unexpected argument " + arg);

        // Split "--name=value" / "-name=value" and "-x" / "--name".
        const bool twoDashes = arg.starts_with("--");
        std::string_view body = std::string_view(arg).substr(twoDashes ? 2 : 1);
        std::optional<std::string> value;
        if (std::size_t equals = body.find('='); equals != std::string_view::npos) {
            value = std::string(body.substr(equals + 1));
            body = body.substr(0, equals);
        }

        const OwnOption* own = nullptr;
        for (const OwnOption& option : kOwnOptions)
            if (twoDashes ? body == option.name
                          : body.size() == 1 && option.letter && body[0] == option.letter && !value)
                own = &option;
        if (own) {
            if (own->takesValue && !value) {
                if (i + 1 >= args.size()) return Bad(arg + " needs a value");
                value = args[++i];
            } else if (!own->takesValue && value) {
                return Bad("--" + std::string(own->name) + " takes no value");
            }
            if (own->name == "help") help = true;
            if (own->name == "version") version = true;
            if (own->name == "open-main") line.openMain = true;
            if (own->name == "no-hints") line.hints = false;
            if (own->name == "dir") {
                if (value->empty()) return Bad("--dir needs a folder");
                line.dir = *value;
            }
            if (own->name == "quit-after-show") {
                if (*value != "splash" && *value != "splash-settled" && *value != "main")
                    return Bad("--quit-after-show takes splash, splash-settled or main");
                line.quitAfterShow = *value;
            }
            continue;
        }

        const QtOption* qt = nullptr;
        for (const QtOption& option : kQtOptions)
            if (body == option.name) qt = &option;
        if (!qt || (value && !qt->equalsForm)) return Bad("unknown option " + arg);
        if (qt->takesValue && !value) {
            if (i + 1 >= args.size()) return Bad(arg + " needs a value");
            ++i;
        }
    }
    if (help)
        line.action = CommandLine::Action::Help;
    else if (version)
        line.action = CommandLine::Action::Version;
    return line;
}

}  // namespace pellix::gui
