// The classroom server over loopback, driven by scripted telnet clients: the
// telnet negotiation, logging in, the whole exercise, reconnecting, several
// learners, bad names, the class password, and the clients that misbehave.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <iostream>
#include <mutex>
#include <thread>

#include <sstream>

#include "ClassroomServer.h"
#include "TelnetClient.h"
#include "scoring/ScoreFile.h"
#include "serve/LearnerName.h"
#include "serve/LearnerPin.h"
#include "serve/Scoreboard.h"
#include "state/ConfigFile.h"
#include "support/Transcript.h"
#include "term/Layout.h"

namespace pellix::serve::testing {
namespace {

bool ShowsConsole(const TelnetClient& client) {
    return client.Screen().Text().find("Vantric Sim") != std::string::npos;
}

constexpr std::string_view kPin = kTestPin;

// Logs in with the name (choosing the PIN for a new one) and waits for the
// router's console.
void LogIn(TelnetClient& client, std::string_view name, std::string_view pin = kPin) {
    ASSERT_TRUE(EnterNameAndPin(client, name, pin)) << client.Received();
    ASSERT_TRUE(client.WaitFor([&] { return ShowsConsole(client); })) << client.Screen().Text();
}

std::string LabelOf(const TelnetClient& client) {
    const std::string row = client.Screen().Row(0);
    const auto at = row.find("Score:");
    return at == std::string::npos ? "" : row.substr(at);
}

// Logs in with the name and goes from the welcome screen to the first
// prompt, where the score label shows.
void GetStarted(TelnetClient& client, std::string_view name) {
    ASSERT_NO_FATAL_FAILURE(LogIn(client, name));
    client.Enter();
    ASSERT_TRUE(client.WaitFor([&] { return !LabelOf(client).empty(); })) << client.Screen().Text();
}

// Types a command, waits for its echo, presses Enter and waits until the
// input line shows the next prompt.
void TypeCommand(TelnetClient& client, std::string_view command, std::string_view nextPrompt) {
    const std::string typed = client.Screen().Row(21) + std::string(command);
    client.Type(command);
    ASSERT_TRUE(client.WaitRow(21, typed)) << client.Screen().Text();
    client.Enter();
    ASSERT_TRUE(client.WaitRow(21, nextPrompt)) << command << "\n" << client.Screen().Text();
}

// A learner's first session: logs in, earns one task (show version) and
// ends it with F10.
void EarnOneTaskAndLeave(const ClassroomServer& server, std::string_view name) {
    TelnetClient client(server.Port());
    ASSERT_NO_FATAL_FAILURE(GetStarted(client, name));
    ASSERT_NO_FATAL_FAILURE(TypeCommand(client, "show version", "Router>"));
    client.Press("f10");
    ASSERT_TRUE(client.WaitClosed());
}

TaskTable SavedTasks(const ClassroomServer& server, const std::string& name) {
    return ReadScoreText(ReadFile(server.Dir().Path() / name / "user.dat"));
}

// The host name in the learner's router1.cfg, or "" when it cannot be read.
std::string SavedHostname(const ClassroomServer& server, const std::string& name) {
    const auto saved = ReadConfigText(ReadFile(server.Dir().Path() / name / "router1.cfg"));
    return saved ? (*saved)[slot::Hostname - 1] : "";
}

TEST(ServeTelnet, AsksForCharacterModeWindowSizeAndTerminalType) {
    ClassroomServer server;
    TelnetClient client(server.Port(), {.rows = 30, .cols = 100});
    ASSERT_TRUE(client.WaitText("Learner name: "));
    const std::vector<std::pair<int, int>> wanted = {
        {251, 1},   // WILL ECHO
        {251, 3},   // WILL SUPPRESS-GO-AHEAD
        {253, 31},  // DO NAWS
        {253, 24},  // DO TERMINAL-TYPE
    };
    for (const auto& request : wanted)
        EXPECT_NE(std::find(client.Requests().begin(), client.Requests().end(), request),
                  client.Requests().end())
            << request.first << " " << request.second;
    ASSERT_TRUE(EnterNameAndPin(client, "ana")) << client.Received();
    // The window's size from NAWS: the console's frame centred in 30 x 100.
    const term::Frame frame = term::FrameFor(30, 100);
    ASSERT_GT(frame.top, 0);
    EXPECT_TRUE(client.WaitFor([&] {
        return client.Screen().Row(frame.top).starts_with(std::string(frame.left, ' ') +
                                                          "Vantric Sim");
    })) << client.Screen().Text();
    // Too small a window after a resize: the console gives way to a notice.
    client.Resize(20, 60);
    EXPECT_TRUE(client.WaitFor([&] { return !ShowsConsole(client); })) << client.Screen().Text();
    client.Resize(24, 80);
    EXPECT_TRUE(client.WaitFor([&] { return ShowsConsole(client); })) << client.Screen().Text();
}

TEST(ServeTelnet, ClientThatNegotiatesNothingStillGetsTheConsole) {
    ClassroomServer server;
    TelnetClient client(server.Port(), {.negotiates = false});
    GetStarted(client, "raw");
    TypeCommand(client, "enable", "Router#");
}

// The whole exercise typed key by key over telnet, checked at every step as
// the transcript says; then F10, and a new connection finds the score and
// the saved configuration.
TEST(ServeExercise, WholeExerciseThenReconnectFindsScoreAndConfiguration) {
    const fs::path file = fs::path(PELLIX_TRANSCRIPT_DIR) / "exercise.txt";
    std::string error;
    const auto transcript = transcript::Parse(ReadFile(file), error);
    ASSERT_TRUE(transcript) << error;

    ClassroomServer server;
    {
        TelnetClient client(server.Port());
        LogIn(client, "learner-1");
        std::istringstream script(ReadFile(file));
        std::string line;
        std::size_t screenIndex = 0;
        bool planShown = false;
        while (std::getline(script, line)) {
            if (line.empty() || line[0] == '#') continue;
            if (line.starts_with("type ")) {
                client.Type(line.substr(5));
            } else if (line == "screen") {
                ASSERT_LT(screenIndex, transcript->screens.size());
                const auto& expect = transcript->screens[screenIndex++];
                if (planShown) {
                    ASSERT_TRUE(client.WaitText("q, Escape or F2 closes the network plan."));
                    continue;
                }
                if (expect.label) {
                    ASSERT_TRUE(client.WaitFor([&] { return LabelOf(client) == *expect.label; }))
                        << "line " << expect.sourceLine << "\n"
                        << client.Screen().Text();
                }
                if (!expect.pic.empty()) {
                    ASSERT_TRUE(client.WaitFor([&] {
                        return client.Screen().Row(22).starts_with(expect.pic.front());
                    })) << "line "
                        << expect.sourceLine << "\n"
                        << client.Screen().Text();
                }
            } else {
                const std::string bytes = KeyBytes(line);
                ASSERT_FALSE(bytes.empty()) << "no key for the event " << line;
                planShown = line == "plan";
                client.Type(bytes);
            }
        }
        EXPECT_TRUE(client.WaitText("Your score is saved. Goodbye."));
        EXPECT_TRUE(client.WaitClosed());
    }
    const fs::path folder = server.Dir().Path() / "learner-1";
    const TaskTable saved = SavedTasks(server, "learner-1");
    for (int task = 1; task <= kTaskCount; ++task)
        EXPECT_EQ(saved[static_cast<std::size_t>(task)], 1) << "task " << task;
    for (const auto& after : transcript->after) {
        if (after.kind != transcript::FileExpectation::Config || after.name != "router1.cfg")
            continue;
        const auto saved = ReadConfigText(ReadFile(folder / after.name));
        ASSERT_TRUE(saved) << after.name;
        for (const auto& [slot, text] : after.slots)
            EXPECT_EQ((*saved)[static_cast<std::size_t>(slot - 1)], text) << "slot " << slot;
    }

    TelnetClient again(server.Port());
    GetStarted(again, "learner-1");
    EXPECT_EQ(again.Screen().Row(21), "R1>");
    EXPECT_EQ(LabelOf(again), "Score:  50");
}

TEST(ServeLearners, TwoLearnersAtOnceKeepTheirOwnFiles) {
    ClassroomServer server;
    TelnetClient ana(server.Port()), ben(server.Port());
    GetStarted(ana, "ana");
    GetStarted(ben, "ben");
    TypeCommand(ana, "enable", "Router#");
    TypeCommand(ben, "show version", "Router>");
    TypeCommand(ana, "configure terminal", "Router(config)#");
    TypeCommand(ana, "hostname Alpha", "Alpha(config)#");
    TypeCommand(ana, "exit", "Alpha#");
    TypeCommand(ana, "copy running-config startup-config", "Alpha#");
    EXPECT_EQ(ben.Screen().Row(21), "Router>");

    // The scores are written within a second of the tasks.
    EXPECT_TRUE(ana.WaitFor(
        [&] { return EntryOf(SavedTasks(server, "ana"), task::RunningConfigSaved) == 1; }, 20s));
    EXPECT_TRUE(ben.WaitFor(
        [&] { return EntryOf(SavedTasks(server, "ben"), task::VersionShown) == 1; }, 20s));
    const TaskTable anaTasks = SavedTasks(server, "ana");
    const TaskTable benTasks = SavedTasks(server, "ben");
    EXPECT_NE(anaTasks, benTasks);
    EXPECT_EQ(SavedHostname(server, "ana"), "Alpha");
    EXPECT_EQ(SavedHostname(server, "ben"), "Router");
}

TEST(ServeLearners, BadNamesAreRefusedAndAskedAgain) {
    ClassroomServer server;
    TelnetClient client(server.Port());
    const std::string refused[] = {
        "", "a b", "../etc", "x/y", ".", "..", "a.b", std::string(33, 'n'), "caf\xc3\xa9", "~root",
    };
    ASSERT_TRUE(client.WaitText("Learner name: "));
    for (const std::string& name : refused) {
        const std::size_t before = client.Received().size();
        client.Type(name);
        client.Enter();
        ASSERT_TRUE(client.WaitFor([&] {
            const std::string since = client.Received().substr(before);
            return since.find(kNameRule) != std::string::npos &&
                   since.find("Learner name: ") != std::string::npos;
        })) << "'"
            << name << "' was not refused:\n"
            << client.Received().substr(before);
    }
    LogIn(client, std::string(32, 'n'));
    // Nothing but the accepted learner's folder was made.
    std::vector<std::string> made;
    for (const auto& entry : fs::directory_iterator(server.Dir().Path()))
        made.push_back(entry.path().filename().string());
    EXPECT_EQ(made, std::vector<std::string>{std::string(32, 'n')});
}

// "Ana", "ANA" and "ana" are one learner: one folder (spelled as first
// typed), one score, one router.
TEST(ServeLearners, NamesDifferingOnlyInCaseAreOneLearner) {
    ClassroomServer server;
    ASSERT_NO_FATAL_FAILURE(EarnOneTaskAndLeave(server, "Ana"));
    TelnetClient again(server.Port());
    GetStarted(again, "ANA");
    EXPECT_EQ(LabelOf(again), "Score:  1");
    TypeCommand(again, "enable", "Router#");
    TelnetClient third(server.Port());
    LogIn(third, "ana");  // takes the router over as it stands
    EXPECT_TRUE(again.WaitText("opened from another connection")) << again.Received();
    EXPECT_TRUE(third.WaitRow(21, "Router#")) << third.Screen().Text();
    std::vector<std::string> made;
    for (const auto& entry : fs::directory_iterator(server.Dir().Path()))
        made.push_back(entry.path().filename().string());
    EXPECT_EQ(made, std::vector<std::string>{"Ana"});
}

TEST(ServeLearners, NameWhoseFolderIsALinkIsRefused) {
    ClassroomServer server;
    TempFolder elsewhere;
    fs::create_directory_symlink(elsewhere.Path(), server.Dir().Path() / "eve");
    TelnetClient client(server.Port());
    ASSERT_TRUE(client.WaitText("Learner name: "));
    client.Type("eve");
    client.Enter();
    EXPECT_TRUE(client.WaitText("This name cannot be used here")) << client.Received();
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
}

TEST(ServeLearners, ClassPasswordIsAskedBeforeTheName) {
    ClassroomServer server({.classPassword = "s3cret word"});
    {
        TelnetClient client(server.Port());
        ASSERT_TRUE(client.WaitText("Class password: "));
        client.Type("wrong");
        client.Enter();
        ASSERT_TRUE(client.WaitText("Wrong class password.\r\nClass password: "));
        EXPECT_EQ(client.Received().find("wrong"), std::string::npos) << "the password was shown";
        client.Type("s3cret word");
        client.Enter();
        LogIn(client, "ana");
    }
    TelnetClient guesser(server.Port());
    for (int i = 0; i < kMaxPasswordTries; ++i) {
        ASSERT_TRUE(guesser.WaitFor([&] {
            std::size_t count = 0;
            for (std::size_t at = 0;
                 (at = guesser.Received().find("Class password: ", at)) != std::string::npos; ++at)
                ++count;
            return count == static_cast<std::size_t>(i + 1);
        }));
        guesser.Type("guess");
        guesser.Enter();
    }
    EXPECT_TRUE(guesser.WaitText("Wrong class password; goodbye."));
    EXPECT_TRUE(guesser.WaitClosed());
}

TEST(ServeLearners, ClientEndingLinesWithLineFeedsOnlyLogsIn) {
    // As nc sends what is typed: a line at a time, each ended by LF alone.
    ClassroomServer server({.classPassword = "pw"});
    TelnetClient raw(server.Port(), {.negotiates = false});
    ASSERT_TRUE(raw.WaitText("Class password: "));
    raw.SendRaw("pw\n");
    ASSERT_TRUE(raw.WaitText("Learner name: ")) << raw.Received();
    raw.SendRaw("ana\n");
    ASSERT_TRUE(raw.WaitText("New PIN: ")) << raw.Received();
    raw.SendRaw("2468\n");
    ASSERT_TRUE(raw.WaitText("The same PIN again: ")) << raw.Received();
    raw.SendRaw("2468\n");
    EXPECT_TRUE(raw.WaitFor([&] { return ShowsConsole(raw); })) << raw.Received();
}

// Polls the condition until it holds, or a generous deadline passes.
bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 20s) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(ServeLearners, ScoreThatCannotBeSavedIsNeverCalledSaved) {
    ClassroomServer server;
    LogLines log(server.Room());
    TelnetClient client(server.Port());
    LogIn(client, "ana");
    // A folder where the score file goes: every save of it fails, as on a
    // full disk.
    const fs::path score = server.Dir().Path() / "ana" / "user.dat";
    fs::remove(score);
    fs::create_directories(score / "blocked");
    client.Press("f10");
    ASSERT_TRUE(client.WaitClosed()) << client.Received();
    EXPECT_EQ(client.Received().find("Your score is saved."), std::string::npos)
        << client.Received();
    EXPECT_NE(client.Received().find("Your score could not be saved ("), std::string::npos)
        << client.Received();
    EXPECT_TRUE(client.WaitFor([&] {
        return log.Text().find("ana left (127.0.0.1); score 0 NOT saved: ") != std::string::npos;
    })) << log.Text();
    EXPECT_EQ(log.Text().find(" saved\n"), std::string::npos) << log.Text();
}

// The learner's save problem as the scoreboard shows it, "" for none.
std::string ProblemOf(ClassroomServer& server, const std::string& name) {
    for (const LearnerStatus& status : server.Room().Statuses())
        if (status.name == name) return status.problem;
    return "";
}

// F10 until the session ends (a first one may close the console's page about
// a score problem).
void FinishSession(TelnetClient& client) {
    for (int press = 0; press < 3 && client.Received().find("Goodbye") == std::string::npos;
         ++press) {
        const std::size_t before = client.Received().size();
        client.Press("f10");
        client.WaitFor([&] { return client.Received().size() > before; });
    }
    ASSERT_TRUE(client.WaitClosed()) << client.Received();
}

// A failed save shows on the scoreboard (its JSON too) while the learner
// works, stays after the learner has left, and goes once a save works.
TEST(ServeLearners, FailedSaveShowsOnTheScoreboardUntilASaveWorks) {
    ClassroomServer server;
    const fs::path score = server.Dir().Path() / "ana" / "user.dat";
    {
        TelnetClient client(server.Port());
        GetStarted(client, "ana");
        fs::remove(score);
        fs::create_directories(score / "blocked");
        client.Enter();  // the new prompt's save fails (within a second)
        ASSERT_TRUE(client.WaitFor([&] { return !ProblemOf(server, "ana").empty(); }, 20s));
        EXPECT_TRUE(ProblemOf(server, "ana").starts_with("score not saved: "))
            << ProblemOf(server, "ana");
        EXPECT_NE(ScoreboardJson(server.Room().Statuses()).find("\"problem\":\"score not saved: "),
                  std::string::npos);
        ASSERT_NO_FATAL_FAILURE(FinishSession(client));
    }
    EXPECT_TRUE(ProblemOf(server, "ana").starts_with("score not saved: "));
    fs::remove_all(score);
    TelnetClient again(server.Port());
    LogIn(again, "ana");
    ASSERT_NO_FATAL_FAILURE(FinishSession(again));
    EXPECT_NE(again.Received().find("Your score is saved."), std::string::npos) << again.Received();
    EXPECT_EQ(ProblemOf(server, "ana"), "");
    EXPECT_NE(ScoreboardJson(server.Room().Statuses()).find("\"problem\":\"\""), std::string::npos);
}

TEST(ServeLearners, SecondLoginTakesTheRouterOverWithANoticeToTheFirst) {
    ClassroomServer server;
    TelnetClient first(server.Port());
    GetStarted(first, "ana");
    TypeCommand(first, "enable", "Router#");
    first.Type("show ver");  // half typed when the second login comes
    ASSERT_TRUE(first.WaitRow(21, "Router#show ver")) << first.Screen().Text();

    TelnetClient second(server.Port());
    LogIn(second, "ana");
    EXPECT_TRUE(second.WaitRow(21, "Router#show ver")) << second.Screen().Text();
    EXPECT_TRUE(first.WaitText("opened from another connection")) << first.Received();
    EXPECT_TRUE(first.WaitClosed());
    second.Type("sion");
    second.Enter();
    EXPECT_TRUE(second.WaitRow(21, "Router#")) << second.Screen().Text();
}

// A line typed at a login prompt, and Enter.
void TypeLine(TelnetClient& client, std::string_view line) {
    client.Type(line);
    client.Enter();
}

// Only the PIN takes a learner's router over from the connection that has
// it: a wrong one leaves that connection alone.
TEST(ServePin, TakeOverOnlyWithThePin) {
    ClassroomServer server;
    TelnetClient owner(server.Port());
    GetStarted(owner, "ana");
    TypeCommand(owner, "enable", "Router#");

    TelnetClient intruder(server.Port());
    ASSERT_TRUE(EnterNameAndPin(intruder, "ANA", "1357")) << intruder.Received();
    ASSERT_TRUE(intruder.WaitText("Wrong PIN.\r\nPIN: ", 20s)) << intruder.Received();
    EXPECT_FALSE(ShowsConsole(intruder));
    TypeCommand(owner, "show version", "Router#");
    EXPECT_EQ(owner.Received().find("opened from another connection"), std::string::npos);

    TypeLine(intruder, kPin);
    EXPECT_TRUE(intruder.WaitFor([&] { return ShowsConsole(intruder); })) << intruder.Received();
    EXPECT_TRUE(intruder.WaitRow(21, "Router#")) << intruder.Screen().Text();
    EXPECT_TRUE(owner.WaitText("opened from another connection")) << owner.Received();
    EXPECT_TRUE(owner.WaitClosed());
}

TEST(ServePin, WrongPinsAreSlowedLoggedWithTheAddressAndEndTheConnection) {
    ClassroomServer server({.classPassword = "pw"});
    LogLines log(server.Room());
    {
        TelnetClient owner(server.Port());
        ASSERT_TRUE(owner.WaitText("Class password: "));
        TypeLine(owner, "pw");
        LogIn(owner, "ana");
        owner.Press("f10");
        ASSERT_TRUE(owner.WaitClosed());
    }
    TelnetClient guesser(server.Port());
    ASSERT_TRUE(guesser.WaitText("Class password: "));
    TypeLine(guesser, "pw");
    ASSERT_TRUE(guesser.WaitText("Learner name: "));
    TypeLine(guesser, "ana");
    for (int i = 1; i <= kMaxPasswordTries; ++i) {
        ASSERT_TRUE(guesser.WaitFor(
            [&] {
                std::size_t count = 0;
                for (std::size_t at = 0;
                     (at = guesser.Received().find("PIN: ", at)) != std::string::npos; ++at)
                    ++count;
                return count == static_cast<std::size_t>(i);
            },
            20s))
            << guesser.Received();
        TypeLine(guesser, "000" + std::to_string(i));
    }
    EXPECT_TRUE(guesser.WaitText("Wrong PIN; goodbye.", 20s)) << guesser.Received();
    EXPECT_TRUE(guesser.WaitClosed());
    EXPECT_FALSE(ShowsConsole(guesser));
    const std::string lines = log.Text();
    for (int i = 1; i <= kMaxPasswordTries; ++i)
        EXPECT_NE(lines.find("wrong PIN for ana from 127.0.0.1 (" + std::to_string(i) +
                             " on this connection, " + std::to_string(i) +
                             " in a row from this address)"),
                  std::string::npos)
            << lines;
    EXPECT_EQ(lines.find("0001"), std::string::npos) << "a PIN typed was logged";
}

// A new name's PIN is typed twice alike, and kept only as a hash; the name's
// folder is made only once the PIN is chosen.
TEST(ServePin, NewNameChoosesItsPinTwice) {
    ClassroomServer server;
    TelnetClient client(server.Port());
    ASSERT_TRUE(client.WaitText("Learner name: "));
    TypeLine(client, "ana");
    ASSERT_TRUE(client.WaitText("New PIN: "));
    EXPECT_FALSE(fs::exists(server.Dir().Path() / "ana"));
    TypeLine(client, "12");
    ASSERT_TRUE(client.WaitText("A PIN is 4 to 12 digits.\r\nNew PIN: ")) << client.Received();
    TypeLine(client, "97531");
    ASSERT_TRUE(client.WaitText("The same PIN again: "));
    TypeLine(client, "97532");
    ASSERT_TRUE(client.WaitText("The two PINs differ; choose one again.\r\nNew PIN: "))
        << client.Received();
    TypeLine(client, "97531");
    ASSERT_TRUE(client.WaitText("The same PIN again: "));
    TypeLine(client, "97531");
    ASSERT_TRUE(client.WaitFor([&] { return ShowsConsole(client); })) << client.Received();
    EXPECT_EQ(client.Received().find("9753"), std::string::npos) << "a PIN was shown";
    const std::string kept = ReadFile(server.Dir().Path() / "ana" / "learner.pin");
    EXPECT_TRUE(kept.starts_with("$y$")) << kept;
    EXPECT_EQ(kept.find("97531"), std::string::npos);
}

// Of two connections choosing a PIN for one new name, the first to finish
// has it; the other is told and asked for a name again.
TEST(ServePin, FirstPinChosenForANameHasIt) {
    ClassroomServer server;
    TelnetClient first(server.Port()), second(server.Port());
    for (TelnetClient* client : {&first, &second}) {
        ASSERT_TRUE(client->WaitText("Learner name: "));
        TypeLine(*client, "ana");
        ASSERT_TRUE(client->WaitText("New PIN: "));
    }
    for (TelnetClient* client : {&first, &second}) {
        TypeLine(*client, client == &first ? "1111" : "2222");
        ASSERT_TRUE(client->WaitText("The same PIN again: "));
    }
    TypeLine(first, "1111");
    ASSERT_TRUE(first.WaitFor([&] { return ShowsConsole(first); })) << first.Received();
    TypeLine(second, "2222");
    EXPECT_TRUE(second.WaitText("A PIN was just chosen for this name from another connection"))
        << second.Received();
    EXPECT_TRUE(second.WaitText("Learner name: "));
    EXPECT_FALSE(first.WaitText("opened from another connection", 200ms));
}

// A learner folder from before PINs: the first login with a PIN claims it,
// the score and configuration as they were.
// The instructor resets a PIN while a login waits at the PIN prompt: the old
// PIN lets no one in, the login chooses a new PIN instead; the reset is
// logged once.
TEST(ServePin, PinResetWhileItIsAskedForIsChosenAnew) {
    ClassroomServer server({.scoreboard = true});
    LogLines log(server.Room());
    {
        TelnetClient owner(server.Port());
        ASSERT_NO_FATAL_FAILURE(LogIn(owner, "ana"));
    }
    TelnetClient client(server.Port());
    ASSERT_TRUE(client.WaitText("Learner name: "));
    TypeLine(client, "ana");
    ASSERT_TRUE(client.WaitText("PIN: ")) << client.Received();
    httplib::Client http("127.0.0.1", server.WebPort());
    auto reset = http.Post("/action", "token=" + server.Token() + "&learner=ana&do=reset-pin",
                           "application/x-www-form-urlencoded");
    ASSERT_TRUE(reset);
    ASSERT_EQ(reset->status, 303) << reset->body;
    const std::string text = log.Text();
    int resets = 0;
    for (std::size_t at = 0; (at = text.find("reset", at)) != std::string::npos; ++at) ++resets;
    EXPECT_EQ(resets, 1) << text;
    TypeLine(client, kPin);
    ASSERT_TRUE(client.WaitText("New PIN: ", 20s)) << client.Received();
    EXPECT_FALSE(ShowsConsole(client));
    EXPECT_NE(client.Received().find("Your instructor has reset the PIN of this name"),
              std::string::npos)
        << client.Received();
    TypeLine(client, "97531");
    ASSERT_TRUE(client.WaitText("The same PIN again: "));
    TypeLine(client, "97531");
    EXPECT_TRUE(client.WaitFor([&] { return ShowsConsole(client); })) << client.Received();
    EXPECT_TRUE(PinMatches("97531", ReadPin(server.Dir().Path() / "ana").hash));
}

TEST(ServePin, FolderWithoutAPinIsClaimedByTheFirstLogin) {
    ClassroomServer server;
    ASSERT_NO_FATAL_FAILURE(EarnOneTaskAndLeave(server, "ana"));
    fs::remove(server.Dir().Path() / "ana" / "learner.pin");
    TelnetClient claimer(server.Port());
    ASSERT_TRUE(claimer.WaitText("Learner name: "));
    TypeLine(claimer, "ana");
    ASSERT_TRUE(claimer.WaitText("No PIN keeps this name yet")) << claimer.Received();
    ASSERT_TRUE(claimer.WaitText("New PIN: "));
    TypeLine(claimer, "8642");
    ASSERT_TRUE(claimer.WaitText("The same PIN again: "));
    TypeLine(claimer, "8642");
    ASSERT_TRUE(claimer.WaitFor([&] { return ShowsConsole(claimer); })) << claimer.Received();
    claimer.Enter();
    EXPECT_TRUE(claimer.WaitFor([&] { return LabelOf(claimer) == "Score:  1"; }))
        << claimer.Screen().Text();
    EXPECT_TRUE(PinMatches("8642", ReadPin(server.Dir().Path() / "ana").hash));
}

// The running configuration, typed and not saved, and where the learner
// stands: what a dropped connection lost before routers were kept.
void ConfigureKeepMe(TelnetClient& client) {
    TypeCommand(client, "enable", "Router#");
    TypeCommand(client, "configure terminal", "Router(config)#");
    TypeCommand(client, "hostname KEEPME", "KEEPME(config)#");
}

// A dropped learner's router is resumed at the next login with the PIN, as
// it stood, with a line that says so; with no keep time, none is kept.
TEST(ServeContinuity, DroppedLearnersRouterIsResumedAtTheNextLogin) {
    struct Case {
        std::chrono::seconds keep;
        const char* prompt;  // at the next login
    };
    for (const Case& c : {Case{std::chrono::minutes(10), "KEEPME(config)#"},
                          Case{std::chrono::seconds(0), "Router>"}}) {
        SCOPED_TRACE(c.prompt);
        ClassroomServer server({.keepTime = c.keep});
        LogLines log(server.Room());
        {
            TelnetClient client(server.Port());
            GetStarted(client, "ana");
            ConfigureKeepMe(client);
            client.Close();
        }
        ASSERT_TRUE(PollUntil([&] {
            return log.Text().find(c.keep.count() ? "ana dropped (127.0.0.1); the router is kept"
                                                  : "ana left (127.0.0.1)") != std::string::npos;
        })) << log.Text();
        TelnetClient again(server.Port());
        LogIn(again, "ana");
        if (c.keep.count() == 0) again.Enter();  // past the welcome of a new run
        EXPECT_TRUE(again.WaitRow(21, c.prompt)) << again.Screen().Text();
        const bool told = again.Screen().Text().find("resumed as you left it") != std::string::npos;
        EXPECT_EQ(told, c.keep.count() > 0) << again.Screen().Text();
        EXPECT_EQ(SavedHostname(server, "ana"), "Router");
    }
}

// A kept router that is not resumed in time ends as a session does: its
// score saved (the network plan's task too, which only a session's end
// saves), and the next login starts a new run.
TEST(ServeContinuity, KeptRouterRunsOutAndIsSaved) {
    ClassroomServer server;
    LogLines log(server.Room());
    {
        TelnetClient client(server.Port());
        LogIn(client, "ana");
        client.Press("f2");
        ASSERT_TRUE(client.WaitText("q, Escape or F2 closes the network plan."));
        client.Close();
    }
    ASSERT_TRUE(PollUntil([&] {
        return log.Text().find("ana dropped (127.0.0.1)") != std::string::npos;
    })) << log.Text();
    const auto dropped = Clock::now();
    EXPECT_EQ(EntryOf(SavedTasks(server, "ana"), task::NetworkPlanShown), std::nullopt);
    EXPECT_LE(server.Room().EndKeptRouters(dropped + std::chrono::minutes(9)),
              dropped + std::chrono::minutes(10) + std::chrono::seconds(1));
    EXPECT_EQ(log.Text().find("ran out"), std::string::npos) << "ended before its time";
    server.Room().EndKeptRouters(dropped + std::chrono::minutes(11));
    EXPECT_NE(log.Text().find("ana: the kept router ran out; score 1 saved"), std::string::npos)
        << log.Text();
    EXPECT_EQ(EntryOf(SavedTasks(server, "ana"), task::NetworkPlanShown), 1);
    TelnetClient again(server.Port());
    GetStarted(again, "ana");
    EXPECT_EQ(again.Screen().Row(21), "Router>");
    EXPECT_EQ(LabelOf(again), "Score:  1");
}

TEST(ServeRobustness, ClientDroppingMidCommandLosesOnlyItsSession) {
    ClassroomServer server;
    TelnetClient other(server.Port());
    GetStarted(other, "ben");
    {
        TelnetClient dropping(server.Port());
        GetStarted(dropping, "ana");
        TypeCommand(dropping, "show version", "Router>");
        dropping.Type("show hist");            // and the connection is gone
        dropping.SendRaw("\xff\xfa\x1f\x00");  // in the middle of a subnegotiation too
    }
    TypeCommand(other, "enable", "Router#");
    // The dropped learner's files are whole: the score saved with the task
    // earned, the configuration as delivered.
    TaskTable tasks{};
    ASSERT_TRUE(other.WaitFor([&] {
        tasks = SavedTasks(server, "ana");
        return EntryOf(tasks, task::VersionShown) == 1;
    }));
    EXPECT_EQ(SavedHostname(server, "ana"), "Router");
    TelnetClient again(server.Port());
    GetStarted(again, "ana");
    EXPECT_EQ(LabelOf(again), "Score:  1");
}

bool Connected(ClassroomServer& server, const std::string& name) {
    for (const LearnerStatus& status : server.Room().Statuses())
        if (status.name == name) return status.connected;
    return false;
}

TEST(ServeRobustness, ClientThatNeverReadsIsDroppedWhileOthersAreServed) {
    ClassroomServer server({.limits = {.maxBuffered = 16 * 1024}});
    // A small receive buffer: what the server sends piles up on its side soon.
    TelnetClient stalled(server.Port(), {.receiveBuffer = 4096});
    GetStarted(stalled, "stalled");
    TelnetClient reader(server.Port());
    GetStarted(reader, "reader");
    // The stalled client changes its window's size again and again (each
    // change redraws the whole screen) and reads nothing; the other types
    // and reads its echo.
    std::vector<std::chrono::steady_clock::duration> echoes;
    for (int round = 0; round < 2000 && Connected(server, "stalled"); ++round) {
        stalled.Resize(24 + round % 2, 80 + round % 2);
        const auto sent = std::chrono::steady_clock::now();
        reader.Type(round % 2 ? "\x7f" : "x");
        ASSERT_TRUE(reader.WaitRow(21, round % 2 ? "Router>" : "Router>x", 2s))
            << reader.Screen().Text();
        echoes.push_back(std::chrono::steady_clock::now() - sent);
    }
    // The drop is final (the learner's release may still be under way).
    EXPECT_TRUE(reader.WaitFor([&] { return !Connected(server, "stalled"); }, 5s))
        << "the server kept the stalled client";
    EXPECT_TRUE(stalled.WaitClosed(10s));
    for (auto echo : echoes) EXPECT_LT(echo, 1s);
    // The stalled learner's score file is whole.
    EXPECT_EQ(SavedTasks(server, "stalled")[0], std::nullopt);
}

TEST(ServeRobustness, GarbageEndsOnlyThatConnection) {
    ClassroomServer server;
    TelnetClient good(server.Port());
    GetStarted(good, "good");
    TelnetClient bad(server.Port());
    ASSERT_TRUE(bad.WaitText("Learner name: "));
    // An endless subnegotiation: libtelnet's buffer overflows.
    std::string endless = "\xff\xfa\x18";
    endless += std::string(20000, 'A');
    bad.SendRaw(endless);
    EXPECT_TRUE(bad.WaitClosed()) << bad.Received();
    TypeCommand(good, "enable", "Router#");
}

// Telnet option requests the server refuses, each answered with a refusal:
// what a client that never reads lets pile up on the server's side.
std::string OptionFlood() {
    std::string flood;
    for (int i = 0; i < 70000; ++i) flood += "\xff\xfd\xc8";  // DO option 200
    return flood;
}

// Clients that read nothing after their first screen and end their session
// with its output unsent; the server must then wait for them without
// using the processor, and so while silent connections sit at the prompt.
TEST(ServeRobustness, HostileClientsCostNoProcessorTime) {
    ClassroomServer server({.classPassword = "pw"});
    struct Hostile {
        const char* what;
        std::string login;  // typed before the flood, the console awaited
        std::string ending;
    };
    const std::string enter("\r\0", 2);
    const std::vector<Hostile> table = {
        {"endless subnegotiation", "", "\xff\xfa\x18" + std::string(20000, 'A')},
        {"three wrong passwords", "", "x" + enter + "y" + enter + "z" + enter},
        {"F10 after logging in", "pw" + enter + "flood" + enter + "2468" + enter + "2468" + enter,
         KeyBytes("f10")},
    };
    std::vector<std::unique_ptr<TelnetClient>> clients;
    for (const Hostile& hostile : table) {
        auto& client = *clients.emplace_back(
            std::make_unique<TelnetClient>(server.Port(), ClientSetup{.receiveBuffer = 4096}));
        ASSERT_TRUE(client.WaitText("Class password: ")) << hostile.what;
        if (!hostile.login.empty()) {
            client.SendRaw(hostile.login);
            ASSERT_TRUE(client.WaitFor([&] { return ShowsConsole(client); })) << hostile.what;
        }
        client.SendRaw(OptionFlood());
        client.SendRaw(hostile.ending);
    }
    for (int i = 0; i < 4; ++i) clients.push_back(std::make_unique<TelnetClient>(server.Port()));
    // The learner who pressed F10 has left: that session has ended.
    ASSERT_TRUE(clients.back()->WaitFor([&] { return !Connected(server, "flood"); }, 20s));
    const auto cpuBefore = ProcessorTime();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(3s);  // the window measured, not a wait for an event
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
    const auto used = ProcessorTime() - cpuBefore;
    std::cout << "processor time with hostile clients: " << used.count() << " s in " << wall.count()
              << " s\n";
    EXPECT_LT(used.count(), 0.2 * wall.count()) << "a session's thread spins";
}

TEST(ServeLimits, MaximumSessionsCountsLearnersNotConnectionsLoggingIn) {
    ClassroomServer server({.limits = {.maxSessions = 2, .idleTimeout = std::chrono::seconds(1)}});
    // Sockets that say nothing take no learner's seat.
    std::vector<std::unique_ptr<TelnetClient>> silent;
    for (int i = 0; i < 3; ++i) {
        silent.push_back(
            std::make_unique<TelnetClient>(server.Port(), ClientSetup{.negotiates = false}));
        ASSERT_TRUE(silent.back()->WaitText("Learner name: "));
    }
    TelnetClient one(server.Port()), two(server.Port());
    LogIn(one, "one");
    LogIn(two, "two");
    TelnetClient three(server.Port(), {.negotiates = false});
    ASSERT_TRUE(three.WaitText("Learner name: ")) << three.Received();
    three.Type(std::string_view("three\r\n2468\r\n2468\r\n"));
    EXPECT_TRUE(three.WaitText("The classroom is full (2 learners)")) << three.Received();
    EXPECT_TRUE(three.WaitClosed());
    EXPECT_TRUE(one.WaitText("idle for 1 s", 5s)) << one.Received();
    EXPECT_TRUE(one.WaitClosed());
}

TEST(ServeLimits, LoginEndsByItsDeadlineWhateverIsTyped) {
    ClassroomServer server({.limits = {.loginTimeout = std::chrono::seconds(1)}});
    TelnetClient typist(server.Port());
    ASSERT_TRUE(typist.WaitText("Learner name: "));
    // A key now and then kept the old limit from ever running out.
    for (int key = 0; key < 400 && !typist.WaitClosed(50ms); ++key) {
        typist.Type("a");
        typist.Press("bs");
    }
    EXPECT_TRUE(typist.ClosedByServer());
    EXPECT_NE(typist.Received().find("No learner name came in time"), std::string::npos)
        << typist.Received();
}

TEST(ServeLimits, ConnectionsLoggingInAreCappedPerAddress) {
    ClassroomServer server({.limits = {.maxLoggingInPerAddress = 2}});
    TelnetClient one(server.Port()), two(server.Port());
    ASSERT_TRUE(one.WaitText("Learner name: "));
    ASSERT_TRUE(two.WaitText("Learner name: "));
    TelnetClient three(server.Port(), {.negotiates = false});
    EXPECT_TRUE(three.WaitText("Too many connections are logging in")) << three.Received();
    EXPECT_TRUE(three.WaitClosed());
    // Once one has logged in, another may try.
    LogIn(one, "one");
    TelnetClient four(server.Port());
    EXPECT_TRUE(four.WaitText("Learner name: ")) << four.Received();
}

TEST(ServeLearners, WrongPasswordsAndLoginsAreLoggedWithTheClientAddress) {
    ClassroomServer server({.classPassword = "pw"});
    LogLines log(server.Room());
    TelnetClient client(server.Port());
    ASSERT_TRUE(client.WaitText("Class password: "));
    client.Type("guess");
    client.Enter();
    // The answer comes after a wait, and comes.
    ASSERT_TRUE(client.WaitText("Wrong class password.", 20s)) << client.Received();
    EXPECT_NE(log.Text().find("wrong class password from 127.0.0.1 (1 on this connection, 1 in "
                              "a row from this address)"),
              std::string::npos)
        << log.Text();
    client.Type("pw");
    client.Enter();
    LogIn(client, "ana");
    EXPECT_TRUE(client.WaitFor([&] {
        return log.Text().find("ana logged in from 127.0.0.1") != std::string::npos;
    })) << log.Text();
}

TEST(ServeShutdown, StopTellsEveryLearnerAndSavesEveryScore) {
    ClassroomServer server;
    std::vector<std::unique_ptr<TelnetClient>> clients;
    for (const char* name : {"ana", "ben", "cy"}) {
        clients.push_back(std::make_unique<TelnetClient>(server.Port()));
        LogIn(*clients.back(), name);
        // The network plan earns a task that only the session's end saves.
        clients.back()->Press("f2");
        ASSERT_TRUE(clients.back()->WaitText("q, Escape or F2 closes the network plan."));
    }
    server.Stop();
    for (auto& client : clients) {
        EXPECT_TRUE(
            client->WaitText("The classroom server is shutting down. Your score is saved."));
        EXPECT_TRUE(client->WaitClosed());
    }
    for (const char* name : {"ana", "ben", "cy"})
        EXPECT_EQ(EntryOf(SavedTasks(server, name), task::NetworkPlanShown), 1) << name;
}

}  // namespace
}  // namespace pellix::serve::testing
