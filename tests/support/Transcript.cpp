#include "support/Transcript.h"

#include <cctype>
#include <sstream>

#include "support/Files.h"

namespace pellix::transcript {

namespace {

constexpr int kRecords = 50;

// Reads "|TEXT|" (the whole rest of the directive) into text.
bool Barred(std::string_view rest, std::string& text) {
    if (rest.size() < 2 || rest.front() != '|' || rest.back() != '|') return false;
    text = std::string(rest.substr(1, rest.size() - 2));
    return true;
}

// Splits off the first blank-separated word of rest.
std::string_view Word(std::string_view& rest) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    std::size_t end = rest.find(' ');
    std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return word;
}

bool Number(std::string_view word, int& value) {
    if (word.empty() || word.size() > 6) return false;
    int sign = 1;
    if (word.front() == '-') {
        sign = -1;
        word.remove_prefix(1);
        if (word.empty()) return false;
    }
    value = 0;
    for (char c : word) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    value *= sign;
    return true;
}

class Parser {
  public:
    std::optional<Transcript> Run(const std::string& text, std::string& error) {
        std::istringstream in(text);
        std::string raw;
        while (std::getline(in, raw)) {
            ++lineNo_;
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            if (!Line(raw)) {
                error = "line " + std::to_string(lineNo_) + ": " + problem_ + ": " + raw;
                return std::nullopt;
            }
        }
        for (const ScreenExpectation& screen : result_.screens) {
            if (!screen.label) {
                error = "line " + std::to_string(screen.sourceLine) + ": screen without #label";
                return std::nullopt;
            }
        }
        return std::move(result_);
    }

  private:
    bool Fail(std::string problem) {
        problem_ = std::move(problem);
        return false;
    }

    bool Line(std::string_view line) {
        std::size_t first = line.find_first_not_of(' ');
        if (first == std::string_view::npos) return true;
        line.remove_prefix(first);
        if (line.front() != '#') return Event(line);
        line.remove_prefix(1);
        if (line.empty() || line.front() == ' ' || line.front() == '#') return true;  // comment
        if (line.front() == '|') return ScreenLine(line);
        std::string_view rest = line;
        std::string_view keyword = Word(rest);
        if (keyword == "config" || keyword == "file" || keyword == "score")
            return Fixture(keyword, rest);
        if (keyword == "after") return After(rest);
        return Expectation(keyword, rest);
    }

    bool Event(std::string_view line) {
        if (finished_) return true;  // pellix-replay reads nothing after "finish"
        if (line == "finish") finished_ = true;
        if (line == "screen") {
            ScreenExpectation screen;
            screen.sourceLine = lineNo_;
            result_.screens.push_back(std::move(screen));
            current_ = &result_.screens.back();
        } else {
            current_ = nullptr;
        }
        return true;
    }

    bool ScreenLine(std::string_view line) {
        if (!current_) return Fail("console line outside a screen's expectations");
        std::string text;
        if (!Barred(line, text)) return Fail("a console line is written |TEXT|");
        if (current_->lines.size() == 21) return Fail("more than 21 console lines");
        current_->lines.push_back(std::move(text));
        return true;
    }

    bool Expectation(std::string_view keyword, std::string_view rest) {
        if (!current_) return Fail("expectation outside a screen's expectations");
        std::string text;
        int k = 0;
        int v = 0;
        if (keyword == "pic" && Barred(rest, text)) {
            current_->pic.push_back(text);
        } else if (keyword == "label" && Barred(rest, text)) {
            current_->label = text;
        } else if (keyword == "prompt" && Barred(rest, text)) {
            current_->prompt = text;
        } else if (keyword == "hint" && Barred(rest, text)) {
            current_->hint = text;
        } else if (keyword == "history" && Barred(rest, text)) {
            current_->history.push_back(text);
        } else if (keyword == "mode" && Number(rest, v)) {
            current_->mode = v;
        } else if (keyword == "plan" && (rest == "true" || rest == "false")) {
            current_->plan = rest == "true";
        } else if (keyword == "slot" && Number(Word(rest), k) && k >= 0 && k <= 100 &&
                   Barred(rest, text)) {
            current_->slots[k] = text;
        } else if (keyword == "task" && Number(Word(rest), k) && k >= 0 && k <= kRecords) {
            if (rest == "empty") {
                current_->tasks[k] = std::nullopt;
            } else if (Number(rest, v)) {
                current_->tasks[k] = v;
            } else {
                return Fail("#task K N|empty");
            }
        } else {
            return Fail("unknown or malformed directive");
        }
        return true;
    }

    bool Fixture(std::string_view keyword, std::string_view rest) {
        std::string text;
        int k = 0;
        if (keyword == "config") {
            std::string name(Word(rest));
            std::string_view what = Word(rest);
            auto& slots = configs_[name];
            if (slots.empty()) slots[slot::Hostname] = "Router";
            if (what == "reset" && rest.empty()) {
                // as after "reset config"
            } else if (what == "slot" && Number(Word(rest), k) && k >= 1 && k <= 100 &&
                       Barred(rest, text)) {
                slots[k] = text;
            } else {
                return Fail("#config NAME reset | #config NAME slot K |TEXT|");
            }
            support::ConfigFile file;
            for (const auto& [slot, text] : slots) file.Set(slot, text);
            result_.files[name] = file.Text();
            return true;
        }
        if (keyword == "file") {
            std::string name(Word(rest));
            if (name.empty()) return Fail("#file needs a name");
            std::string& content = result_.files[name];
            if (rest == "empty") return true;
            std::string end = "\r\n";
            if (rest.starts_with("lf ")) {
                end = "\n";
                rest.remove_prefix(3);
            } else if (rest.starts_with("noend ")) {
                end.clear();
                rest.remove_prefix(6);
            }
            if (!Barred(rest, text))
                return Fail("#file NAME [lf|noend] |TEXT| or #file NAME empty");
            content += text + end;
            return true;
        }
        // score
        std::string_view what = Word(rest);
        if (what == "zero" && rest.empty()) {
            for (int r = 1; r <= kRecords; ++r) score_[r] = "0";
        } else if (Number(what, k) && k >= 1 && k <= kRecords && Barred(rest, text)) {
            score_[k] = text;
        } else if (Number(what, k) && k >= 1 && k <= kRecords && rest == "missing") {
            score_.erase(k);
        } else {
            return Fail("#score zero | #score K |FIELD| | #score K missing");
        }
        result_.files["user.dat"] = support::ScoreFileText(score_);
        return true;
    }

    bool After(std::string_view rest) {
        FileExpectation expect;
        expect.sourceLine = lineNo_;
        std::string_view what = Word(rest);
        std::string text;
        int k = 0;
        int v = 0;
        if (what == "config") {
            std::string name(Word(rest));
            FileExpectation* config = nullptr;
            for (FileExpectation& e : result_.after)
                if (e.kind == FileExpectation::Config && e.name == name) config = &e;
            if (!config) {
                expect.kind = FileExpectation::Config;
                expect.name = name;
                result_.after.push_back(expect);
                config = &result_.after.back();
            }
            if (rest.empty()) return true;
            if (Word(rest) == "slot" && Number(Word(rest), k) && k >= 1 && k <= 100 &&
                Barred(rest, text)) {
                config->slots[k] = text;
                return true;
            }
            return Fail("#after config NAME [slot K |TEXT|]");
        }
        if (what == "score") {
            FileExpectation* score = nullptr;
            for (FileExpectation& e : result_.after)
                if (e.kind == FileExpectation::Score) score = &e;
            if (!score) {
                expect.kind = FileExpectation::Score;
                expect.name = "user.dat";
                result_.after.push_back(expect);
                score = &result_.after.back();
            }
            std::string_view which = Word(rest);
            if (which == "all" && Number(rest, v)) {
                score->allFields = v;
            } else if (Number(which, k) && k >= 1 && k <= kRecords && Number(rest, v)) {
                score->fields[k] = v;
            } else {
                return Fail("#after score all N | #after score K N");
            }
            return true;
        }
        if (what == "absent") {
            expect.kind = FileExpectation::Absent;
            expect.name = std::string(Word(rest));
            if (expect.name.empty() || !rest.empty()) return Fail("#after absent NAME");
            result_.after.push_back(expect);
            return true;
        }
        if (what == "line") {
            expect.kind = FileExpectation::Line;
            expect.name = std::string(Word(rest));
            if (!Number(Word(rest), expect.line) || expect.line < 1 || !Barred(rest, expect.text))
                return Fail("#after line NAME K |TEXT|");
            result_.after.push_back(expect);
            return true;
        }
        return Fail("unknown #after check");
    }

    Transcript result_;
    ScreenExpectation* current_ = nullptr;
    std::map<std::string, std::map<int, std::string>> configs_;
    std::map<int, std::string> score_;
    int lineNo_ = 0;
    bool finished_ = false;
    std::string problem_;
};

}  // namespace

std::optional<Transcript> Parse(const std::string& text, std::string& error) {
    return Parser().Run(text, error);
}

std::string TestNameOf(const std::filesystem::path& file) {
    std::string name;
    bool upper = true;
    for (char c : file.stem().string()) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            upper = true;
            continue;
        }
        name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = false;
    }
    return name;
}

}  // namespace pellix::transcript
