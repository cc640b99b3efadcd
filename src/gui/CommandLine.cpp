#include "gui/CommandLine.h"

#include <string_view>

#include "cli/ReadArguments.h"

namespace pellix::gui {

namespace {

// Our options: "-x" or "--name"; a value as the next argument, or after
// "=" for the long form.
enum Own {
    kDirOption,
    kHelpOption,
    kVersionOption,
    kQuitAfterShow,
    kOpenMain,
    kNoHints,
    kOwnCount
};
constexpr cli::Option kOwnOptions[kOwnCount] = {
    {"dir", 'd', true},           {"help", 'h'}, {"version", 'V'},
    {"quit-after-show", 0, true}, {"open-main"}, {"no-hints"},
};

// Qt's own options, written with one dash or two and in full. Those with a
// value take it as the next argument, or after "=" where Qt reads that form.
struct QtOption {
    const char* name;
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
    {"title", true},
    {"icon", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"style", true, true},
    {"stylesheet", true, true},
    {"qmljsdebugger", true, true},
    {"reverse", false},
    {"widgetcount", false},
    {"testability", false},
};

// Both, for getopt_long_only: ours first, then Qt's.
std::vector<cli::Option> Table() {
    std::vector<cli::Option> table(std::begin(kOwnOptions), std::end(kOwnOptions));
    for (const QtOption& qt : kQtOptions) table.push_back({qt.name, 0, qt.takesValue});
    return table;
}

CommandLine Bad(std::string problem) {
    CommandLine line;
    line.action = CommandLine::Action::BadUsage;
    line.problem = std::move(problem);
    return line;
}

// The option's name as written, without its dashes and value.
std::string_view WrittenName(std::string_view word) {
    word.remove_prefix(word.starts_with("--") ? 2 : 1);
    return word.substr(0, word.find('='));
}

// Whether an option getopt found is written as this program reads it: ours
// as "-x" or after two dashes, Qt's in full and with "=" only where Qt
// takes that.
bool WrittenRightly(std::size_t option, bool shortForm, const std::string& word) {
    if (option < kOwnCount) return shortForm || word.starts_with("--");
    const QtOption& qt = kQtOptions[option - kOwnCount];
    return WrittenName(word) == qt.name && (qt.equalsForm || word.find('=') == std::string::npos);
}

std::string Problem(const cli::Fault& fault) {
    using Kind = cli::Fault::Kind;
    if (fault.kind == Kind::MissingValue && fault.letter)
        return std::string("-") + fault.letter + " needs a value";
    if (fault.kind == Kind::MissingValue && WrittenRightly(*fault.option, false, fault.word))
        return fault.word + " needs a value";
    if (fault.kind == Kind::UnwantedValue && *fault.option < kOwnCount &&
        fault.word.starts_with("--"))
        return "--" + std::string(kOwnOptions[*fault.option].name) + " takes no value";
    return "unknown option " + fault.word;
}

// Takes one of our options; returns what is wrong with it, or "".
std::string Take(CommandLine& line, const cli::Found& found) {
    switch (found.option) {
        case kDirOption:
            if (found.value.empty()) return "--dir needs a folder";
            line.dir = found.value;
            break;
        case kQuitAfterShow:
            if (found.value != "splash" && found.value != "splash-settled" && found.value != "main")
                return "--quit-after-show takes splash, splash-settled or main";
            line.quitAfterShow = found.value;
            break;
        case kOpenMain:
            line.openMain = true;
            break;
        case kNoHints:
            line.hints = false;
            break;
    }
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    const std::vector<cli::Option> table = Table();
    const cli::Reading reading =
        cli::ReadArguments(table, args, cli::Operands::EndOptions, cli::Dashes::OneOrTwo);
    CommandLine line;
    bool help = false, version = false;
    for (const cli::Found& found : reading.options) {
        if (!WrittenRightly(found.option, found.shortForm, found.word))
            return Bad("unknown option " + found.word);
        if (std::string problem = Take(line, found); !problem.empty()) return Bad(problem);
        help = help || found.option == kHelpOption;
        version = version || found.option == kVersionOption;
    }
    if (reading.fault) return Bad(Problem(*reading.fault));
    if (!reading.operands.empty()) return Bad("unexpected argument " + reading.operands.front());
    if (help)
        line.action = CommandLine::Action::Help;
    else if (version)
        line.action = CommandLine::Action::Version;
    return line;
}

}  // namespace pellix::gui
