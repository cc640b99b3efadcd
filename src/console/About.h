// What every Pellix program says about itself on its command line: the
// --version text (version, copyright, licence) and the short message for a
// bad command line.
#pragma once

#include <string>
#include <string_view>

namespace pellix::about {

inline constexpr std::string_view kVersion = PELLIX_VERSION;
inline constexpr std::string_view kCopyright = "Copyright (C) 2026 The Pellix developers";
inline constexpr std::string_view kLicence =
    "License: MIT <https://opensource.org/license/mit>. There is NO WARRANTY.";

// The exit status of a program whose command line is wrong.
inline constexpr int kBadUsage = 2;

// The whole --version text of the program called name, e.g. "pellix-term":
//   pellix-term 1.0.0
//   Copyright (C) 2026 The Pellix developers
//   License: MIT <https://opensource.org/license/mit>. There is NO WARRANTY.
inline std::string VersionText(std::string_view name) {
    std::string text(name);
    text.append(" ").append(kVersion).append("\n");
    text.append(kCopyright).append("\n");
    text.append(kLicence).append("\n");
    return text;
}

// What a program prints on standard error when its command line is wrong,
// before it exits with kBadUsage. synopsis is the usage line without
// "Usage: ", e.g. "pellix-term [OPTION]...":
//   pellix-term: unknown option --bogus
//   Usage: pellix-term [OPTION]...
//   Try 'pellix-term --help' for more information.
inline std::string BadUsageText(std::string_view name, std::string_view problem,
                                std::string_view synopsis) {
    std::string text(name);
    text.append(": ").append(problem).append("\n");
    text.append("Usage: ").append(synopsis).append("\n");
    text.append("Try '").append(name).append(" --help' for more information.\n");
    return text;
}

}  // namespace pellix::about
