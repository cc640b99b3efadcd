// pellix-replay [OPTION]... [SCRIPT]
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <streambuf>
#endif

#include "cli/ReadArguments.h"
#include "console/About.h"
#include "console/Sim.h"
#include "replay/Replay.h"

namespace {

constexpr char kName[] = "pellix-replay";
constexpr char kSynopsis[] = "pellix-replay [--dir DIR] [SCRIPT]";
constexpr char kHelp[] =
    "Usage: pellix-replay [--dir DIR] [SCRIPT]\n"
    "Runs the router simulator without a window: the start-up sequence, then the\n"
    "events of SCRIPT (or standard input, also for '-'), printing a JSON snapshot\n"
    "for every 'screen' event. See pellix-replay(1) for the events.\n"
    "\n"
    "  -d, --dir DIR   work on router1.cfg, user.dat and TFTP files in DIR\n"
    "                  (default: the current folder)\n"
    "  -h, --help      show this help and exit\n"
    "  -V, --version   show the version and exit\n"
    "  --              end of options (a SCRIPT that starts with '-' follows)\n";

int BadUsage(const std::string& problem) {
    std::cerr << pellix::about::BadUsageText(kName, problem, kSynopsis);
    return pellix::about::kBadUsage;
}

int Fail(const std::string& problem) {
    std::cerr << "pellix-replay: " << problem << "\n";
    return 2;
}

#ifdef __EMSCRIPTEN__
// Node's standard input (a pipe, a file, a terminal), read with Node's own
// file system: the C++ standard input sees nothing of it there. A pipe with
// nothing in it yet is waited for. Returns the bytes read, 0 at its end, -1
// on an error (a closed standard input).
// clang-format off
EM_JS(int, ReadStandardInput, (char* buffer, int size), {
    const fs = require('fs');
    for (;;) {
        try {
            return fs.readSync(0, HEAPU8.subarray(buffer, buffer + size), 0, size, null);
        } catch (error) {
            if (error.code == 'EAGAIN') {
                Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, 10);
                continue;
            }
            if (error.code == 'EOF') return 0;
            return -1;
        }
    }
});
// clang-format on

// Standard input as the script's stream; a read error fails the stream (its
// bad bit, as on the native standard input: the WebAssembly build has no
// exceptions to report it with).
class NodeStandardInput : public std::streambuf {
  public:
    void Feeds(std::istream& stream) { stream_ = &stream; }

  protected:
    int_type underflow() override {
        const int got = ReadStandardInput(buffer_, sizeof buffer_);
        if (got < 0 && stream_) stream_->setstate(std::ios::badbit);
        if (got <= 0) return traits_type::eof();
        setg(buffer_, buffer_, buffer_ + got);
        return traits_type::to_int_type(buffer_[0]);
    }

  private:
    std::istream* stream_ = nullptr;
    char buffer_[1 << 16];
};
#endif

}  // namespace

namespace {

constexpr pellix::cli::Option kOptions[] = {
    {"dir", 'd', true},
    {"help", 'h'},
    {"version", 'V'},
};
enum { kDirOption, kHelpOption, kVersionOption };

// What the command line asks for: the folder and the script, or an ending
// (help, version, a wrong command line) with its exit status.
struct Request {
    std::filesystem::path dir = ".";
    std::string script = "-";
    std::optional<int> ending;
};

std::string Problem(const pellix::cli::Fault& fault) {
    using Kind = pellix::cli::Fault::Kind;
    const std::string letter = std::string("-") + fault.letter;
    if (fault.kind == Kind::MissingValue)
        return (fault.letter ? letter : fault.word) + " needs a value";
    return "unknown option " + (fault.letter ? letter : fault.word);
}

// The options act in the order written: help and version end the program
// where they stand, before a later mistake.
Request ReadCommandLine(int argc, char** argv) {
    const pellix::cli::Reading reading =
        pellix::cli::ReadArguments(kOptions, std::vector<std::string>(argv + 1, argv + argc),
                                   pellix::cli::Operands::AmongOptions);
    Request request;
    for (const pellix::cli::Found& found : reading.options) {
        if (found.option == kDirOption && found.value.empty()) {
            request.ending = BadUsage("--dir needs a folder");
            return request;
        }
        if (found.option == kDirOption) request.dir = found.value;
        if (found.option == kHelpOption) std::cout << kHelp;
        if (found.option == kVersionOption) std::cout << pellix::about::VersionText(kName);
        if (found.option != kDirOption) {
            request.ending = 0;
            return request;
        }
    }
    if (reading.fault)
        request.ending = BadUsage(Problem(*reading.fault));
    else if (reading.operands.size() > 1)
        request.ending = BadUsage("more than one script");
    else if (!reading.operands.empty())
        request.script = reading.operands.front();
    return request;
}

}  // namespace

int main(int argc, char** argv) {
    const Request request = ReadCommandLine(argc, argv);
    if (request.ending) return *request.ending;
    const std::filesystem::path& dir = request.dir;
    const std::string& script = request.script;

    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return BadUsage("no such folder: " + dir.string());

    std::ifstream file;
    if (script != "-") {
        file.open(script, std::ios::binary);
        if (!file) return Fail("cannot open script " + script + " (" + std::strerror(errno) + ")");
        if (std::filesystem::is_directory(script, ec))
            return Fail("cannot read script " + script + " (Is a directory)");
    }
#ifdef __EMSCRIPTEN__
    NodeStandardInput standardInput;
    std::istream nodeIn(&standardInput);
    standardInput.Feeds(nodeIn);
    std::istream& in = file.is_open() ? static_cast<std::istream&>(file) : nodeIn;
#else
    std::istream& in = file.is_open() ? static_cast<std::istream&>(file) : std::cin;
#endif

    std::ios::sync_with_stdio(false);
    pellix::Sim sim(dir);
    sim.Start();
    return pellix::RunScript(sim, in, std::cout, std::cerr);
}
