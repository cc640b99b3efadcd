// Files a learner imports: the router's own names only, and contents the
// router can load; the reason for a refusal names the file.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "state/ConfigFile.h"
#include "state/ImportedFile.h"
#include "support/Files.h"

namespace pellix {
namespace {

std::string Config() {
    return support::ConfigFile().Set(slot::Hostname, "R1").Text();
}

// 50 records, each with the given entry.
std::string Score(std::string_view entry) {
    std::map<int, std::string> fields;
    for (int task = 1; task <= kTaskCount; ++task) fields[task] = entry;
    return support::ScoreFileText(fields);
}

struct ImportCase {
    const char* what;
    std::string name;
    std::string data;
    std::string refusal;  // "" when taken
};

TEST(ImportedFile, TakesTheRoutersFilesAsTheRouterLoadsThem) {
    const std::string config = Config();
    const ImportCase cases[] = {
        {"startup configuration", "router1.cfg", config, ""},
        {"score file", "user.dat", Score("1"), ""},
        {"zero score", "user.dat", Score("0"), ""},
        {"TFTP copy", "R1-config", config, ""},
        {"TFTP copy with _ and `", "my_copy`2", config, ""},
        {"configuration with LF only", "router1.cfg",
         [&] {
             std::string lf = config;
             std::erase(lf, '\r');
             return lf;
         }(),
         ""},
        {"other name", "notes.txt", config,
         "\"notes.txt\" is not a file of the router's (it takes user.dat, router1.cfg and the "
         "files it copied to the TFTP server)"},
        {"path", "../router1.cfg", config,
         "\"../router1.cfg\" is not a file of the router's (it takes user.dat, router1.cfg and the "
         "files it copied to the TFTP server)"},
        {"hidden temporary", ".pellix-abcdefgh", config,
         "\".pellix-abcdefgh\" is not a file of the router's (it takes user.dat, router1.cfg and "
         "the files it copied to the TFTP server)"},
        {"empty name", "", config,
         "\"\" is not a file of the router's (it takes user.dat, router1.cfg and the files it "
         "copied to the TFTP server)"},
        {"short configuration", "router1.cfg", config.substr(0, config.size() / 2),
         "\"router1.cfg\" holds fewer than 100 configuration lines"},
        {"empty configuration", "R1-config", "",
         "\"R1-config\" holds fewer than 100 configuration lines"},
        {"binary", "router1.cfg", config + std::string(1, '\0'),
         "\"router1.cfg\" is not a text file"},
        {"score without entries", "user.dat", Score(""), "\"user.dat\" holds no score record"},
        {"text as score", "user.dat", "hello\r\n", "\"user.dat\" holds no score record"},
    };
    for (const ImportCase& c : cases)
        EXPECT_EQ(c.refusal, CheckImportedFile(c.name, c.data)) << c.what;
}

}  // namespace
}  // namespace pellix
