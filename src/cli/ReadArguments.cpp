#include "cli/ReadArguments.h"

#include <getopt.h>

namespace pellix::cli {

namespace {

// getopt's code for a long option: past every character, so that it tells
// the long form from the short one.
constexpr int kLongCode = 256;

// getopt's letters: "+" or "-" for where other arguments may come, ":" to
// tell a missing value from an unknown option, then each letter.
std::string ShortOptions(std::span<const Option> table, Operands operands) {
    std::string letters = operands == Operands::EndOptions ? "+:" : "-:";
    for (const Option& option : table) {
        if (!option.letter) continue;
        letters += option.letter;
        if (option.takesValue) letters += ':';
    }
    return letters;
}

std::vector<option> LongOptions(std::span<const Option> table) {
    std::vector<option> longs;
    for (std::size_t i = 0; i < table.size(); ++i)
        longs.push_back({table[i].name, table[i].takesValue ? required_argument : no_argument,
                         nullptr, kLongCode + static_cast<int>(i)});
    longs.push_back({nullptr, 0, nullptr, 0});
    return longs;
}

// The table's option for one of getopt's codes, long or short.
std::optional<std::size_t> OptionFor(std::span<const Option> table, int code) {
    if (code >= kLongCode) return static_cast<std::size_t>(code - kLongCode);
    for (std::size_t i = 0; i < table.size(); ++i)
        if (code != 0 && table[i].letter == code) return i;
    return std::nullopt;
}

// What getopt's ':' (a value missing) or '?' (the rest) means, from the
// option's code it left in optopt.
Fault FaultFor(std::span<const Option> table, int code, const std::string& word) {
    if (code == ':') {
        const char letter = optopt < kLongCode ? static_cast<char>(optopt) : 0;
        return {Fault::Kind::MissingValue, OptionFor(table, optopt), letter, word};
    }
    if (optopt >= kLongCode) return {Fault::Kind::UnwantedValue, OptionFor(table, optopt), 0, word};
    return {Fault::Kind::UnknownOption, std::nullopt, static_cast<char>(optopt), word};
}

}  // namespace

Reading ReadArguments(std::span<const Option> table, const std::vector<std::string>& args,
                      Operands operands, Dashes dashes) {
    std::vector<std::string> words{"program"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    const std::string letters = ShortOptions(table, operands);
    const std::vector<option> longs = LongOptions(table);
    const auto next = dashes == Dashes::Two ? getopt_long : getopt_long_only;

    Reading reading;
    optind = 0;  // getopt starts afresh (0, not 1, resets its place in a word too)
    opterr = 0;  // and says nothing itself
    for (;;) {
        // The argument getopt reads now: a new one, or the rest of "-xyz".
        const auto at = static_cast<std::size_t>(optind == 0 ? 1 : optind);
        const int code = next(argc, argv.data(), letters.c_str(), longs.data(), nullptr);
        if (code == -1 && operands == Operands::AmongOptions && optind == static_cast<int>(at) &&
            at < words.size() && words[at] == "-") {
            // A lone "-" (standard input) ends the options for some getopts
            // (musl's, under WebAssembly): it is an operand like any other.
            reading.operands.push_back(words[at]);
            optind = static_cast<int>(at) + 1;
            continue;
        }
        if (code == -1) break;
        const std::string& word = words[at];
        if (code == 1) {
            reading.operands.push_back(optarg);
        } else if (code == ':' || code == '?') {
            reading.fault = FaultFor(table, code, word);
            return reading;
        } else {
            const std::size_t found = *OptionFor(table, code);
            reading.options.push_back(
                {found, code < kLongCode, table[found].takesValue ? optarg : "", word});
        }
    }
    for (int i = optind; i < argc; ++i)
        reading.operands.push_back(words[static_cast<std::size_t>(i)]);
    return reading;
}

}  // namespace pellix::cli
