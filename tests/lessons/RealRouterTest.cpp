// The table of real-router forms that feeds the coach: every form is one the
// lab answers as unknown in its modes (else its hint could never show) and
// gets a hint that quotes it, every lab command a row names is taken in its
// mode, and no hint shows after a command the lab knows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/Sim.h"
#include "lessons/Lessons.h"
#include "lessons/RealRouter.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

using support::TypeCommand;

std::vector<std::string> Split(std::string_view forms) {
    std::vector<std::string> out;
    while (!forms.empty()) {
        std::size_t bar = forms.find('|');
        out.emplace_back(forms.substr(0, bar));
        forms = bar == std::string_view::npos ? std::string_view{} : forms.substr(bar + 1);
    }
    return out;
}

// A form ending in "*" stands for the commands that go on from its text.
std::string Sample(std::string form) {
    if (!form.empty() && form.back() == '*') form.back() = '1';
    return form;
}

// The commands that bring a started router from user EXEC to the mode.
std::vector<std::string_view> WayTo(Mode mode) {
    switch (mode) {
        case Mode::UserExec:
            return {};
        case Mode::PrivilegedExec:
            return {"enable"};
        case Mode::GlobalConfig:
            return {"enable", "config t"};
        case Mode::Ethernet0Config:
            return {"enable", "config t", "int e0"};
        case Mode::Serial0Config:
            return {"enable", "config t", "int s0"};
        case Mode::VtyLineConfig:
            return {"enable", "config t", "line vty 0 4"};
        case Mode::ConsoleLineConfig:
            return {"enable", "config t", "line con 0"};
        default:
            return {};
    }
}

constexpr Mode kCommandModes[] = {
    Mode::UserExec,      Mode::PrivilegedExec, Mode::GlobalConfig,      Mode::Ethernet0Config,
    Mode::Serial0Config, Mode::VtyLineConfig,  Mode::ConsoleLineConfig,
};

// A fresh router in the mode, then the command: the line it answered and
// the hint that followed.
struct Answer {
    std::string lastLine;  // the console line above the new prompt
    std::string hint;
    Mode before;
};

Answer AnswerIn(Mode mode, const std::string& command) {
    support::TempFolder folder("pellix-coach");
    Sim sim(folder.Path());
    sim.Start();
    for (std::string_view step : WayTo(mode)) TypeCommand(sim, step);
    Answer answer{"", "", sim.CurrentMode()};
    TypeCommand(sim, command);
    answer.lastLine = sim.Lines()[InputLine - 1];
    answer.hint = sim.Hint();
    return answer;
}

std::string UnknownLine(const std::string& command) {
    return "Translating '" + command + "'... %Unknown command or computer name.";
}

TEST(RealRouterForms, EachRealFormIsUnknownToTheLabAndHinted) {
    for (const RealRouterForm& form : RealRouterForms()) {
        int modes = 0;
        for (Mode mode : kCommandModes) {
            if (!InModes(form.modes, mode)) continue;
            ++modes;
            for (const std::string& real : Split(form.real)) {
                std::string typed = Sample(real);
                SCOPED_TRACE("mode " + std::to_string(Number(mode)) + ": " + typed);
                Answer answer = AnswerIn(mode, typed);
                ASSERT_EQ(answer.before, mode);
                EXPECT_EQ(answer.lastLine, UnknownLine(typed));
                EXPECT_EQ(answer.hint, CoachHint(mode, typed));
                EXPECT_TRUE(answer.hint.starts_with("A real router ")) << answer.hint;
                if (form.realDoes.find("{}") != std::string_view::npos)
                    EXPECT_NE(answer.hint.find("`" + typed + "`"), std::string::npos);
            }
        }
        EXPECT_GT(modes, 0) << form.real << ": a row for no command mode";
    }
}

TEST(RealRouterForms, EachLabFormIsTakenInItsMode) {
    for (const RealRouterForm& form : RealRouterForms()) {
        for (const std::string& lab : Split(form.labForms)) {
            EXPECT_NE(form.lab.find("`" + lab + "`"), std::string_view::npos)
                << form.real << ": the hint does not name " << lab;
            for (Mode mode : kCommandModes) {
                bool in = form.labMode == Mode::NotStarted ? InModes(form.modes, mode)
                                                           : form.labMode == mode;
                if (!in) continue;
                SCOPED_TRACE("mode " + std::to_string(Number(mode)) + ": " + lab);
                Answer answer = AnswerIn(mode, lab);
                EXPECT_NE(answer.lastLine, UnknownLine(lab));
                EXPECT_EQ(answer.hint, "");
            }
        }
    }
}

// The coach hints only where the lab says it does not know the command:
// the router's own refusals and the commands no router knows leave no hint.
TEST(RealRouterForms, NoHintWithoutAnUnknownAnswer) {
    struct Case {
        Mode mode;
        const char* command;
    } cases[] = {
        {Mode::GlobalConfig, "network 10.0.0.0"},                  // "Invalid network"
        {Mode::Ethernet0Config, "ip address 10.1.1.1 255.0.0.0"},  // "Invalid IP address"
        {Mode::PrivilegedExec, "frobnicate"},
        {Mode::GlobalConfig, "conf t now"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(AnswerIn(c.mode, c.command).hint, "");
    }
}

// The hint belongs to the last command: the next one, known or not, clears it.
TEST(RealRouterForms, TheNextCommandClearsTheHint) {
    support::TempFolder folder("pellix-coach");
    Sim sim(folder.Path());
    sim.Start();
    TypeCommand(sim, "enable");
    TypeCommand(sim, "conf t");
    EXPECT_NE(sim.Hint(), "");
    EXPECT_EQ(sim.Snap().hint, sim.Hint());
    TypeCommand(sim, "");
    EXPECT_EQ(sim.Hint(), "");
    TypeCommand(sim, "wr");
    EXPECT_NE(sim.Hint(), "");
    TypeCommand(sim, "config t");
    EXPECT_EQ(sim.Hint(), "");
}

// The lessons say where a real router differs at the step that types the
// lab's form, once in the whole page.
TEST(RealRouterNotes, StandOnceAtTheFirstStepTypingTheLabsForm) {
    struct Case {
        const char* typed;  // a command of the step
        const char* told;   // what its note says
    } cases[] = {
        {"config t", "`conf t`"},
        {"ip route 192.168.50.0 255.255.255.0 210.16.54.1",
         "`ip route 192.168.50.0 255.255.255.0 210.16.54.2`"},
        {"copy startup-config running-config", "merge"},
        {"access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80", "deny tcp"},
        {"ip access-group 101", "`ip access-group 101 out`"},
        {"show access-list", "`show access-lists`"},
        // What the lab shows otherwise, said at the step itself.
        {"config t", "`% Invalid input detected"},
        {"enable secret tulip", "in clear in `router1.cfg`"},
        {"show running-config", "begins `hostname R1`"},
        {"no shutdown", "administratively down"},
        {"clock rate 56000", "does not prove that the clock is set"},
        {"show ip route", "`C 172.10.0.0/16 is directly connected"},
        {"router rip", "announces nothing"},
    };
    std::vector<std::string> all;
    for (const Lesson& lesson : Lessons())
        for (const LessonBlock& block : lesson.blocks)
            for (std::string& note : RealRouterNotes(block)) all.push_back(std::move(note));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const LessonBlock* first = nullptr;
        for (const Lesson& lesson : Lessons())
            for (const LessonBlock& block : lesson.blocks)
                for (const LessonInput& input : BlockInputs(block))
                    if (!first && input.text == c.typed) first = &block;
        ASSERT_TRUE(first);
        int found = 0;
        for (const std::string& note : RealRouterNotes(*first))
            found += note.find(c.told) != std::string::npos;
        EXPECT_EQ(found, 1);
        int everywhere = 0;
        for (const std::string& note : all) everywhere += note.find(c.told) != std::string::npos;
        EXPECT_EQ(everywhere, 1);
    }
}

}  // namespace
}  // namespace pellix
