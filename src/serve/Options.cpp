#include "serve/Options.h"

#include <charconv>

#include "cli/ReadArguments.h"
#include "state/DataFolder.h"

namespace pellix::serve {

namespace {

constexpr cli::Option kOptions[] = {
    {"dir", 0, true},
    {"listen", 0, true},
    {"port", 0, true},
    {"web-port", 0, true},
    {"ssh-port", 0, true},
    {"class-password", 0, true},
    {"max-sessions", 0, true},
    {"idle-timeout", 0, true},
    {"login-timeout", 0, true},
    {"max-logins", 0, true},
    {"max-logins-per-address", 0, true},
    {"keep-minutes", 0, true},
    {"allow-open"},
    {"help", 'h'},
    {"version", 'V'},
};

std::optional<int> Number(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high) return std::nullopt;
    return value;
}

// Stores one option (and its value); returns an error text or "".
std::string Store(Options& options, const cli::Found& found) {
    const std::string_view name = kOptions[found.option].name;
    const std::string& value = found.value;
    if (!kOptions[found.option].takesValue) {
        (name == "allow-open" ? options.allowOpen
         : name == "help"     ? options.help
                              : options.version) = true;
        return {};
    }
    const std::string option = "--" + std::string(name);
    if (value.empty()) return option + " needs a value";
    if (name == "dir") {
        options.dir = value;
    } else if (name == "class-password") {
        options.classPassword = value;
    } else if (name == "listen") {
        options.listen = value;
    } else if (name == "port" || name == "web-port" || name == "ssh-port") {
        // 0 asks the system for a free port (the one taken is printed); for
        // SSH, it turns the listener off.
        auto port = Number(value, 0, 65535);
        if (!port) return option + " needs a port number from 0 to 65535";
        (name == "port"       ? options.port
         : name == "web-port" ? options.webPort
                              : options.sshPort) = *port;
    } else if (name == "max-sessions" || name == "max-logins" || name == "max-logins-per-address") {
        auto count = Number(value, 1, 100000);
        if (!count) return option + " needs a number from 1 to 100000";
        (name == "max-sessions" ? options.maxSessions
         : name == "max-logins" ? options.maxLogins
                                : options.maxLoginsPerAddress) = *count;
    } else if (name == "login-timeout") {
        auto seconds = Number(value, 1, 3600);
        if (!seconds) return "--login-timeout needs seconds from 1 to 3600";
        options.loginTimeout = *seconds;
    } else if (name == "keep-minutes") {
        auto minutes = Number(value, 0, 24 * 60);
        if (!minutes) return "--keep-minutes needs minutes from 0 to 1440";
        options.keepMinutes = *minutes;
    } else if (name == "idle-timeout") {
        auto seconds = Number(value, 0, 7 * 24 * 3600);
        if (!seconds) return "--idle-timeout needs seconds from 0 to 604800";
        options.idleTimeout = *seconds;
    }
    return {};
}

// The message for what stopped the reading: the argument as written, or the
// option's own name.
std::string Problem(const cli::Fault& fault) {
    if (fault.kind == cli::Fault::Kind::MissingValue)
        return "--" + std::string(kOptions[*fault.option].name) + " needs a value";
    return "unknown option " + fault.word;
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

Options ParseOptions(const std::vector<std::string>& args, const char* credentialsDirectory) {
    Options options = Parse(args);
    if (!options.classPassword && credentialsDirectory && *credentialsDirectory) {
        const std::filesystem::path credential =
            std::filesystem::path(credentialsDirectory) / kPasswordCredential;
        std::error_code ec;
        if (std::filesystem::exists(credential, ec)) options.classPassword = credential;
    }
    CheckOpen(options);
    return options;
}

namespace {

Options Parse(const std::vector<std::string>& args) {
    const cli::Reading reading = cli::ReadArguments(kOptions, args, cli::Operands::EndOptions);
    Options options;
    for (const cli::Found& found : reading.options) {
        options.error = Store(options, found);
        if (!options.error.empty()) return options;
    }
    if (reading.fault)
        options.error = Problem(*reading.fault);
    else if (!reading.operands.empty())
        options.error = "unexpected argument " + reading.operands.front();
    return options;
}

}  // namespace

std::filesystem::path ClassroomFolder(const std::optional<std::filesystem::path>& dir) {
    if (dir) return *dir;
    return LearnerFolder(std::nullopt) / "classroom";
}

}  // namespace pellix::serve
