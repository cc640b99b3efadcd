// The matching rule of every interpreter.
#include <gtest/gtest.h>

#include "console/Dispatch.h"

namespace pellix {
namespace {

TEST(MatchesAbbreviation, TableOfCases) {
    struct Case {
        const char* command;
        const char* shortForm;
        const char* fullForm;
        bool matches;
    };
    const Case cases[] = {
        {"en", "en", "enabled", true},
        {"enable", "en", "enabled", true},
        {"enabled", "en", "enabled", true},
        {"e", "en", "enabled", false},         // shorter than the short form
        {"enabledx", "en", "enabled", false},  // longer than the full form
        {"enable 15", "en", "enabled", false},
        {"Enable", "en", "enabled", false},  // case counts
        {"ena ble", "en", "enabled", false},
        {"", "en", "enabled", false},
        {"sh ver", "sh ver", "sh version", true},
        {"sh v", "sh ver", "sh version", false},
        {"sh  ver", "sh ver", "sh version", false},  // a doubled blank
        {"exit", "exit", "exit", true},
        {"exi", "exit", "exit", false},
        {"exit now", "exit", "exit", false},
        {"conf", "conf", "configure", true},
        {"config", "conf", "configure", true},
        {"config t", "conf", "configure", false},
        {"config t", "conf", "config terminal", true},
        {"conf t", "conf", "config terminal", false},
        {"configure t", "conf", "configure terminal", true},
        {"show access-list", "show acce", "show access-list", true},
        {"show access-lists", "show acce", "show access-list", false},
        {"show acc", "show acce", "show access-list", false},
        {"no s", "no s", "no shutdown", true},
        {"no", "no s", "no shutdown", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.matches, MatchesAbbreviation(c.command, c.shortForm, c.fullForm))
            << "\"" << c.command << "\" with \"" << c.shortForm << "\" / \"" << c.fullForm << "\"";
}

}  // namespace
}  // namespace pellix
