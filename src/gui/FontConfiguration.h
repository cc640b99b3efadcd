#pragma once
// The font configuration the desktop program starts fontconfig with.
//
// Left to itself, fontconfig reads every file of the machine's configuration
// folder (45 XML files on Debian 12: aliases for hundreds of families, metric
// twins, preferences by script and foundry) and, only to describe them, all
// 54 files of the folder of available ones: a third of the work before the
// splash is painted, and a share of every face opened, as each face's request
// runs through all those rules. Pellix shows the DejaVu families and the Latin
// generic families (the desktop's "Sans Serif") only, so it starts
// fontconfig with the machine's own main file, in which the configuration
// folder is read in part: the files that set how type is drawn and which
// fonts exist, the learner's and the machine's own files, and the aliases of
// the families Pellix shows. Fonts for other scripts are still found, by
// what they cover.

#include <fontconfig/fontconfig.h>

#include <optional>
#include <string>
#include <vector>

namespace pellix::gui {

// Whether a file of the configuration folder is read, by the two-digit
// number that names its kind: kept are 00-29 (font folders, antialiasing,
// hinting, subpixel order, LCD filter, rendering per font), 50-59 (the
// learner's and the machine's own files; the DejaVu packages' aliases), the
// Latin and generic aliases (60-latin.conf, 60-generic.conf), 70-79 (which
// fonts are offered: bitmaps) and 90-99 (synthetic bold and italic); left
// out are 30-49 (metric twins, family classes), the preferences by script
// and foundry (61-69) and the fixes for particular fonts (80-89).
bool KeepsConfigurationFile(const std::string& name);

// The main file's text with its configuration folder replaced by the kept
// files of that folder, named with their full paths in the order fontconfig
// reads them; nothing when the main file does not read the folder as
// fontconfig's own main file does.
std::optional<std::string> LeanConfigurationText(const std::string& mainText,
                                                 const std::string& folder,
                                                 std::vector<std::string> fileNames);

// The lean configuration of this machine, its fonts listed; nothing when the
// machine's files are not where Debian keeps them or fontconfig refuses the
// text. The caller owns it (FcConfigDestroy).
FcConfig* MakeLeanConfiguration();

// Starts fontconfig with the lean configuration, before the window system
// asks it for fonts. Does nothing when the learner names a configuration of
// their own (FONTCONFIG_FILE, FONTCONFIG_PATH, FONTCONFIG_SYSROOT), when the
// machine's files are not where Debian keeps them, or when fontconfig
// refuses the text: fontconfig then starts as it always does.
void StartFontConfiguration();

}  // namespace pellix::gui
