// The desktop program's font configuration: which files of the machine's
// configuration folder it reads, and that the faces it shows come out the
// same as under the machine's whole configuration, drawn the same way.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "gui/FontConfiguration.h"
#include "support/Cases.h"

namespace pellix::gui {
namespace {

using support::CaseName;
using support::PrintTo;

struct FileCase {
    const char* name;
    const char* file;
    bool kept;
};

const FileCase kFiles[] = {
    {"FontFolders", "05-reset-dirs-sample.conf", true},
    {"Hinting", "10-hinting-slight.conf", true},
    {"SubpixelOrder", "10-sub-pixel-rgb.conf", true},
    {"LcdFilter", "11-lcdfilter-default.conf", true},
    {"RenderingPerFont", "20-unhint-small-vera.conf", true},
    {"MetricTwins", "30-metric-aliases.conf", false},
    {"FamilyClasses", "45-latin.conf", false},
    {"SansSerifClass", "49-sansserif.conf", false},
    {"LearnersOwnFiles", "50-user.conf", true},
    {"MachinesOwnFile", "51-local.conf", true},
    {"DejaVuAliases", "57-dejavu-sans.conf", true},
    {"LatinGenericFamilies", "60-latin.conf", true},
    {"FoundryFallbacks", "61-urw-fallback-generics.conf", false},
    {"ScriptPreferences", "65-nonlatin.conf", false},
    {"Bitmaps", "70-no-bitmaps.conf", true},
    {"FixForOneFont", "80-delicious.conf", false},
    {"SyntheticStyles", "90-synthetic.conf", true},
    {"NotReadByFontconfig", "README", false},
    {"NoNumber", "local.conf", false},
    {"OneDigit", "5-early.conf", true},
    {"OnlyTheTail", ".conf", false},
};

class ConfigurationFile : public testing::TestWithParam<FileCase> {};

TEST_P(ConfigurationFile, IsKeptByItsKind) {
    EXPECT_EQ(KeepsConfigurationFile(GetParam().file), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Fonts, ConfigurationFile, testing::ValuesIn(kFiles), CaseName());

TEST(LeanConfigurationText, ReplacesTheFolderByItsKeptFilesInReadingOrder) {
    const std::string main =
        "<fontconfig>\n<dir>/usr/share/fonts</dir>\n"
        "<include ignore_missing=\"yes\">conf.d</include>\n"
        "<cachedir>/var/cache/fontconfig</cachedir>\n</fontconfig>\n";
    const auto text = LeanConfigurationText(
        main, "/etc/fonts/conf.d",
        {"60-latin.conf", "30-metric-aliases.conf", "10-hinting-slight.conf", "50-user.conf", "README",
         "51-a&b.conf"});
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "<fontconfig>\n<dir>/usr/share/fonts</dir>\n"
              "<include ignore_missing=\"yes\">/etc/fonts/conf.d/10-hinting-slight.conf</include>\n"
              "<include ignore_missing=\"yes\">/etc/fonts/conf.d/50-user.conf</include>\n"
              "<include ignore_missing=\"yes\">/etc/fonts/conf.d/51-a&amp;b.conf</include>\n"
              "<include ignore_missing=\"yes\">/etc/fonts/conf.d/60-latin.conf</include>\n"
              "\n<cachedir>/var/cache/fontconfig</cachedir>\n</fontconfig>\n");
}

TEST(LeanConfigurationText, NothingWhenTheMainFileDoesNotReadTheFolder) {
    EXPECT_FALSE(LeanConfigurationText("<fontconfig><include>conf.d</include></fontconfig>",
                                       "/etc/fonts/conf.d", {"10-hinting-slight.conf"}));
}

// What a face request comes out as: the file and face chosen and every
// property that changes how its glyphs are drawn.
std::string Outcome(FcConfig* config, const char* request) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return "no match";
    std::ostringstream out;
    for (const char* property : {FC_FILE, FC_INDEX, FC_ANTIALIAS, FC_HINTING, FC_HINT_STYLE, FC_AUTOHINT,
                                 FC_RGBA, FC_LCD_FILTER, FC_EMBOLDEN, FC_EMBEDDED_BITMAP, FC_MATRIX}) {
        out << ' ';
        FcObjectSet* only = FcObjectSetBuild(property, nullptr);
        FcPattern* one = FcPatternFilter(match, only);
        FcChar8* shown = FcNameUnparse(one);
        out << reinterpret_cast<const char*>(shown);
        FcStrFree(shown);
        FcPatternDestroy(one);
        FcObjectSetDestroy(only);
    }
    FcPatternDestroy(match);
    return out.str();
}

TEST(LeanConfiguration, ShowsTheSameFacesDrawnTheSameWay) {
    if (!std::filesystem::exists("/etc/fonts/fonts.conf")) GTEST_SKIP() << "no machine font configuration";
    FcConfig* whole = FcInitLoadConfigAndFonts();
    FcConfig* lean = MakeLeanConfiguration();
    ASSERT_NE(whole, nullptr);
    ASSERT_NE(lean, nullptr);
    // The console, the labels, the product name, the desktop's default font
    // and the generic families a page of lessons may ask for.
    for (const char* request :
         {"DejaVu Sans Mono:pixelsize=12", "DejaVu Sans Mono:pixelsize=24", "DejaVu Sans:pixelsize=13:bold",
          "DejaVu Sans:pixelsize=16:weight=210:slant=100", "DejaVu Sans:pixelsize=32:black:italic",
          "Sans Serif:pixelsize=12", "sans-serif:pixelsize=9", "monospace:pixelsize=12",
          "serif:pixelsize=12", "DejaVu Sans:pixelsize=7"}) {
        EXPECT_EQ(Outcome(lean, request), Outcome(whole, request)) << request;
    }
    FcConfigDestroy(lean);
    FcConfigDestroy(whole);
}

}  // namespace
}  // namespace pellix::gui
