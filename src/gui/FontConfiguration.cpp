#include "gui/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "state/Files.h"

namespace pellix::gui {

namespace {

// Where Debian keeps the machine's configuration, and how its main file reads
// the configuration folder.
constexpr char kMachineFolder[] = "/etc/fonts";
constexpr char kFolderInclude[] = "<include ignore_missing=\"yes\">conf.d</include>";

constexpr std::string_view kTail = ".conf";

// The number a file of the folder starts with; fontconfig reads only those
// that start with a digit and end in ".conf".
std::optional<int> KindNumber(const std::string& name) {
    if (name.size() <= kTail.size() ||
        name.compare(name.size() - kTail.size(), kTail.size(), kTail) != 0)
        return std::nullopt;
    int number = 0;
    size_t digits = 0;
    while (digits < name.size() && digits < 2 && name[digits] >= '0' && name[digits] <= '9')
        number = number * 10 + (name[digits++] - '0');
    if (digits == 0) return std::nullopt;
    return number;
}

std::string XmlEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

bool KeepsConfigurationFile(const std::string& name) {
    const std::optional<int> kind = KindNumber(name);
    if (!kind) return false;
    const int n = *kind;
    return n < 30 || (n >= 50 && n <= 60) || (n >= 70 && n < 80) || n >= 90;
}

std::optional<std::string> LeanConfigurationText(const std::string& mainText,
                                                 const std::string& folder,
                                                 std::vector<std::string> fileNames) {
    const size_t at = mainText.find(kFolderInclude);
    if (at == std::string::npos) return std::nullopt;
    // fontconfig reads the folder's files in the byte order of their names.
    std::sort(fileNames.begin(), fileNames.end());
    std::string includes;
    for (const std::string& name : fileNames) {
        if (!KeepsConfigurationFile(name)) continue;
        includes +=
            "<include ignore_missing=\"yes\">" + XmlEscaped(folder + "/" + name) + "</include>\n";
    }
    std::string text = mainText;
    text.replace(at, std::string_view(kFolderInclude).size(), includes);
    return text;
}

FcConfig* MakeLeanConfiguration() {
    const std::filesystem::path machine(kMachineFolder);
    const FileRead mainFile = ReadWholeFile(machine / "fonts.conf");
    if (!mainFile.data) return nullptr;

    const std::filesystem::path folder = machine / "conf.d";
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        names.push_back(entry->path().filename().string());
    if (error) return nullptr;

    const std::optional<std::string> text =
        LeanConfigurationText(*mainFile.data, folder.string(), names);
    if (!text) return nullptr;
    FcConfig* config = FcConfigCreate();
    if (!config) return nullptr;
    if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(text->c_str()),
                                       FcTrue) &&
        FcConfigBuildFonts(config))
        return config;
    FcConfigDestroy(config);
    return nullptr;
}

void StartFontConfiguration() {
    for (const char* own : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"})
        if (std::getenv(own)) return;
    if (FcConfig* config = MakeLeanConfiguration()) {
        FcConfigSetCurrent(config);  // takes a reference of its own
        FcConfigDestroy(config);
    }
}

}  // namespace pellix::gui
