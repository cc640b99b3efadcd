#include "serve/Options.h"

#include <charconv>

#include "state/DataFolder.h"

namespace pellix::serve {

namespace {

// The options that take a value, as "--name VALUE" or "--name=VALUE".
constexpr std::string_view kValued[] = {
    "--dir",          "--listen",         "--port",
    "--web-port",     "--class-password", "--max-sessions",
    "--idle-timeout", "--login-timeout",  "--max-logins-per-address",
    "--max-logins",
};

std::optional<int> Number(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high) return std::nullopt;
    return value;
}

// Stores one option's value; returns an error text or "".
std::string Store(Options& options, std::string_view name, const std::string& value) {
    if (value.empty()) return std::string(name) + " needs a value";
    if (name == "--dir") {
        options.dir = value;
    } else if (name == "--class-password") {
        options.classPassword = value;
    } else if (name == "--listen") {
        options.listen = value;
    } else if (name == "--port" || name == "--web-port") {
        // 0 asks the system for a free port (the one taken is printed).
        auto port = Number(value, 0, 65535);
        if (!port) return std::string(name) + " needs a port number from 0 to 65535";
        (name == "--port" ? options.port : options.webPort) = *port;
    } else if (name == "--max-sessions") {
        auto count = Number(value, 1, 100000);
        if (!count) return "--max-sessions needs a number from 1 to 100000";
        options.maxSessions = *count;
    } else if (name == "--max-logins" || name == "--max-logins-per-address") {
        auto count = Number(value, 1, 100000);
        if (!count) return std::string(name) + " needs a number from 1 to 100000";
        (name == "--max-logins" ? options.maxLogins : options.maxLoginsPerAddress) = *count;
    } else if (name == "--login-timeout") {
        auto seconds = Number(value, 1, 3600);
        if (!seconds) return "--login-timeout needs seconds from 1 to 3600";
        options.loginTimeout = *seconds;
    } else if (name == "--idle-timeout") {
        auto seconds = Number(value, 0, 7 * 24 * 3600);
        if (!seconds) return "--idle-timeout needs seconds from 0 to 604800";
        options.idleTimeout = *seconds;
    }
    return {};
}

}  // namespace

bool LoopbackOnly(const std::string& listen) {
    return listen == "localhost" || listen == "::1" || listen.starts_with("127.");
}

namespace {

// Others let in need a class password, or the instructor's word.
void CheckOpen(Options& options) {
    if (options.error.empty() && !options.help && !options.version &&
        !LoopbackOnly(options.listen) && !options.classPassword && !options.allowOpen)
        options.error = "--listen " + options.listen +
                        " lets others in without a password: give --class-password FILE, or "
                        "--allow-open for a class without one";
}

Options Parse(const std::vector<std::string>& args);

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    Options options = Parse(args);
    CheckOpen(options);
    return options;
}

namespace {

Options Parse(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            if (i + 1 < args.size()) options.error = "unexpected argument " + args[i + 1];
            return options;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "-V" || arg == "--version") {
            options.version = true;
            continue;
        }
        if (arg == "--allow-open") {
            options.allowOpen = true;
            continue;
        }
        std::string_view name;
        std::string value;
        bool hasValue = false;
        for (std::string_view valued : kValued) {
            if (arg == valued) {
                name = valued;
            } else if (arg.starts_with(valued) && arg.size() > valued.size() &&
                       arg[valued.size()] == '=') {
                name = valued;
                value = arg.substr(valued.size() + 1);
                hasValue = true;
            }
            if (!name.empty()) break;
        }
        if (name.empty()) {
            options.error =
                (arg.starts_with("-") ? "unknown option " : "unexpected argument ") + arg;
            return options;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                options.error = std::string(name) + " needs a value";
                return options;
            }
            value = args[++i];
        }
        options.error = Store(options, name, value);
        if (!options.error.empty()) return options;
    }
    return options;
}

}  // namespace

std::filesystem::path ClassroomFolder(const std::optional<std::filesystem::path>& dir) {
    if (dir) return *dir;
    return LearnerFolder(std::nullopt) / "classroom";
}

}  // namespace pellix::serve
