// The program as an instructor starts it: the lessons page served from the
// scoreboard's port and named by F1 in the sessions; the learners' folders
// tidied at start.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "TelnetClient.h"
#include "lessons/Lessons.h"
#include "support/Files.h"
#include "support/TempFolder.h"

extern char** environ;

namespace pellix::serve::testing {
namespace {

namespace fs = std::filesystem;
using support::TempFolder;
using namespace std::chrono_literals;

// pellix-serve on free loopback ports for the folder, until the end of the
// test (then stopped with SIGTERM). Started once its two ports are printed.
class ServeProgram {
  public:
    // `environment`: NAME=VALUE settings beside the test's own.
    explicit ServeProgram(const fs::path& dir, std::vector<std::string> environment = {}) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> args = {PELLIX_SERVE_EXE, "--dir", dir.string(), "--port", "0",
                                         "--web-port",     "0",     "--ssh-port", "0"};
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& setting : environment) envp.push_back(setting.data());
        for (char** setting = environ; *setting; ++setting) envp.push_back(*setting);
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, PELLIX_SERVE_EXE, &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        lines_ = fdopen(out[0], "r");
        char line[512];
        while ((port_ < 0 || webPort_ < 0) && fgets(line, sizeof line, lines_)) {
            std::sscanf(line, "pellix-serve: learners connect with: telnet 127.0.0.1 %d", &port_);
            std::sscanf(line, "pellix-serve: scoreboard: http://127.0.0.1:%d/", &webPort_);
        }
    }
    ~ServeProgram() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        if (lines_) fclose(lines_);
    }
    int Port() const { return port_; }
    int WebPort() const { return webPort_; }

  private:
    pid_t pid_ = -1;
    FILE* lines_ = nullptr;
    int port_ = -1;
    int webPort_ = -1;
};

TEST(ServeLessons, ServedFromTheWebPortWithoutTokenAndNamedByF1) {
    TempFolder dir;
    ServeProgram program(dir.Path());
    ASSERT_GT(program.Port(), 0);
    ASSERT_GT(program.WebPort(), 0);

    httplib::Client http("127.0.0.1", program.WebPort());
    auto page = http.Get("/readme.htm");
    ASSERT_TRUE(page);
    ASSERT_EQ(page->status, 200);
    EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
    EXPECT_EQ(page->body, support::ReadFile(PELLIX_LESSONS_PAGE_FILE));

    TelnetClient ana(program.Port());
    ASSERT_TRUE(EnterNameAndPin(ana, "ana")) << ana.Received();
    ASSERT_TRUE(ana.WaitText("Vantric Sim", 30s));
    ana.Press("f1");
    const std::string url = "http://127.0.0.1:" + std::to_string(program.WebPort()) +
                            "/readme.htm#" + TaskAnchor(NextTask(TaskTable{}));
    EXPECT_TRUE(ana.WaitText(url, 30s)) << ana.Received();
    EXPECT_EQ(ana.Received().find(dir.Path().string()), std::string::npos);
}

// As systemd's LoadCredential= hands it over: the class password asked for.
TEST(ServeStart, ClassPasswordFromTheServicesCredential) {
    TempFolder dir, credentials;
    credentials.Write("class-password", "router-lab\n");
    ServeProgram program(dir.Path(), {"CREDENTIALS_DIRECTORY=" + credentials.Path().string()});
    ASSERT_GT(program.Port(), 0);
    TelnetClient ana(program.Port());
    ASSERT_TRUE(ana.WaitText("Class password: ", 30s));
    ana.Type("router-lab");
    ana.Enter();
    EXPECT_TRUE(ana.WaitText("Learner name: ", 30s));
}

// Saves cut short by a killed server leave temporary files in the learners'
// folders, also of learners who never come back: gone at the next start,
// unless fresh (a save under way elsewhere) or not the save's own.
TEST(ServeStart, RemovesStaleTemporaryFilesFromLearnersFolders) {
    TempFolder dir;
    struct Entry {
        const char* file;
        bool old;
        bool kept;
    };
    const Entry entries[] = {
        {"ana/.pellix-ab12cd34", true, false}, {"ben/.pellix-x9y8z7w6", true, false},
        {"ana/.pellix-fresh123", false, true}, {"ana/.pellix-toolongname", true, true},
        {"ana/user.dat", true, true},          {"ana/router1.cfg", true, true},
        {"ben/notes.txt", true, true},
    };
    for (const Entry& e : entries) {
        fs::create_directories((dir.Path() / e.file).parent_path());
        dir.Write(e.file, "x");
        if (e.old)
            fs::last_write_time(dir.Path() / e.file,
                                fs::file_time_type::clock::now() - std::chrono::minutes(5));
    }
    ServeProgram program(dir.Path());
    ASSERT_GT(program.WebPort(), 0);  // started: the folders are tidied
    for (const Entry& e : entries) EXPECT_EQ(e.kept, fs::exists(dir.Path() / e.file)) << e.file;
}

}  // namespace
}  // namespace pellix::serve::testing
