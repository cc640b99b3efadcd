// What the instructor reads and does on the scoreboard beyond the table: the
// learners' order, each learner's client and idle time, the actions on one
// learner behind the token and the page's own origin, the class as CSV.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <ctime>
#include <map>
#include <thread>

#include <nlohmann/json.hpp>

#include "ClassroomServer.h"
#include "TelnetClient.h"
#include "scoring/ScoreFile.h"

namespace pellix::serve::testing {
namespace {

using namespace std::chrono_literals;

constexpr auto kSafety = 30s;  // far above any machine's need

TEST(ScoreboardOrder, NamesInNaturalOrderRegardlessOfCase) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"learner2", "learner10", true},
        {"learner10", "learner2", false},
        {"Ana", "ben", true},
        {"ben", "Ana", false},
        {"x9y", "x10a", true},
        {"a", "a1", true},
        {"a007", "a7", true},  // the same value: the spelling decides, one way only
        {"a7", "a007", false},
        {"l1b2", "l1b10", true},
        {"ana", "ana", false},
    };
    for (const Case& c : cases) EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(ScoreboardOrder, ConnectedLearnersFirstEachPartInNaturalOrder) {
    std::vector<LearnerStatus> learners;
    for (const char* name : {"learner10", "Zed", "learner2", "ana", "learner1"})
        learners.push_back({.name = name});
    for (const char* name : {"learner11", "Bob", "learner3"})
        learners.push_back({.name = name, .connected = true});
    ScoreboardOrder(learners);
    std::vector<std::string> names;
    for (const LearnerStatus& learner : learners) names.push_back(learner.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Bob", "learner3", "learner11", "ana", "learner1",
                                               "learner2", "learner10", "Zed"}));
    // The JSON and the page list them so.
    const auto board = nlohmann::json::parse(ScoreboardJson(learners));
    EXPECT_EQ(board["learners"][0]["name"], "Bob");
    EXPECT_EQ(board["learners"][7]["name"], "Zed");
    const std::string html = ScoreboardHtml(learners, "t");
    EXPECT_LT(html.find(">learner3<"), html.find(">learner11<"));
    EXPECT_LT(html.find(">learner11<"), html.find(">ana<"));
}

// Two learners, one with a time: every task a column, done 1, not done 0.
TEST(ClassCsv, ListsTheClassForAGradebook) {
    LearnerStatus ben{.name = "ben"};
    ben.tasks[1] = 1;
    ben.tasks[50] = 1;
    ben.lastActivity = std::chrono::sys_days{std::chrono::year{2026} / 3 / 4} + 9h + 5min + 7s;
    const std::string csv = ClassCsv({ben, {.name = "ana", .connected = true}});
    std::string header = "name,score";
    for (int task = 1; task <= 50; ++task) header += ",task " + std::to_string(task);
    std::string anaLine = "ana,0", benLine = "ben,2";
    for (int task = 1; task <= 50; ++task) {
        anaLine += ",0";
        benLine += task == 1 || task == 50 ? ",1" : ",0";
    }
    EXPECT_EQ(csv, header + ",last activity\r\n" + anaLine + ",\r\n" + benLine +
                       ",2026-03-04T09:05:07Z\r\n");
}

// A learner who worked at an earlier session: tasks 1 and 2 done.
void SeedLearner(const TempFolder& dir, const std::string& name) {
    fs::create_directories(dir.Path() / name);
    TaskTable tasks{};
    tasks[1] = tasks[2] = 1;
    dir.Write(name + "/user.dat", support::ScoreFileText(tasks));
}

TEST(ClassCsv, ServedOnlyWithTheToken) {
    ClassroomServer server({.scoreboard = true});
    SeedLearner(server.Dir(), "learner10");
    SeedLearner(server.Dir(), "learner9");
    httplib::Client http("127.0.0.1", server.WebPort());
    auto refused = http.Get("/class.csv?token=wrong");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    auto csv = http.Get("/class.csv?token=" + server.Token());
    ASSERT_TRUE(csv);
    ASSERT_EQ(csv->status, 200);
    EXPECT_NE(csv->get_header_value("Content-Type").find("text/csv"), std::string::npos);
    const std::string& body = csv->body;
    EXPECT_TRUE(body.starts_with("name,score,task 1,")) << body;
    const auto nine = body.find("\r\nlearner9,2,1,1,0,");
    const auto ten = body.find("\r\nlearner10,2,1,1,0,");
    ASSERT_NE(nine, std::string::npos) << body;
    ASSERT_NE(ten, std::string::npos) << body;
    EXPECT_LT(nine, ten);
}

// A learner in a session, and the scoreboard's HTTP client.
class ScoreboardActions : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(EnterNameAndPin(ana_, "ana")) << ana_.Received();
        ASSERT_TRUE(ana_.WaitText("Vantric Sim", kSafety));
        ana_.Press("f2");  // task 50: saved only when the session ends
        ASSERT_TRUE(ana_.WaitText("q, Escape or F2 closes the network plan.", kSafety));
    }

    httplib::Result Post(const std::string& body, const std::string& origin = "") {
        httplib::Headers headers;
        if (!origin.empty()) headers.emplace("Origin", origin);
        return http_.Post("/action", headers, body, "application/x-www-form-urlencoded");
    }
    std::string Own() const { return "http://127.0.0.1:" + std::to_string(server_.WebPort()); }
    bool AnaConnected() {
        for (const LearnerStatus& learner : server_.Room().Statuses())
            if (learner.name == "ana") return learner.connected;
        return false;
    }

    ClassroomServer server_{{.scoreboard = true}};
    TelnetClient ana_{server_.Port()};
    httplib::Client http_{"127.0.0.1", server_.WebPort()};
};

TEST_F(ScoreboardActions, RefusedWithoutTheTokenOrFromAnotherSite) {
    const std::string right = "token=" + server_.Token() + "&learner=ana&do=end";
    struct Case {
        std::string body;
        std::string origin;
    };
    const Case cases[] = {
        {"learner=ana&do=end", ""},
        {"token=test-token-5e1&learner=ana&do=end", ""},
        {"token=" + server_.Token() + "x&learner=ana&do=end", Own()},
        {right, "http://evil.example"},
        {right, "http://evil.example:" + std::to_string(server_.WebPort())},
        {right, "http://127.0.0.1:1"},
        {right, "null"},
    };
    for (const Case& c : cases) {
        auto response = Post(c.body, c.origin);
        ASSERT_TRUE(response) << c.body;
        EXPECT_EQ(response->status, 403) << c.body << " from " << c.origin;
    }
    EXPECT_TRUE(AnaConnected());
    EXPECT_EQ(ana_.Received().find("ended this session"), std::string::npos);
}

TEST_F(ScoreboardActions, EndSavesTheScoreAndReturnsToTheScoreboard) {
    auto response = Post("token=" + server_.Token() + "&learner=ANA&do=end", Own());
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 303);
    EXPECT_EQ(response->get_header_value("Location"), "/?token=" + server_.Token());
    EXPECT_TRUE(
        ana_.WaitText("Your instructor has ended this session. Your score is saved.", kSafety));
    EXPECT_TRUE(ana_.WaitClosed(kSafety));
    EXPECT_EQ(ReadScoreText(server_.Dir().Read("ana/user.dat"))[50], 1);
    EXPECT_FALSE(AnaConnected());
    // Nothing left to end.
    auto again = Post("token=" + server_.Token() + "&learner=ana&do=end", Own());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 409);
    EXPECT_NE(again->body.find("ana has no session to end."), std::string::npos) << again->body;
    EXPECT_NE(again->body.find("<a href=\"/?token=" + server_.Token() + "\">"), std::string::npos);
}

// The files of a zip archive by name.
std::map<std::string, std::string> Unzipped(const std::string& data) {
    std::map<std::string, std::string> files;
    archive* zip = archive_read_new();
    archive_read_support_format_zip(zip);
    if (archive_read_open_memory(zip, data.data(), data.size()) == ARCHIVE_OK) {
        archive_entry* entry = nullptr;
        while (archive_read_next_header(zip, &entry) == ARCHIVE_OK) {
            std::string content(static_cast<std::size_t>(archive_entry_size(entry)), '\0');
            archive_read_data(zip, content.data(), content.size());
            files[archive_entry_pathname(entry)] = content;
        }
    }
    archive_read_free(zip);
    return files;
}

TEST_F(ScoreboardActions, ExportDownloadsTheLearnersFiles) {
    server_.Dir().Write("ana/.hidden", "not the learner's");
    auto response = Post("token=" + server_.Token() + "&learner=ana&do=export");
    ASSERT_TRUE(response);
    ASSERT_EQ(response->status, 200);
    EXPECT_EQ(response->get_header_value("Content-Type"), "application/zip");
    EXPECT_EQ(response->get_header_value("Content-Disposition"),
              "attachment; filename=\"ana.zip\"");
    const auto files = Unzipped(response->body);
    ASSERT_TRUE(files.contains("ana/router1.cfg"));
    EXPECT_EQ(files.at("ana/router1.cfg"), server_.Dir().Read("ana/router1.cfg"));
    EXPECT_FALSE(files.contains("ana/.hidden"));
    // The PIN's hash is the learner's secret: never handed out.
    EXPECT_TRUE(fs::exists(server_.Dir().Path() / "ana" / "learner.pin"));
    EXPECT_FALSE(files.contains("ana/learner.pin"));
    EXPECT_TRUE(AnaConnected());  // exporting ends nothing
    for (const std::string body : {"learner=bob&do=export", "learner=ana&do=dance"}) {
        auto refused = Post("token=" + server_.Token() + "&" + body, Own());
        ASSERT_TRUE(refused);
        EXPECT_NE(refused->status, 200) << body;
        EXPECT_NE(refused->status, 303) << body;
    }
}

TEST_F(ScoreboardActions, JsonTellsTheClientAndTheIdleTime) {
    auto json = http_.Get("/scoreboard.json?token=" + server_.Token());
    ASSERT_TRUE(json);
    const auto learner = nlohmann::json::parse(json->body)["learners"][0];
    EXPECT_EQ(learner["name"], "ana");
    EXPECT_EQ(learner["client"], "127.0.0.1");
    EXPECT_TRUE(learner["lastActivity"].is_number());
    EXPECT_TRUE(learner["idleSeconds"].is_number());
    const auto page = http_.Get("/?token=" + server_.Token());
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("<td class=\"client\">127.0.0.1</td>"), std::string::npos);
    EXPECT_NE(page->body.find("<span class=\"idle\">idle "), std::string::npos);
}

// Ana's row in the scoreboard's JSON, once it holds what `wanted` looks for.
nlohmann::json RowOnceItShows(httplib::Client& http, const ClassroomServer& server,
                              const std::function<bool(const nlohmann::json&)>& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + kSafety;
    nlohmann::json row;
    do {
        auto json = http.Get("/scoreboard.json?token=" + server.Token());
        const nlohmann::json board =
            json && json->status == 200 ? nlohmann::json::parse(json->body) : nlohmann::json();
        if (board.contains("learners"))
            for (const auto& learner : board["learners"])
                if (learner["name"] == "ana") row = learner;
        if (!row.is_null() && wanted(row)) return row;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return row;
}

// A learner whose connection dropped shows with the router kept for her, its
// tasks as they stand; the instructor's End ends the kept router, its score
// saved, and the next login starts from the files.
TEST_F(ScoreboardActions, KeptRouterShowsAndEndsWithItsScoreSaved) {
    const auto dropped = std::chrono::system_clock::now();
    ana_.Close();
    const nlohmann::json row = RowOnceItShows(
        http_, server_, [](const nlohmann::json& ana) { return !ana["keptUntil"].is_null(); });
    ASSERT_TRUE(row["keptUntil"].is_number()) << row;
    const auto until = std::chrono::system_clock::from_time_t(row["keptUntil"].get<std::time_t>());
    EXPECT_GE(until, dropped + 9min);
    EXPECT_LE(until, dropped + 11min);
    EXPECT_EQ(row["connected"], false);
    EXPECT_EQ(row["score"], 1) << "the kept router's task 50";
    const auto page = http_.Get("/?token=" + server_.Token());
    ASSERT_TRUE(page);
    const auto form = page->body.find("<input type=\"hidden\" name=\"learner\" value=\"ana\">");
    ASSERT_NE(form, std::string::npos) << page->body;
    EXPECT_NE(page->body.rfind("<td class=\"kept\">router kept until ", form), std::string::npos)
        << page->body;
    EXPECT_NE(page->body.find("<button name=\"do\" value=\"end\">", form), std::string::npos);
    EXPECT_EQ(ReadScoreText(server_.Dir().Read("ana/user.dat"))[50], std::nullopt);

    auto response = Post("token=" + server_.Token() + "&learner=Ana&do=end", Own());
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 303) << response->body;
    EXPECT_EQ(ReadScoreText(server_.Dir().Read("ana/user.dat"))[50], 1);
    EXPECT_TRUE(RowOnceItShows(http_, server_,
                               [](const nlohmann::json& ana) {
                                   return ana["keptUntil"].is_null();
                               })["keptUntil"]
                    .is_null());
    TelnetClient again(server_.Port());
    ASSERT_TRUE(EnterNameAndPin(again, "ana")) << again.Received();
    ASSERT_TRUE(again.WaitText("Vantric Sim", kSafety));
    EXPECT_EQ(again.Received().find("resumed as you left it"), std::string::npos);
}

}  // namespace
}  // namespace pellix::serve::testing
