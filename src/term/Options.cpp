#include "term/Options.h"

#include "cli/ReadArguments.h"

namespace pellix::term {

namespace {

enum Id { kDir, kHelp, kVersion, kNoHints, kPlain };
constexpr cli::Option kOptions[] = {
    {"dir", 'd', true}, {"help", 'h'}, {"version", 'V'}, {"no-hints"}, {"plain"},
};

std::string Problem(const cli::Fault& fault) {
    if (fault.kind == cli::Fault::Kind::MissingValue) return "--dir needs a folder";
    if (fault.letter) return std::string("unknown option -") + fault.letter;
    return "unknown option " + fault.word.substr(0, fault.word.find('='));
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    const cli::Reading reading = cli::ReadArguments(kOptions, args, cli::Operands::EndOptions);
    Options options;
    for (const cli::Found& found : reading.options) {
        switch (found.option) {
            case kDir:
                if (found.value.empty()) {
                    options.error = "--dir needs a folder";
                    return options;
                }
                options.dir = found.value;
                break;
            case kHelp:
                options.help = true;
                break;
            case kVersion:
                options.version = true;
                break;
            case kNoHints:
                options.hints = false;
                break;
            case kPlain:
                options.plain = true;
                break;
        }
    }
    if (reading.fault)
        options.error = Problem(*reading.fault);
    else if (!reading.operands.empty())
        options.error = "unexpected argument " + reading.operands.front();
    return options;
}

}  // namespace pellix::term
