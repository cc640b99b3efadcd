// pellix-replay [OPTION]... [SCRIPT]
#include <getopt.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <streambuf>
#endif

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

int main(int argc, char** argv) {
    static const option kOptions[] = {
        {"dir", required_argument, nullptr, 'd'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    std::filesystem::path dir = ".";
    opterr = 0;  // the messages below say what is wrong
    for (int c; (c = getopt_long(argc, argv, ":d:hV", kOptions, nullptr)) != -1;) {
        switch (c) {
            case 'd':
                if (*optarg == '\0') return BadUsage("--dir needs a folder");
                dir = optarg;
                break;
            case 'h':
                std::cout << kHelp;
                return 0;
            case 'V':
                std::cout << pellix::about::VersionText(kName);
                return 0;
            case ':':
                return BadUsage(std::string(argv[optind - 1]) + " needs a value");
            default:
                return BadUsage("unknown option " + (optopt ? std::string("-") + char(optopt)
                                                            : std::string(argv[optind - 1])));
        }
    }
    if (argc - optind > 1) return BadUsage("more than one script");
    const std::string script = optind < argc ? argv[optind] : "-";

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
