// The classroom server reached with Debian's ssh client: the learner's name
// as the SSH user, the class password and the PIN at the client's prompts,
// then the same console as over telnet; the host key kept in the class
// folder; the SSH port as the program takes it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "ClassroomServer.h"
#include "SshClient.h"
#include "TelnetClient.h"
#include "scoring/ScoreFile.h"
#include "serve/SshHost.h"
#include "term/Layout.h"

extern char** environ;

namespace pellix::serve::testing {
namespace {

constexpr std::string_view kPassword = "router-lab";
constexpr std::string_view kPin = kTestPin;
// F10 as an xterm sends it.
constexpr std::string_view kF10 = "\x1b[21~";

bool ShowsConsole(const SshClient& client) {
    return client.Screen().Text().find("Vantric Sim") != std::string::npos;
}

// A new learner's prompts: the class password when the class has one, then
// the PIN chosen and typed again; then the router's console.
void LogInNew(SshClient& client, std::optional<std::string_view> password) {
    if (password) {
        ASSERT_TRUE(client.WaitText("Class password: ")) << client.Received();
        client.Type(*password);
        client.Enter();
    }
    ASSERT_TRUE(client.WaitText("New PIN: ")) << client.Received();
    client.Type(kPin);
    client.Enter();
    ASSERT_TRUE(client.WaitText("The same PIN again: ")) << client.Received();
    client.Type(kPin);
    client.Enter();
    ASSERT_TRUE(client.WaitFor([&] { return ShowsConsole(client); })) << client.Received();
}

TEST(ServeSsh, LoginWithTheSshClientReachesTheRouterAndEarnsATask) {
    ClassroomServer server({.classPassword = std::string(kPassword), .ssh = true});
    LogLines log(server.Room());
    SshClient ana(server.SshPort(), "ana", 30, 100);
    ASSERT_TRUE(ana.Started());
    ASSERT_NO_FATAL_FAILURE(LogInNew(ana, kPassword));
    // Drawn for the terminal's window, as over telnet: the console's frame
    // centred in 30 x 100; a window too small gives way to a notice.
    const term::Frame frame = term::FrameFor(30, 100);
    ASSERT_GT(frame.top, 0);
    EXPECT_TRUE(ana.WaitFor([&] {
        return ana.Screen().Row(frame.top).starts_with(std::string(frame.left, ' ') +
                                                       "Vantric Sim");
    })) << ana.Screen().Text();
    ana.Resize(20, 60);
    EXPECT_TRUE(ana.WaitText("Terminal too small")) << ana.Screen().Text();
    ana.Resize(24, 80);
    ASSERT_TRUE(ana.WaitFor([&] { return ana.Screen().Row(0).starts_with("Vantric Sim"); }))
        << ana.Screen().Text();

    ana.Enter();
    ASSERT_TRUE(ana.WaitRow(21, "Router>")) << ana.Screen().Text();
    ana.Type("show version");
    ana.Enter();
    const fs::path scores = server.Dir().Path() / "ana" / "user.dat";
    EXPECT_TRUE(ana.WaitFor([&] { return SumTasks(ReadScoreText(ReadFile(scores))) == 1; }))
        << ana.Screen().Text();
    EXPECT_TRUE(ana.WaitFor([&] { return ana.Screen().Row(0).ends_with("Score:  1"); }))
        << ana.Screen().Text();
    ana.Type(kF10);
    EXPECT_TRUE(ana.WaitText("Your score is saved. Goodbye.")) << ana.Received();
    EXPECT_TRUE(ana.WaitExit());
    EXPECT_NE(log.Text().find("ana logged in from 127.0.0.1"), std::string::npos) << log.Text();
}

TEST(ServeSsh, WrongClassPasswordIsRefusedAndLoggedWithTheAddress) {
    ClassroomServer server({.classPassword = std::string(kPassword), .ssh = true});
    LogLines log(server.Room());
    SshClient ana(server.SshPort(), "ana");
    ASSERT_TRUE(ana.WaitText("Class password: ")) << ana.Received();
    ana.Type("router-lap");
    ana.Enter();
    EXPECT_TRUE(ana.WaitText("Wrong class password.")) << ana.Received();
    EXPECT_NE(log.Text().find("wrong class password from 127.0.0.1"), std::string::npos)
        << log.Text();
    EXPECT_FALSE(fs::exists(server.Dir().Path() / "ana"));
    // Asked again; the right one lets the learner on.
    ASSERT_TRUE(ana.WaitText("Class password: ")) << ana.Received();
    ana.Type(kPassword);
    ana.Enter();
    EXPECT_TRUE(ana.WaitText("New PIN: ")) << ana.Received();
}

// A name that cannot be a learner's: told why, closed, nothing made.
TEST(ServeSsh, RefusedNameIsToldWhyAndLeavesNoFolder) {
    ClassroomServer server({.ssh = true});
    SshClient client(server.SshPort(), "ana.b");
    EXPECT_TRUE(client.WaitText("letters")) << client.Received();
    EXPECT_TRUE(client.WaitExit()) << client.Received();
    EXPECT_EQ(client.Received().find("PIN"), std::string::npos) << client.Received();
    EXPECT_FALSE(fs::exists(server.Dir().Path() / "ana.b"));
}

// Another connection under a connected learner's name takes the router
// over only with the learner's PIN.
TEST(ServeSsh, TakeOverOnlyWithThePin) {
    ClassroomServer server({.ssh = true});
    LogLines log(server.Room());
    TelnetClient ana(server.Port());
    ASSERT_TRUE(EnterNameAndPin(ana, "ana")) << ana.Received();
    ASSERT_TRUE(ana.WaitText("Vantric Sim"));
    ana.Enter();
    ana.Type("enable");
    ana.Enter();
    ASSERT_TRUE(ana.WaitRow(21, "Router#")) << ana.Screen().Text();

    SshClient other(server.SshPort(), "ana");
    ASSERT_TRUE(other.WaitText("PIN: ")) << other.Received();
    other.Type("1357");
    other.Enter();
    ASSERT_TRUE(other.WaitText("Wrong PIN.")) << other.Received();
    // The learner's connection keeps the router.
    ana.Type("disable");
    ana.Enter();
    EXPECT_TRUE(ana.WaitRow(21, "Router>")) << ana.Screen().Text();
    EXPECT_FALSE(ana.ClosedByServer());
    EXPECT_EQ(log.Text().find("taking the router over"), std::string::npos) << log.Text();

    ASSERT_TRUE(other.WaitText("PIN: ")) << other.Received();
    other.Type(kPin);
    other.Enter();
    EXPECT_TRUE(other.WaitRow(21, "Router>")) << other.Screen().Text();
    EXPECT_TRUE(ana.WaitText("Your learner name was opened from another connection"));
    EXPECT_TRUE(ana.WaitClosed());
    EXPECT_NE(log.Text().find("taking the router over"), std::string::npos) << log.Text();
}

// A plain socket to the port, sending what it is given and reading nothing.
class RawSocket {
  public:
    explicit RawSocket(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawSocket() { close(fd_); }
    bool Connected() const { return connected_; }
    void Send(std::string_view bytes) {
        [[maybe_unused]] auto sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // Waits for the server to close the connection (what it sends is dropped).
    bool WaitClosed(std::chrono::milliseconds timeout = 30s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd fd{fd_, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0) continue;
            char buffer[4096];
            if (recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
        }
        return false;
    }

  private:
    int fd_ = -1;
    bool connected_ = false;
};

// SSH connections in each state the server waits in: a socket that says
// nothing, one that stops in the key exchange, a client at the password
// prompt, a learner idle at the console, one that has left. The server must
// wait for each without using the processor.
TEST(ServeSsh, ConnectionsInEveryStateCostNoProcessorTime) {
    ClassroomServer server({.classPassword = std::string(kPassword), .ssh = true});
    LogLines log(server.Room());
    RawSocket silent(server.SshPort()), stalled(server.SshPort());
    ASSERT_TRUE(silent.Connected() && stalled.Connected());
    stalled.Send("SSH-2.0-Stalled_1.0\r\n");
    SshClient waiting(server.SshPort(), "ana");
    ASSERT_TRUE(waiting.WaitText("Class password: ")) << waiting.Received();
    SshClient idle(server.SshPort(), "ben");
    ASSERT_NO_FATAL_FAILURE(LogInNew(idle, kPassword));
    SshClient left(server.SshPort(), "cid");
    ASSERT_NO_FATAL_FAILURE(LogInNew(left, kPassword));
    left.Type(kF10);
    ASSERT_TRUE(left.WaitExit()) << left.Received();
    ASSERT_TRUE(left.WaitFor([&] { return log.Text().find("cid left") != std::string::npos; }));

    const auto cpuBefore = ProcessorTime();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(3s);  // the window measured, not a wait for an event
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
    const auto used = ProcessorTime() - cpuBefore;
    std::cout << "processor time with SSH connections waiting: " << used.count() << " s in "
              << wall.count() << " s\n";
    EXPECT_LT(used.count(), 0.2 * wall.count()) << "an SSH connection's thread spins";
}

// Connections logging in over SSH count with telnet's against the cap per
// address; one beyond it is closed at once.
TEST(ServeSsh, LoggingInIsCappedPerAddressWithTelnet) {
    ClassroomServer server({.limits = {.maxLoggingInPerAddress = 2},
                            .classPassword = std::string(kPassword),
                            .ssh = true});
    LogLines log(server.Room());
    TelnetClient telnet(server.Port());
    ASSERT_TRUE(telnet.WaitText("Class password: "));
    SshClient ssh(server.SshPort(), "ana");
    ASSERT_TRUE(ssh.WaitText("Class password: ")) << ssh.Received();
    RawSocket third(server.SshPort());
    ASSERT_TRUE(third.Connected());
    EXPECT_TRUE(third.WaitClosed());
    // Logged once it is closed.
    EXPECT_TRUE(ssh.WaitFor([&] {
        return log.Text().find("a connection from 127.0.0.1 refused: too many logging in") !=
               std::string::npos;
    })) << log.Text();
    // Those logging in are not disturbed.
    ssh.Type(kPassword);
    ssh.Enter();
    EXPECT_TRUE(ssh.WaitText("New PIN: ")) << ssh.Received();
}

// The loopback connections on the server's side of the port that are still
// open (ESTABLISHED in the kernel's table).
int OpenConnections(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the heading
    int open = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const auto colon = local.find(':');
        if (colon != std::string::npos && std::stoi(local.substr(colon + 1), nullptr, 16) == port &&
            state == "01")
            ++open;
    }
    return open;
}

// The login deadline counts from the connection, over SSH as over telnet:
// the server closes a connection stalled in the key exchange and one whose
// client sits at a prompt. (The ssh client notices at the learner's next
// Enter: it reads nothing from the server while it asks.)
TEST(ServeSsh, LoginDeadlineClosesTheConnectionWhereverItStands) {
    ClassroomServer server({.limits = {.loginTimeout = std::chrono::seconds(2)},
                            .classPassword = std::string(kPassword),
                            .ssh = true});
    RawSocket stalled(server.SshPort());
    ASSERT_TRUE(stalled.Connected());
    stalled.Send("SSH-2.0-Stalled_1.0\r\n");
    SshClient slow(server.SshPort(), "ana");
    ASSERT_TRUE(slow.WaitText("Class password: ")) << slow.Received();
    EXPECT_TRUE(stalled.WaitClosed());
    EXPECT_TRUE(slow.WaitFor([&] { return OpenConnections(server.SshPort()) == 0; }))
        << OpenConnections(server.SshPort());
    slow.Type(kPassword);
    slow.Enter();
    EXPECT_TRUE(slow.WaitExit()) << slow.Received();
    EXPECT_EQ(slow.Received().find("New PIN"), std::string::npos) << slow.Received();
}

// A learner whose SSH connection drops finds the router kept, resumed at
// the next login with the PIN.
TEST(ServeSsh, DroppedLearnerResumesTheKeptRouter) {
    ClassroomServer server({.ssh = true});
    LogLines log(server.Room());
    {
        SshClient ana(server.SshPort(), "ana");
        ASSERT_NO_FATAL_FAILURE(LogInNew(ana, std::nullopt));
        ana.Enter();
        ASSERT_TRUE(ana.WaitRow(21, "Router>")) << ana.Screen().Text();
        ana.Type("enable");
        ana.Enter();
        ASSERT_TRUE(ana.WaitRow(21, "Router#")) << ana.Screen().Text();
    }  // ssh is killed: the connection drops
    SshClient again(server.SshPort(), "ana");
    ASSERT_TRUE(again.WaitFor([&] {
        return log.Text().find("ana dropped (127.0.0.1); the router is kept") != std::string::npos;
    })) << log.Text();
    ASSERT_TRUE(again.WaitText("PIN: ")) << again.Received();
    again.Type(kPin);
    again.Enter();
    EXPECT_TRUE(again.WaitRow(21, "Router#")) << again.Screen().Text();
    EXPECT_NE(again.Screen().Text().find("resumed as you left it"), std::string::npos)
        << again.Screen().Text();
}

mode_t ModeOf(const fs::path& file) {
    struct stat status {};
    return stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(ServeSshHostKey, MadeOnceWithMode0600AndReused) {
    TempFolder dir;
    Classroom room(dir.Path(), std::nullopt);
    const fs::path key = dir.Path() / kHostKeyFile;
    std::string first;
    for (int start = 1; start <= 2; ++start) {
        Server server(room, {});
        std::string error;
        ASSERT_GT(server.BindSsh("127.0.0.1", 0, dir.Path(), error), 0) << error;
        EXPECT_EQ(ModeOf(key), 0600u) << start;
        const std::string text = ReadFile(key);
        EXPECT_NE(text.find("PRIVATE KEY"), std::string::npos) << text;
        if (start == 1) first = text;
        EXPECT_EQ(text, first) << "start " << start;
    }
    EXPECT_FALSE(fs::exists(key.string() + ".new"));
}

// A key file that is not a key: the server does not start, and the file is
// left for the instructor to look at.
TEST(ServeSshHostKey, UnreadableKeyIsAnErrorAtStart) {
    TempFolder dir;
    dir.Write(std::string(kHostKeyFile), "not a key\n");
    Classroom room(dir.Path(), std::nullopt);
    Server server(room, {});
    std::string error;
    EXPECT_EQ(server.BindSsh("127.0.0.1", 0, dir.Path(), error), -1);
    EXPECT_NE(error.find(kHostKeyFile), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dir.Path() / kHostKeyFile), "not a key\n");
}

// What the program printed and how it ended, started with the arguments
// (after --dir) and stopped with SIGTERM once it printed the scoreboard's
// address, or ended by itself.
struct ProgramRun {
    std::string out;
    std::string err;
    int status = -1;
};

ProgramRun RunServe(const fs::path& dir, const std::vector<std::string>& more) {
    ProgramRun run;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> args = {PELLIX_SERVE_EXE, "--dir", dir.string(), "--port", "0",
                                     "--web-port",     "0"};
    args.insert(args.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, PELLIX_SERVE_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned == 0) {
        FILE* lines = fdopen(out[0], "r");
        char line[512];
        while (run.out.find("scoreboard:") == std::string::npos && fgets(line, sizeof line, lines))
            run.out += line;
        kill(pid, SIGTERM);
        waitpid(pid, &run.status, 0);
        fclose(lines);
        char buffer[4096];
        for (ssize_t got; (got = read(err[0], buffer, sizeof buffer)) > 0;)
            run.err.append(buffer, static_cast<std::size_t>(got));
    } else {
        close(out[0]);
    }
    close(err[0]);
    return run;
}

// A loopback listener holding a port, as another server would; one that
// would share it (SO_REUSEPORT) with a server that asked the same.
class HeldPort {
  public:
    HeldPort() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~HeldPort() { close(fd_); }
    int Port() const { return port_; }

  private:
    int fd_ = -1;
    int port_ = -1;
};

TEST(ServeSshProgram, SshPortZeroStartsNoSshListener) {
    TempFolder dir;
    const ProgramRun run = RunServe(dir.Path(), {"--ssh-port", "0"});
    EXPECT_NE(run.out.find("scoreboard:"), std::string::npos) << run.out << run.err;
    EXPECT_NE(run.out.find("telnet 127.0.0.1"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("ssh"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(dir.Path() / kHostKeyFile));
}

TEST(ServeSshProgram, BusySshPortIsAnErrorAtStart) {
    TempFolder dir;
    HeldPort held;
    ASSERT_GT(held.Port(), 0);
    const std::string port = std::to_string(held.Port());
    const ProgramRun run = RunServe(dir.Path(), {"--ssh-port", port});
    ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    EXPECT_NE(run.err.find("cannot listen on 127.0.0.1 port " + port + ": Address already in use"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("scoreboard:"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace pellix::serve::testing
