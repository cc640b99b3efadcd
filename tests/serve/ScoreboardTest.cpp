// The scoreboard over HTTP (the page, the JSON, the token), and the program
// itself: its start-up lines and its stop on SIGTERM.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

#include <nlohmann/json.hpp>

#include "ClassroomServer.h"
#include "TelnetClient.h"
#include "lessons/Lessons.h"
#include "scoring/ScoreFile.h"
#include "serve/ClassLock.h"
#include "serve/LearnerPin.h"

extern char** environ;

namespace pellix::serve::testing {
namespace {

// A learner who worked at an earlier session: tasks 1 to 5 done.
void SeedLearner(const TempFolder& dir, const std::string& name) {
    fs::create_directories(dir.Path() / name);
    TaskTable tasks{};
    for (int task = 1; task <= 5; ++task) tasks[static_cast<std::size_t>(task)] = 1;
    dir.Write(name + "/user.dat", support::ScoreFileText(tasks));
}

TEST(Scoreboard, ShowsEveryLearnerOnlyToHoldersOfTheToken) {
    ClassroomServer server({.scoreboard = true});
    SeedLearner(server.Dir(), "zoe");
    fs::create_directories(server.Dir().Path() / "not a learner");
    TelnetClient ana(server.Port());
    ASSERT_TRUE(EnterNameAndPin(ana, "ana")) << ana.Received();
    ASSERT_TRUE(ana.WaitText("Vantric Sim"));
    ana.Press("f2");  // task 50
    ASSERT_TRUE(ana.WaitText("q, Escape or F2 closes the network plan."));

    httplib::Client http("127.0.0.1", server.WebPort());
    for (const std::string path :
         {"/", "/?token=wrong", "/scoreboard.json", "/scoreboard.json?token=test-token-5e1"}) {
        auto response = http.Get(path);
        ASSERT_TRUE(response) << path;
        EXPECT_EQ(response->status, 403) << path;
        EXPECT_EQ(response->body.find("ana"), std::string::npos) << path;
    }

    auto page = http.Get("/?token=" + server.Token());
    ASSERT_TRUE(page);
    ASSERT_EQ(page->status, 200);
    EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
    const std::string& html = page->body;
    EXPECT_NE(html.find("<meta http-equiv=\"refresh\" content=\"5\">"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"name\">ana</td><td class=\"on\">connected</td>"
                        "<td class=\"score\">1</td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<td class=\"name\">zoe</td><td class=\"off\">no</td>"
                        "<td class=\"score\">5</td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("title=\"50. " + std::string(TaskTitle(50)) + ": done\""),
              std::string::npos);
    EXPECT_EQ(html.find("not a learner"), std::string::npos);

    httplib::Headers bearer = {{"Authorization", "Bearer " + server.Token()}};
    auto json = http.Get("/scoreboard.json", bearer);
    ASSERT_TRUE(json);
    ASSERT_EQ(json->status, 200);
    const auto board = nlohmann::json::parse(json->body);
    EXPECT_EQ(board["taskCount"], 50);
    ASSERT_EQ(board["learners"].size(), 2u);
    const auto& first = board["learners"][0];
    EXPECT_EQ(first["name"], "ana");
    EXPECT_EQ(first["connected"], true);
    EXPECT_EQ(first["score"], 1);
    ASSERT_EQ(first["tasks"].size(), 50u);
    EXPECT_EQ(first["tasks"][49], true);
    EXPECT_EQ(first["tasks"][0], false);
    const auto& second = board["learners"][1];
    EXPECT_EQ(second["name"], "zoe");
    EXPECT_EQ(second["connected"], false);
    EXPECT_EQ(second["score"], 5);
    EXPECT_EQ(second["tasks"][4], true);
}

// The Origin a browser sends from the scoreboard's own page, and others.
TEST(ScoreboardOrigin, OnlyTheScoreboardsOwnOriginIsItself) {
    struct Case {
        const char* origin;
        const char* host;
        int port;
        bool same;
    };
    const Case cases[] = {
        {"", "127.0.0.1:8023", 8023, true},  // no Origin: not a browser's cross-site request
        {"http://127.0.0.1:8023", "127.0.0.1:8023", 8023, true},
        {"http://classroom-pc:8023", "classroom-pc:8023", 8023, true},
        {"http://[::1]:8023", "[::1]:8023", 8023, true},
        {"http://classroom-pc", "classroom-pc", 80, true},
        {"http://classroom-pc:8023", "Classroom-PC:8023", 8023, true},  // host names fold case
        {"http://[::1]", "[::1]", 8023, false},
        {"http://[::1]", "[::1]", 80, true},
        {"http://127.0.0.1:8023", "127.0.0.1:8024", 8024, false},
        {"http://127.0.0.1:8024", "127.0.0.1:8024", 8023, false},
        {"http://evil.example:8023", "127.0.0.1:8023", 8023, false},
        {"https://127.0.0.1:8023", "127.0.0.1:8023", 8023, false},
        {"null", "127.0.0.1:8023", 8023, false},
        {"http://127.0.0.1:8023", "", 8023, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameOrigin(c.origin, c.host, c.port), c.same)
            << c.origin << " to " << c.host << " on " << c.port;
}

// The instructor resets a forgotten PIN with the page's button: a POST with
// the token, refused without it and from another site's page (its Origin).
TEST(ScoreboardResetPin, NeedsTheTokenAndTheScoreboardsOwnOrigin) {
    ClassroomServer server({.scoreboard = true});
    {
        TelnetClient ana(server.Port());
        ASSERT_TRUE(EnterNameAndPin(ana, "ana")) << ana.Received();
        ASSERT_TRUE(ana.WaitText("Vantric Sim"));
    }
    const fs::path pinFile = server.Dir().Path() / "ana" / "learner.pin";
    const std::string kept = ReadFile(pinFile);
    httplib::Client http("127.0.0.1", server.WebPort());
    const std::string own = "http://127.0.0.1:" + std::to_string(server.WebPort());
    const std::string token = "token=" + server.Token();
    struct Case {
        const char* what;
        std::string body;
        std::string origin;  // "" for none
        int status;
    };
    const Case refused[] = {
        {"no token", "learner=ana&do=reset-pin", own, 403},
        {"a wrong token", "token=x&learner=ana&do=reset-pin", own, 403},
        {"another site", token + "&learner=ana&do=reset-pin", "http://evil.example", 403},
        {"another port", token + "&learner=ana&do=reset-pin", "http://127.0.0.1:1", 403},
        {"an opaque origin", token + "&learner=ana&do=reset-pin", "null", 403},
        {"no such learner", token + "&learner=zed&do=reset-pin", own, 404},
        {"no such action", token + "&learner=ana&do=erase-all", own, 400},
    };
    for (const Case& c : refused) {
        httplib::Headers headers;
        if (!c.origin.empty()) headers.emplace("Origin", c.origin);
        auto response = http.Post("/action", headers, c.body, "application/x-www-form-urlencoded");
        ASSERT_TRUE(response) << c.what;
        EXPECT_EQ(response->status, c.status) << c.what;
        EXPECT_TRUE(fs::exists(pinFile)) << c.what;
    }
    // The page's button, as the browser posts it.
    auto page = http.Get("/?token=" + server.Token());
    ASSERT_TRUE(page);
    // In ana's form, beside the other actions on her.
    const auto form = page->body.find("<input type=\"hidden\" name=\"learner\" value=\"ana\">");
    ASSERT_NE(form, std::string::npos) << page->body;
    const std::string anasForm = page->body.substr(form, page->body.find("</form>", form) - form);
    EXPECT_NE(anasForm.find("<button name=\"do\" value=\"reset-pin\">Reset PIN</button>"),
              std::string::npos)
        << anasForm;
    for (const std::string& origin : {std::string(), own}) {
        support::WriteFile(pinFile, kept);
        httplib::Headers headers;
        if (!origin.empty()) headers.emplace("Origin", origin);
        auto response = http.Post("/action", headers, token + "&learner=ANA&do=reset-pin",
                                  "application/x-www-form-urlencoded");
        ASSERT_TRUE(response);
        EXPECT_EQ(response->status, 303) << response->body;
        EXPECT_EQ(response->get_header_value("Location"), "/?token=" + server.Token());
        EXPECT_FALSE(fs::exists(pinFile)) << origin;
    }
    // The next login under the name chooses a new PIN.
    TelnetClient again(server.Port());
    ASSERT_TRUE(EnterNameAndPin(again, "ana", "97531")) << again.Received();
    EXPECT_TRUE(again.WaitText("Vantric Sim")) << again.Received();
    EXPECT_NE(again.Received().find("No PIN keeps this name yet"), std::string::npos);
    EXPECT_TRUE(PinMatches("97531", ReadPin(server.Dir().Path() / "ana").hash));
}

// A learner whose score could not be saved: the reason under the score,
// escaped as any text from a file.
TEST(Scoreboard, PageShowsASaveProblemUnderTheScore) {
    LearnerStatus ana{.name = "ana", .connected = true};
    ana.problem = "score not saved: <disk full>";
    const std::string html = ScoreboardHtml({ana, {.name = "ben"}}, "t");
    EXPECT_NE(html.find("<td class=\"score\">0<br><span class=\"problem\">score not saved: "
                        "&lt;disk full&gt;</span></td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<td class=\"name\">ben</td><td class=\"off\">no</td>"
                        "<td class=\"score\">0</td>"),
              std::string::npos)
        << html;
}

// A socket to the scoreboard that sends a request's header a byte at a time
// and never finishes it.
int SlowHeaderSocket(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    const std::string start = "GET /scoreboard.json HTTP/1.1\r\nHost: x\r\n";
    [[maybe_unused]] auto sent = send(fd, start.data(), start.size(), MSG_NOSIGNAL);
    return fd;
}

// Sockets that keep their headers coming, a byte each now and then, until
// this ends.
class Dribble {
  public:
    Dribble(std::vector<int> sockets, std::chrono::milliseconds period)
        : thread_([this, sockets = std::move(sockets), period] {
              while (!stop_) {
                  for (int fd : sockets)
                      [[maybe_unused]] auto sent = send(fd, "X", 1, MSG_NOSIGNAL);
                  std::this_thread::sleep_for(period);
              }
          }) {}
    ~Dribble() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(Scoreboard, SlowHeadersDoNotKeepTheInstructorWaiting) {
    ClassroomServer server({.scoreboard = true});
    std::vector<int> slow;
    for (int i = 0; i < 16; ++i) slow.push_back(SlowHeaderSocket(server.WebPort()));
    // They keep their headers coming as long as the instructor waits.
    auto dribble = std::make_unique<Dribble>(slow, std::chrono::milliseconds(500));
    httplib::Client http("127.0.0.1", server.WebPort());
    http.set_read_timeout(std::chrono::seconds(30));
    auto response = http.Get("/scoreboard.json?token=" + server.Token());
    dribble.reset();
    for (int fd : slow) close(fd);
    ASSERT_TRUE(response) << httplib::to_string(response.error());
    EXPECT_EQ(response->status, 200);
}

// Whether the server closes the connection before the deadline (a safety
// net); what it sends first is read and dropped.
bool ClosedByServer(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd input{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&input, 1, static_cast<int>(left.count())) <= 0) return false;
        char bytes[512];
        if (recv(fd, bytes, sizeof bytes, MSG_DONTWAIT) <= 0) return true;
    }
}

// A connection whose request never ends is cut off at the request deadline,
// however steadily its bytes trickle in; the instructor is served meanwhile
// and after.
TEST(Scoreboard, RequestThatNeverEndsIsCutOffAtTheDeadline) {
    ClassroomServer server({.scoreboard = true, .requestDeadline = std::chrono::seconds(3)});
    std::vector<int> slow;
    for (int i = 0; i < 4; ++i) slow.push_back(SlowHeaderSocket(server.WebPort()));
    {
        Dribble dribble(slow, std::chrono::milliseconds(200));
        const auto safety = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (int fd : slow) EXPECT_TRUE(ClosedByServer(fd, safety));
    }
    for (int fd : slow) close(fd);
    httplib::Client http("127.0.0.1", server.WebPort());
    auto response = http.Get("/scoreboard.json?token=" + server.Token());
    ASSERT_TRUE(response) << httplib::to_string(response.error());
    EXPECT_EQ(response->status, 200);
}

TEST(ServeStart, BusyPortsAndAClassFolderInUseAreRefused) {
    ClassroomServer server({.scoreboard = true});
    // The scoreboard's port and the telnet port, each taken by the first.
    WebServer web(server.Room(), "another-token");
    EXPECT_EQ(web.Bind("127.0.0.1", server.WebPort()), -1);
    Server telnet(server.Room(), {});
    std::string error;
    EXPECT_EQ(telnet.Bind("127.0.0.1", server.Port(), error), -1);
    EXPECT_NE(error.find("Address already in use"), std::string::npos) << error;
    // The class folder, locked by one server at a time.
    ClassLock first, second;
    EXPECT_EQ(first.Take(server.Dir().Path()), "");
    EXPECT_NE(second.Take(server.Dir().Path()).find("another pellix-serve serves this class"),
              std::string::npos);
    first = ClassLock();
    EXPECT_EQ(second.Take(server.Dir().Path()), "");
}

// As on a full disk: the server may create folders and empty files but can
// write no byte into a file.
TEST(ServeProgram, NameRefusedOnAFullDiskLeavesNoFolderAndShowsNoServerPath) {
    TempFolder dir;
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const std::string dirText = dir.Path().string();
    std::vector<std::string> args = {PELLIX_SERVE_EXE, "--dir", dirText,      "--port", "0",
                                     "--web-port",     "0",     "--ssh-port", "0"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead
        const rlimit none{0, 0};
        setrlimit(RLIMIT_FSIZE, &none);
        execv(PELLIX_SERVE_EXE, argv.data());
        _exit(127);
    }
    close(out[1]);
    FILE* lines = fdopen(out[0], "r");
    int port = -1;
    char line[512];
    while (port < 0 && fgets(line, sizeof line, lines))
        sscanf(line, "pellix-serve: learners connect with: telnet 127.0.0.1 %d", &port);
    ASSERT_GT(port, 0);
    TelnetClient client(port);
    ASSERT_TRUE(EnterNameAndPin(client, "ana")) << client.Received();
    EXPECT_TRUE(client.WaitText("This name cannot be used here (")) << client.Received();
    EXPECT_EQ(client.Received().find(dirText), std::string::npos) << client.Received();
    EXPECT_FALSE(fs::exists(dir.Path() / "ana"));
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    fclose(lines);
}

TEST(ServeProgram, SigtermTellsEveryLearnerSavesEveryScoreAndExitsZero) {
    TempFolder dir;
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string dirText = dir.Path().string();
    std::vector<std::string> args = {PELLIX_SERVE_EXE, "--dir", dirText,      "--port", "0",
                                     "--web-port",     "0",     "--ssh-port", "0"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, PELLIX_SERVE_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    FILE* lines = fdopen(out[0], "r");
    int port = -1;
    std::string printed;
    char line[512];
    while (port < 0 && fgets(line, sizeof line, lines)) {
        printed += line;
        sscanf(line, "pellix-serve: learners connect with: telnet 127.0.0.1 %d", &port);
    }
    ASSERT_GT(port, 0) << printed;
    ASSERT_TRUE(fgets(line, sizeof line, lines));
    EXPECT_TRUE(std::string(line).starts_with("pellix-serve: scoreboard: http://127.0.0.1:"))
        << line;

    std::vector<std::unique_ptr<TelnetClient>> learners;
    for (const char* name : {"ana", "ben"}) {
        learners.push_back(std::make_unique<TelnetClient>(port));
        TelnetClient& client = *learners.back();
        ASSERT_TRUE(EnterNameAndPin(client, name)) << client.Received();
        ASSERT_TRUE(client.WaitText("Vantric Sim"));
        client.Press("f2");  // task 50: saved only when the session ends
        ASSERT_TRUE(client.WaitText("q, Escape or F2 closes the network plan."));
    }
    TelnetClient waiting(port);  // not logged in yet
    ASSERT_TRUE(waiting.WaitText("Learner name: "));

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    for (auto& client : learners) {
        EXPECT_TRUE(client->WaitText("The classroom server is shutting down."));
        EXPECT_TRUE(client->WaitClosed());
    }
    EXPECT_TRUE(waiting.WaitClosed());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fclose(lines);
    for (const char* name : {"ana", "ben"})
        EXPECT_EQ(ReadScoreText(dir.Read(std::string(name) + "/user.dat"))[50], 1) << name;
    // No new connection after the stop.
    TelnetClient late(port);
    EXPECT_FALSE(late.Connected());
}

}  // namespace
}  // namespace pellix::serve::testing
