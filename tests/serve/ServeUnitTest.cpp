// The classroom server's pure pieces: learner names, the command line and
// the screen drawn on a remote terminal.
#include <gtest/gtest.h>

#include "VtScreen.h"
#include "serve/AnsiScreen.h"
#include "serve/Classroom.h"
#include "serve/LearnerName.h"
#include "serve/LearnerPin.h"
#include "serve/Options.h"
#include "serve/Session.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace pellix::serve {
namespace {

TEST(LearnerName, AcceptsOnlyShortNamesOfLettersDigitsDashAndUnderscore) {
    const std::pair<std::string, bool> cases[] = {
        {"ana", true},
        {"Ana-Maria_2", true},
        {"_", true},
        {std::string(32, 'x'), true},
        {"", false},
        {std::string(33, 'x'), false},
        {".", false},
        {"..", false},
        {"../x", false},
        {"a/b", false},
        {"a b", false},
        {"a.b", false},
        {"a\\b", false},
        {std::string("a\0b", 3), false},
        {"caf\xc3\xa9", false},
        {"~", false},
        {"-rf", false},
        {"-", false},
        {"a-", true},
    };
    for (const auto& [name, valid] : cases) EXPECT_EQ(ValidLearnerName(name), valid) << name;
}

TEST(LearnerPin, AcceptsOnlyFourToTwelveDigits) {
    const std::pair<std::string, bool> cases[] = {
        {"0000", true},  {"123456789012", true}, {"123", false},   {"1234567890123", false},
        {"", false},     {"12a4", false},        {"12 34", false}, {"１２３４", false},
        {"-123", false},
    };
    for (const auto& [pin, valid] : cases) EXPECT_EQ(ValidPin(pin), valid) << pin;
}

// The PIN file holds a salted yescrypt hash, never the digits, and it
// verifies the PIN and no other.
TEST(LearnerPin, FileHoldsASaltedHashThatVerifies) {
    support::TempFolder folder;
    EXPECT_EQ(ReadPin(folder.Path()).state, StoredPin::State::None);
    const std::string pin = "90817263";
    const std::optional<std::string> hash = HashPin(pin);
    ASSERT_TRUE(hash);
    ASSERT_EQ(WritePin(folder.Path(), *hash), "");
    const std::string text = support::ReadFile(folder.Path() / kPinFileName);
    EXPECT_TRUE(text.starts_with("$y$")) << text;
    for (const std::string& part : {pin, std::string("9081"), std::string("7263")})
        EXPECT_EQ(text.find(part), std::string::npos) << text;
    const StoredPin stored = ReadPin(folder.Path());
    ASSERT_EQ(stored.state, StoredPin::State::Set);
    EXPECT_TRUE(PinMatches(pin, stored.hash));
    for (const char* wrong : {"90817264", "9081726", "", "908172630"})
        EXPECT_FALSE(PinMatches(wrong, stored.hash)) << wrong;
    EXPECT_NE(HashPin(pin), hash) << "the same PIN hashed twice alike: no salt";
    // A file that holds no hash is no PIN, and lets no one in.
    support::WriteFile(folder.Path() / kPinFileName, "2468\n");
    EXPECT_EQ(ReadPin(folder.Path()).state, StoredPin::State::Unreadable);
    EXPECT_FALSE(PinMatches("2468", "2468"));
    ASSERT_EQ(RemovePin(folder.Path()), "");
    EXPECT_EQ(ReadPin(folder.Path()).state, StoredPin::State::None);
}

TEST(Classroom, WrongPasswordsWaitLongerFromTheSameAddressUntilTheRightOne) {
    Classroom room("/nonexistent-class", "pw");
    room.Quiet();
    using std::chrono::milliseconds;
    const std::pair<const char*, milliseconds> misses[] = {
        {"10.0.0.1", milliseconds(500)},  {"10.0.0.1", milliseconds(1000)},
        {"10.0.0.1", milliseconds(2000)}, {"10.0.0.2", milliseconds(500)},
        {"10.0.0.1", milliseconds(4000)},
    };
    for (const auto& [client, wait] : misses)
        EXPECT_EQ(room.WrongPassword(client, 1), wait) << client;
    for (int i = 0; i < 20; ++i) room.WrongPassword("10.0.0.3", 1);
    EXPECT_EQ(room.WrongPassword("10.0.0.3", 1), milliseconds(30000));
    room.RightPassword("10.0.0.1");
    EXPECT_EQ(room.WrongPassword("10.0.0.1", 1), milliseconds(500));
    // Wrong PINs count apart: the class password, which every learner
    // knows, forgets none of them.
    EXPECT_EQ(room.WrongPin("ana", "10.0.0.4", 1), milliseconds(500));
    EXPECT_EQ(room.WrongPin("ana", "10.0.0.4", 2), milliseconds(1000));
    room.RightPassword("10.0.0.4");
    EXPECT_EQ(room.WrongPin("ben", "10.0.0.4", 1), milliseconds(2000));
    room.RightPin("10.0.0.4");
    EXPECT_EQ(room.WrongPin("ben", "10.0.0.4", 1), milliseconds(500));
}

// A class with the password "pw" and one session on plain bytes, held.
struct PlainBytesSession {
    support::TempFolder dir;
    Classroom room{dir.Path(), "pw"};
    const Clock::time_point start = Clock::now();
    std::shared_ptr<Session> session;
    std::unique_lock<std::mutex> lock;

    PlainBytesSession() {
        using namespace std::chrono_literals;
        room.Quiet();
        session = std::make_shared<Session>(room, start, 1800s, "10.0.0.9", 30s, Framing::Raw);
        lock = std::unique_lock(session->Mutex());
    }
};

// A session on plain bytes, as the SSH listener runs it: no telnet in its
// output, and each login prompt told apart (Prompt) and answered as a line
// (Answer), with the same checks, waits and deadline as typed keys.
TEST(ServeSession, PlainBytesSessionTellsAndTakesItsPrompts) {
    using namespace std::chrono_literals;
    PlainBytesSession plain;
    const Clock::time_point start = plain.start;
    Session* session = plain.session.get();
    EXPECT_EQ(session->Prompt(), "Class password: ");
    EXPECT_TRUE(session->Output().ends_with("Class password: ")) << session->Output();
    EXPECT_EQ(session->Output().find('\xff'), std::string::npos);  // no telnet command
    session->Answer("wrong", start);
    EXPECT_EQ(session->Prompt(), "");  // the answer waits
    session->Answer("pw", start);      // not taken meanwhile
    session->Tick(start + 1s);
    EXPECT_EQ(session->Prompt(), "Class password: ");
    EXPECT_NE(session->Output().find("Wrong class password."), std::string::npos);

    const std::pair<std::string, std::string> answers[] = {
        {"pw", "Learner name: "},
        {"ana", "New PIN: "},
        {"2468", "The same PIN again: "},
        {"2468", ""},  // logged in: the console
    };
    for (const auto& [answer, next] : answers) {
        session->Answer(answer, start + 2s);
        EXPECT_EQ(session->Prompt(), next) << answer;
    }
    EXPECT_FALSE(session->LoggingIn());
    EXPECT_EQ(session->Name(), "ana");
    session->Resize(30, 100);
    EXPECT_EQ(session->Rows(), 30);
    EXPECT_EQ(session->Cols(), 100);
    session->SetTerminalType("xterm-256color");
    EXPECT_EQ(session->TerminalType(), "xterm-256color");
}

TEST(ServeSession, PlainBytesSessionEndsAtTheLoginDeadline) {
    using namespace std::chrono_literals;
    PlainBytesSession plain;
    const Clock::time_point start = plain.start;
    Session* session = plain.session.get();
    session->Tick(start + 31s);
    EXPECT_TRUE(session->Closed());
    EXPECT_EQ(session->Prompt(), "");
    EXPECT_NE(session->Output().find("No learner name came in time"), std::string::npos);
}

TEST(ServeOptions, ParsesEveryOptionAndRefusesWhatIsWrong) {
    const Options defaults = ParseOptions({});
    EXPECT_EQ(defaults.port, 2323);
    EXPECT_EQ(defaults.webPort, 8023);
    EXPECT_EQ(defaults.sshPort, 2222);
    EXPECT_EQ(defaults.listen, "127.0.0.1");
    EXPECT_EQ(defaults.maxSessions, 200);
    EXPECT_FALSE(defaults.dir);
    EXPECT_FALSE(defaults.classPassword);

    const Options all =
        ParseOptions({"--dir", "/srv/class", "--listen=0.0.0.0", "--port", "0", "--web-port=8080",
                      "--class-password", "pw.txt", "--max-sessions", "30", "--idle-timeout=0",
                      "--login-timeout", "5", "--max-logins=7", "--max-logins-per-address", "3",
                      "--keep-minutes=0", "--ssh-port", "0"});
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.dir, "/srv/class");
    EXPECT_EQ(all.listen, "0.0.0.0");
    EXPECT_EQ(all.port, 0);
    EXPECT_EQ(all.webPort, 8080);
    EXPECT_EQ(all.sshPort, 0);  // no SSH listener
    EXPECT_EQ(all.classPassword, "pw.txt");
    EXPECT_EQ(all.maxSessions, 30);
    EXPECT_EQ(all.idleTimeout, 0);
    EXPECT_EQ(all.loginTimeout, 5);
    EXPECT_EQ(all.maxLogins, 7);
    EXPECT_EQ(all.maxLoginsPerAddress, 3);
    EXPECT_EQ(all.keepMinutes, 0);
    EXPECT_EQ(defaults.keepMinutes, 10);
    EXPECT_EQ(defaults.loginTimeout, 30);

    const std::pair<std::vector<std::string>, std::string> errors[] = {
        {{"--port"}, "--port needs a value"},
        {{"--port", "65536"}, "--port needs a port number from 0 to 65535"},
        {{"--web-port=x"}, "--web-port needs a port number from 0 to 65535"},
        {{"--ssh-port", "65536"}, "--ssh-port needs a port number from 0 to 65535"},
        {{"--max-sessions", "0"}, "--max-sessions needs a number from 1 to 100000"},
        {{"--idle-timeout", "-1"}, "--idle-timeout needs seconds from 0 to 604800"},
        {{"--dir="}, "--dir needs a value"},
        {{"--login-timeout", "0"}, "--login-timeout needs seconds from 1 to 3600"},
        {{"--max-logins-per-address=0"},
         "--max-logins-per-address needs a number from 1 to 100000"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--keep-minutes", "1441"}, "--keep-minutes needs minutes from 0 to 1440"},
        {{"folder"}, "unexpected argument folder"},
        {{"--", "folder"}, "unexpected argument folder"},
    };
    for (const auto& [args, error] : errors) EXPECT_EQ(ParseOptions(args).error, error) << args[0];
    // Others let in only with a class password, or when the instructor says so.
    const std::pair<std::vector<std::string>, bool> listens[] = {
        {{"--listen", "127.0.0.1"}, true},
        {{"--listen", "127.0.0.5"}, true},
        {{"--listen", "::1"}, true},
        {{"--listen", "localhost"}, true},
        {{"--listen", "0.0.0.0"}, false},
        {{"--listen", "192.168.1.10"}, false},
        {{"--listen", "::"}, false},
        {{"--listen", "0.0.0.0", "--class-password", "pw.txt"}, true},
        {{"--listen", "0.0.0.0", "--allow-open"}, true},
    };
    for (const auto& [args, allowed] : listens)
        EXPECT_EQ(ParseOptions(args).error.empty(), allowed) << args[1] << " " << args.size();
    EXPECT_EQ(ParseOptions({"--listen=0.0.0.0"}).error,
              "--listen 0.0.0.0 lets others in without a password: give --class-password FILE, "
              "or --allow-open for a class without one");
    EXPECT_TRUE(ParseOptions({"-h"}).help);
    EXPECT_TRUE(ParseOptions({"--version"}).version);
    EXPECT_TRUE(ParseOptions({"-V"}).version);
    EXPECT_EQ(ParseOptions({"--"}).error, "");
}

// Under systemd the class password comes as the credential "class-password"
// (LoadCredential=): the file in $CREDENTIALS_DIRECTORY, unless the command
// line names one.
TEST(ServeOptions, ClassPasswordFromTheServicesCredential) {
    support::TempFolder credentials;
    support::TempFolder empty;
    credentials.Write("class-password", "secret\n");
    const std::string given = credentials.Path().string();
    const Options fromCredential = ParseOptions({"--listen", "0.0.0.0"}, given.c_str());
    EXPECT_EQ(fromCredential.error, "");
    EXPECT_EQ(fromCredential.classPassword, credentials.Path() / "class-password");
    EXPECT_EQ(ParseOptions({"--class-password", "pw.txt"}, given.c_str()).classPassword,
              std::filesystem::path("pw.txt"));
    const std::string none = empty.Path().string();
    EXPECT_NE(ParseOptions({"--listen", "0.0.0.0"}, none.c_str()).error, "");
    EXPECT_FALSE(ParseOptions({}, none.c_str()).classPassword);
}

TEST(AnsiScreen, RemoteTerminalShowsTheLayoutAfterEachChange) {
    using term::Look;
    AnsiScreen screen;
    screen.Resize(24, 80);
    testing::VtScreen terminal(24, 80);
    const auto expectShows = [&](const term::Screen& layout) {
        terminal.Feed(screen.Render(layout));
        for (int row = 0; row < 24; ++row) {
            std::string want(80, ' ');
            for (const term::Text& text : layout.texts)
                if (text.row == row) want.replace(text.col, text.text.size(), text.text);
            want.erase(want.find_last_not_of(' ') + 1);
            EXPECT_EQ(terminal.Row(row), want) << "row " << row;
        }
        EXPECT_EQ(terminal.CursorShown(), layout.cursorShown);
        if (layout.cursorShown) {
            EXPECT_EQ(terminal.CursorRow(), layout.cursorRow);
            EXPECT_EQ(terminal.CursorCol(), layout.cursorCol);
        }
    };
    term::Screen layout;
    layout.texts = {{0, 0, "Vantric Sim", Look::Caption},
                    {0, 71, "Score:  0", Look::Label},
                    {21, 0, "Router>", Look::Plain},
                    {22, 0, std::string(80, ' '), Look::Strip},
                    {23, 0, "F2 Network Plan  F10 Finish", Look::Hint}};
    layout.cursorShown = true;
    layout.cursorRow = 21;
    layout.cursorCol = 7;
    expectShows(layout);
    // Typing: only the input line changes.
    layout.texts[2].text = "Router>enable";
    layout.cursorCol = 13;
    const std::string typed = screen.Render(layout);
    EXPECT_LT(typed.size(), 40u) << "more than the change was sent";
    terminal.Feed(typed);
    // A shorter line, a note in the strip, a line at the row's very end.
    layout.texts[2].text = "R#";
    layout.texts[3].text = "Show version executed" + std::string(59, ' ');
    layout.texts.push_back({5, 70, "0123456789", Look::Plain});
    layout.cursorCol = 2;
    expectShows(layout);
    layout.texts.pop_back();
    layout.cursorShown = false;
    expectShows(layout);
    // A new size redraws everything.
    screen.Resize(30, 100);
    terminal.Resize(30, 100);
    layout.texts[1].col = 91;
    terminal.Feed(screen.Render(layout));
    EXPECT_EQ(terminal.Row(0), "Vantric Sim" + std::string(80, ' ') + "Score:  0");
}

}  // namespace
}  // namespace pellix::serve
