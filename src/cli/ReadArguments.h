// A program's command line read the GNU way, with getopt_long: each program
// declares its options once, as a table of Option, and gets back what was
// written, in order, for its own checks and messages.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pellix::cli {

struct Option {
    const char* name;         // the long form, after "--"
    char letter = 0;          // the short form, after "-", or 0 for none
    bool takesValue = false;  // "--name VALUE", "--name=VALUE", "-x VALUE", "-xVALUE"
};

// An option as found on the command line.
struct Found {
    std::size_t option;  // its place in the table
    bool shortForm;      // written as its letter
    std::string value;   // its value, for an option that takes one
    std::string word;    // the argument it was written in, as written
};

// What stops the reading.
struct Fault {
    enum class Kind {
        UnknownOption,  // no such option, or an ambiguous abbreviation
        MissingValue,   // the option's value is missing at the end
        UnwantedValue,  // "--name=VALUE" for an option without a value
    };
    Kind kind;
    std::optional<std::size_t> option;  // the table's option, when known
    char letter = 0;                    // the letter, when written as a short option
    std::string word;                   // the argument at fault, as written
};

enum class Operands {
    EndOptions,    // the first other argument ends the options
    AmongOptions,  // other arguments may come between the options
};

enum class Dashes {
    Two,       // long options after "--" only (getopt_long)
    OneOrTwo,  // long options after "-" too, as Qt writes its own (getopt_long_only)
};

struct Reading {
    std::vector<Found> options;         // in the order written, up to a fault
    std::optional<Fault> fault;         // what stopped the reading, if anything
    std::vector<std::string> operands;  // the other arguments, those after "--" too
};

// Reads ARGS, the arguments after the program's name. getopt's own messages
// are off, and its state is reset first: a program may read more than once.
// Long options may be abbreviated while unambiguous, as getopt_long allows.
Reading ReadArguments(std::span<const Option> table, const std::vector<std::string>& args,
                      Operands operands, Dashes dashes = Dashes::Two);

}  // namespace pellix::cli
