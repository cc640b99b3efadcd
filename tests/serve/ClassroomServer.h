// A classroom server for one test: its own folder, the telnet server on a
// free loopback port in a thread of its own, the SSH listener and the
// scoreboard when asked for.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "serve/Classroom.h"
#include "serve/Scoreboard.h"
#include "serve/Server.h"
#include "support/Files.h"
#include "support/Tasks.h"
#include "support/TempFolder.h"

namespace pellix::serve::testing {

namespace fs = std::filesystem;
using support::EntryOf;
using support::ReadFile;
using support::TempFolder;

struct ServerSetup {
    ServerLimits limits{};
    std::optional<std::string> classPassword;
    bool scoreboard = false;
    bool ssh = false;
    // The scoreboard's whole-request deadline.
    std::chrono::seconds requestDeadline = kRequestDeadline;
    // How long a dropped learner's router is kept (the program's default).
    std::chrono::seconds keepTime = std::chrono::minutes(10);
};

class ClassroomServer {
  public:
    explicit ClassroomServer(ServerSetup setup = {})
        : room_(folder_.Path(), setup.classPassword), server_(room_, setup.limits) {
        room_.SetKeepTime(setup.keepTime);
        std::string error;
        port_ = server_.Bind("127.0.0.1", 0, error);
        if (setup.ssh) sshPort_ = server_.BindSsh("127.0.0.1", 0, folder_.Path(), error);
        if (setup.scoreboard) {
            web_ = std::make_unique<WebServer>(room_, token_, setup.requestDeadline);
            webPort_ = web_->Bind("127.0.0.1", 0);
            web_->Start();
        }
        thread_ = std::thread([this] { server_.Run(); });
    }
    ~ClassroomServer() { Stop(); }

    // Stops as SIGTERM does and waits until every session is closed.
    void Stop() {
        if (!thread_.joinable()) return;
        server_.Stop();
        thread_.join();
        if (web_) web_->Stop();
    }

    int Port() const { return port_; }
    int WebPort() const { return webPort_; }
    int SshPort() const { return sshPort_; }
    const std::string& Token() const { return token_; }
    const TempFolder& Dir() const { return folder_; }
    Classroom& Room() { return room_; }

  private:
    TempFolder folder_;
    std::string token_ = "test-token-5e1f";
    Classroom room_;
    Server server_;
    std::unique_ptr<WebServer> web_;
    int port_ = -1;
    int webPort_ = -1;
    int sshPort_ = -1;
    std::thread thread_;
};

// The server's log lines, as the instructor's terminal shows them; kept for
// as long as the server may log, which can outlast this object.
class LogLines {
  public:
    explicit LogLines(Classroom& room) {
        room.CopyLog([lines = lines_](const std::string& line) {
            std::lock_guard lock(lines->mutex);
            lines->text += line + "\n";
        });
    }
    std::string Text() {
        std::lock_guard lock(lines_->mutex);
        return lines_->text;
    }

  private:
    struct Lines {
        std::mutex mutex;
        std::string text;
    };
    std::shared_ptr<Lines> lines_ = std::make_shared<Lines>();
};

// The processor time this process has used, the server's threads included.
inline std::chrono::duration<double> ProcessorTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return std::chrono::duration<double>(seconds(usage.ru_utime) + seconds(usage.ru_stime));
}

}  // namespace pellix::serve::testing
