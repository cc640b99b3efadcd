// Drives two classroom sessions with arbitrary client bytes (telnet commands
// and options, terminal keys, names, passwords) and checks what must always
// hold:
//   - neither session fails, whatever arrives, and what it sends stays
//     bounded for what it received;
//   - after the sessions end (their scores saved), every learner folder holds
//     a "user.dat" and a "router1.cfg" that the router reads back whole;
//   - the server's folder holds nothing but learner folders named by valid
//     learner names;
//   - nothing appears next to the server's folder.
// Input: a header byte (bit 0: the class password is asked; bit 1: the
// second session logs in with the first one's name; the names' PINs are
// there from the start, hashed cheaply, so that logging in is quick), then steps of a
// control byte and its bytes: bit 7 picks the session, bits 0 to 5 the
// length (1 to 64); a control byte of 0x40 and up with bit 6 set lets time
// pass instead (an escape's wait, a notice, the router's timer).
// A broken rule is reported on standard error and traps.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "Findings.h"
#include "scoring/ScoreFile.h"
#include "serve/Classroom.h"
#include "serve/LearnerName.h"
#include "serve/LearnerPin.h"
#include "serve/Session.h"
#include "state/ConfigFile.h"
#include "state/DataFolder.h"
#include "state/Files.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace pellix;
using namespace pellix::serve;

namespace {

// The most a session may send for one step: a few full redraws.
constexpr std::size_t kMaxOutputPerStep = 64 * 1024;
constexpr int kMaxSteps = 4096;

[[noreturn]] void Broken(const std::string& what) {
    fuzz::Report("serve_fuzzer", what);
}

struct Folders {
    fs::path parent;
    fs::path classroom;
};

constexpr char kPin[] = "2468";

// The server's folder inside a parent of its own, both removed however the
// fuzzer ends; the learners fz-a and fz-b have their PIN.
const Folders& TheFolders() {
    static const Folders* const folders = [] {
        static support::TempFolder scratch("pellix-serve-fuzz", fuzz::FolderBase());
        if (scratch.Path().empty()) Broken("cannot create the temporary folder");
        const std::optional<std::string> hash = HashPin(kPin, 1);
        for (const char* name : {"fz-a", "fz-b"}) {
            const fs::path folder = scratch.Path() / name;
            if (!hash || !PrepareLearnerFolder(folder).empty() || !WritePin(folder, *hash).empty())
                Broken("cannot prepare the learner folder " + folder.string());
        }
        return new Folders{scratch.Parent(), scratch.Path()};
    }();
    return *folders;
}

void CheckFolders(const Folders& folders) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folders.parent, ec))
        if (entry.path() != folders.classroom)
            Broken("something next to the server's folder: " + entry.path().string());
    for (const auto& entry : fs::directory_iterator(folders.classroom, ec)) {
        const std::string name = entry.path().filename().string();
        if (!ValidLearnerName(name) || !entry.is_directory() || entry.is_symlink())
            Broken("not a learner folder in the server's folder: " + name);
        const FileRead score = ReadWholeFile(entry.path() / "user.dat");
        if (score.data) {
            const TaskTable tasks = ReadScoreText(*score.data);
            FillerSource fillers;
            if (ReadScoreText(WriteScoreText(tasks, fillers)) != tasks)
                Broken("user.dat of " + name + " does not read back");
        } else if (score.error != FileError::NotFound) {
            Broken("user.dat of " + name + " cannot be read");
        }
        const FileRead config = ReadWholeFile(entry.path() / "router1.cfg");
        if (!config.data || !ReadConfigText(*config.data))
            Broken("router1.cfg of " + name + " is not whole");
        for (const auto& file : fs::directory_iterator(entry.path(), ec))
            if (IsTemporaryName(file.path().filename().string()))
                Broken("a temporary file is left in " + name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Folders& folders = TheFolders();
    const std::uint8_t header = data[0];
    std::optional<std::string> password;
    if (header & 1) password = "pw";
    Classroom room(folders.classroom, password);
    room.Quiet();
    auto now = Clock::time_point() + std::chrono::hours(1);
    std::shared_ptr<Session> sessions[2] = {
        std::make_shared<Session>(room, now, std::chrono::seconds(600)),
        std::make_shared<Session>(room, now, std::chrono::seconds(600)),
    };
    // Both log in (through the password when asked) unless the bytes say
    // otherwise, so that most inputs reach the router's console.
    const std::string login = std::string(password ? "pw\r\0" : "", password ? 4 : 0);
    const std::string pin = std::string(kPin) + "\r\n";
    sessions[0]->Receive(login + "fz-a\r\n" + pin, now);
    sessions[1]->Receive(login + ((header & 2) ? "fz-a\r\n" : "fz-b\r\n") + pin, now);
    for (auto& session : sessions) session->Output().clear();

    std::size_t at = 1;
    for (int step = 0; step < kMaxSteps && at < size; ++step) {
        const std::uint8_t control = data[at++];
        Session& session = *sessions[control >> 7];
        std::lock_guard lock(session.Mutex());
        if (control & 0x40) {
            now += std::chrono::milliseconds(60 * (1 + (control & 0x3f)));
            session.Tick(now);
        } else {
            const std::size_t length = std::min<std::size_t>(1 + (control & 0x3f), size - at);
            const std::size_t received = length;
            session.Receive(std::string_view(reinterpret_cast<const char*>(data + at), length),
                            now);
            at += length;
            if (session.Output().size() > kMaxOutputPerStep + 64 * received)
                Broken("a session sent " + std::to_string(session.Output().size()) + " bytes for " +
                       std::to_string(received));
        }
        session.Output().clear();
        for (auto& other : sessions) other->Output().clear();
    }
    for (auto& session : sessions) {
        std::lock_guard lock(session->Mutex());
        session->Shutdown();
    }
    sessions[0].reset();
    sessions[1].reset();
    CheckFolders(folders);
    return 0;
}
