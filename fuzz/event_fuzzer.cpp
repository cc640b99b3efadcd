// Drives the router with arbitrary start files and event sequences (see
// EventInput.h for the input layout) and checks after every event what must
// always hold:
//   - the console has 21 lines and the input line begins with the prompt;
//   - the mode is one the router has;
//   - the label reads "OK" until the first prompt, then "Score: " with the
//     sum of the task table as it was at the last prompt;
//   - after every prompt and after "Finish", "user.dat" holds the task table;
//   - the working folder holds only "router1.cfg", "user.dat" and files whose
//     names pass the TFTP file-name rule (so no temporary file is left);
//   - nothing appears next to the working folder.
// A broken rule is reported on standard error and traps.
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "EventInput.h"
#include "Findings.h"
#include "console/KeyCodes.h"
#include "console/Sim.h"
#include "scoring/ScoreFile.h"
#include "scoring/TaskTable.h"
#include "state/Files.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace pellix;
using namespace pellix::fuzz;

namespace {

constexpr std::string_view kConfigName = "router1.cfg";
constexpr std::string_view kScoreName = "user.dat";
constexpr int kMaxEvents = 8192;

[[noreturn]] void Broken(const std::string& what) {
    Report("event_fuzzer", what);
}

// A parent folder of our own with the working folder inside it: anything
// written next to the working folder shows up in the parent.
struct Folders {
    fs::path parent;
    fs::path work;
    int watch = -1;  // inotify on both folders: names created, moved or deleted
};

// The folders live as long as the fuzzer and are removed however it ends:
// at exit, and by the scratch folder's watcher when libFuzzer ends the
// process at its time limit, on a finding or on a signal.
const Folders& TheFolders() {
    static const Folders* const folders = [] {
        static support::TempFolder scratch("pellix-event-fuzz", FolderBase());
        if (scratch.Path().empty()) Broken("cannot create the temporary folder");
        auto* f = new Folders{scratch.Parent(), scratch.Path()};
        f->watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        constexpr std::uint32_t kNames = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
        if (f->watch < 0 || ::inotify_add_watch(f->watch, f->work.c_str(), kNames) < 0 ||
            ::inotify_add_watch(f->watch, f->parent.c_str(), kNames) < 0)
            Broken("cannot watch the temporary folders");
        return f;
    }();
    return *folders;
}

void EmptyWorkFolder(const Folders& f) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(f.work))
        fs::remove_all(e.path(), ec);
    if (!fs::is_empty(f.work)) Broken("the working folder cannot be emptied");
}

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Done() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string_view Bytes(std::size_t n) {
        n = std::min(n, size_ - pos_);
        std::string_view out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Slot k's text is the k-th line of the bytes.
std::string BuiltConfig(std::string_view bytes) {
    support::ConfigFile file;
    for (int k = kFirstSavedSlot; k <= kLastSlot && !bytes.empty(); ++k) {
        std::size_t lf = bytes.find('\n');
        file.Set(k, std::string(bytes.substr(0, lf)));
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    }
    return file.Text();
}

// Entry k is the k-th byte as a signed 8-bit value, empty for a zero byte.
std::string BuiltScore(std::string_view bytes) {
    TaskTable tasks{};
    for (int k = 1; k <= kTaskCount; ++k) {
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (i < bytes.size() && bytes[i] != 0)
            tasks[static_cast<std::size_t>(k)] = static_cast<signed char>(bytes[i]);
    }
    return support::ScoreFileText(tasks);
}

// Places one start file; returns its kind.
FileKind PlaceFile(Reader& in, FileKind kind, const fs::path& file, bool config) {
    if (kind == FileKind::Directory) {
        fs::create_directory(file);
        return kind;
    }
    if (kind == FileKind::Absent) return kind;
    std::size_t n = in.Byte();
    n |= static_cast<std::size_t>(in.Byte()) << 8;
    std::string_view bytes = in.Bytes(n);
    std::string content(bytes);
    if (kind == FileKind::Built) content = config ? BuiltConfig(bytes) : BuiltScore(bytes);
    support::WriteFile(file, content);
    return kind;
}

bool AllowedTftpName(std::string_view name) {
    if (name.empty()) return false;
    for (unsigned char c : name) {
        bool ok = c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                  (c >= 'a' && c <= 'z') || c == '_' || c == '`';
        if (!ok) return false;
    }
    return true;
}

// The opcodes that press one key, and their keys.
constexpr struct {
    EventOp op;
    std::uint16_t code;
} kKeyOps[] = {
    {OpEnter, key::Enter}, {OpLineFeed, key::LineFeed},   {OpCtrlZ, key::CtrlZ},
    {OpHelp, key::Help},   {OpBackspace, key::Backspace},
};

const std::uint16_t* KeyOf(EventOp op) {
    for (const auto& k : kKeyOps)
        if (k.op == op) return &k.code;
    return nullptr;
}

std::string Caption(const TaskTable& tasks) {
    long sum = 0;
    for (const TaskEntry& e : tasks) sum += e ? *e : 0;
    return std::string("Score: ") + (sum < 0 ? "-" : " ") + std::to_string(sum < 0 ? -sum : sum);
}

class Run {
  public:
    Run(const Folders& folders, bool scoreWritable)
        : folders_(folders), sim_(folders.work), scoreWritable_(scoreWritable) {}

    void Start() {
        sim_.Start();
        label_ = "OK";
        Check("start-up");
    }

    bool Finished() const { return sim_.Finished(); }

    void Key(std::uint16_t code) {
        Mode modeBefore = sim_.CurrentMode();
        sim_.KeyPressed(code);
        // Enter, line feed and "?" always end with a prompt; Ctrl-Z does in
        // the configuration modes and the dialogs.
        bool prompted = code == key::Enter || code == key::LineFeed || code == key::Help ||
                        (code == key::CtrlZ && LeftByCtrlZ(modeBefore));
        if (prompted) {
            label_ = Caption(sim_.Tasks());
            CheckScoreFile("prompt after key " + std::to_string(code));
        }
        Check("key " + std::to_string(code));
    }

    void Type(std::string_view text) {
        for (unsigned char c : text) Key(c);
    }

    void Plan() {
        sim_.ShowNetworkPlan();
        if (!sim_.PlanShown()) Broken("the plan is not shown after Show Network Plan");
        Check("plan");
    }
    void ClosePlan() {
        sim_.CloseNetworkPlan();
        if (sim_.PlanShown()) Broken("the plan is shown after Close");
        Check("close-plan");
    }
    // A click on a line and the focus timer's tick reach no router: the
    // scripts keep them, and nothing may change.
    void Click(int) { Check("click"); }
    void Tick() { Check("tick"); }
    // History recall changes only the input line, and only in the command
    // modes.
    void Recall(bool older) {
        auto before = sim_.Lines();
        older ? sim_.RecallOlder() : sim_.RecallNewer();
        for (int k = 0; k < InputLine; ++k)
            if (sim_.Lines()[k] != before[k]) Broken("history recall changed a console line");
        if (!TakesCommands(sim_.CurrentMode()) && sim_.Lines()[InputLine] != before[InputLine])
            Broken("history recall changed a dialog's input line");
        Check(older ? "up" : "down");
    }
    void Finish() {
        sim_.Finish();
        if (!sim_.Finished()) Broken("not finished after Finish");
        CheckScoreFile("finish");
        Check("finish");
    }

  private:
    void Check(const std::string& event) {
        Snapshot snap = sim_.Snap();
        if (snap.lines.size() != 21) Broken(event + ": not 21 lines");
        if (!sim_.InputText().starts_with(snap.prompt))
            Broken(event + ": input line \"" + sim_.InputText() + "\" lacks prompt \"" +
                   snap.prompt + "\"");
        if (!IsDeclared(snap.mode))
            Broken(event + ": unknown mode " + std::to_string(Number(snap.mode)));
        if (snap.label != label_)
            Broken(event + ": label \"" + snap.label + "\", expected \"" + label_ + "\"");
        if (snap.strip.size() > Strip::kMaxPrinted) Broken(event + ": the strip grows without end");
        CheckFolders(event);
    }

    // The folders are listed again only when inotify reports that a name
    // came or went in one of them since the last listing.
    void CheckFolders(const std::string& event) {
        bool changed = false;
        char buffer[4096];
        while (::read(folders_.watch, buffer, sizeof buffer) > 0) changed = true;
        if (listed_ && !changed) return;
        listed_ = true;
        for (const fs::directory_entry& e : fs::directory_iterator(folders_.work)) {
            std::string name = e.path().filename().string();
            if (name == kConfigName || name == kScoreName) continue;
            if (!AllowedTftpName(name)) Broken(event + ": unexpected file \"" + name + "\"");
            if (!e.is_regular_file()) Broken(event + ": \"" + name + "\" is not a plain file");
        }
        for (const fs::directory_entry& e : fs::directory_iterator(folders_.parent))
            if (e.path() != folders_.work)
                Broken(event + ": written outside the folder: " + e.path().string());
    }

    // The table is saved at every prompt and at Finish: the file must give it
    // back (entry 0 is not saved).
    void CheckScoreFile(const std::string& event) {
        if (!scoreWritable_) return;
        FileRead read = ReadWholeFile(folders_.work / kScoreName);
        if (!read.data) Broken(event + ": user.dat is missing after a save");
        TaskTable saved = ReadScoreText(*read.data);
        for (int k = 1; k <= kTaskCount; ++k)
            if (saved[static_cast<std::size_t>(k)] != sim_.Tasks()[static_cast<std::size_t>(k)])
                Broken(event + ": user.dat record " + std::to_string(k) +
                       " differs from the task table");
    }

    const Folders& folders_;
    Sim sim_;
    bool scoreWritable_;
    std::string label_;
    bool listed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Folders& folders = TheFolders();
    EmptyWorkFolder(folders);

    Reader in(data, size);
    std::uint8_t files = in.Byte();
    auto configKind = static_cast<FileKind>(files & 3);
    auto scoreKind = static_cast<FileKind>((files >> 2) & 3);
    PlaceFile(in, configKind, folders.work / kConfigName, true);
    PlaceFile(in, scoreKind, folders.work / kScoreName, false);

    Run run(folders, scoreKind != FileKind::Directory);
    run.Start();
    for (int events = 0; events < kMaxEvents && !in.Done() && !run.Finished(); ++events) {
        const auto op = static_cast<EventOp>(in.Byte() % kOpCount);
        if (const std::uint16_t* code = KeyOf(op)) {
            run.Key(*code);
            continue;
        }
        switch (op) {
            case OpKey: {
                std::uint16_t code = in.Byte();
                code |= static_cast<std::uint16_t>(in.Byte() << 8);
                run.Key(code);
                break;
            }
            case OpPrintable:
                run.Key(static_cast<std::uint16_t>(32 + in.Byte() % 95));
                break;
            case OpPlan:
                run.Plan();
                break;
            case OpClosePlan:
                run.ClosePlan();
                break;
            case OpFinish:
                run.Finish();
                break;
            case OpClick:
                run.Click(static_cast<std::int8_t>(in.Byte()));
                break;
            case OpTick:
                run.Tick();
                break;
            case OpCommand:
                run.Type(kCommands[in.Byte() % kCommandCount]);
                run.Key(key::Enter);
                break;
            case OpType:
                run.Type(in.Bytes(in.Byte()));
                break;
            case OpCommandPart:
                run.Type(kCommands[in.Byte() % kCommandCount]);
                break;
            case OpTypeEnter:
                run.Type(in.Bytes(in.Byte()));
                run.Key(key::Enter);
                break;
            case OpUp:
                run.Recall(true);
                break;
            case OpDown:
                run.Recall(false);
                break;
            default:  // one key, above
                break;
        }
    }
    return 0;
}
