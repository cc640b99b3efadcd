// "user.dat": its records as written, damaged files read record by record,
// and the score label.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "scoring/ScoreFile.h"
#include "scoring/TaskTable.h"

namespace pellix {
namespace {

std::vector<std::string> Split(const std::string& text, char at) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, at)) parts.push_back(part);
    if (!text.empty() && text.back() == at) parts.emplace_back();
    return parts;
}

bool IsNumberIn(const std::string& s, int lo, int hi) {
    if (s.empty() || s.size() > 2) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    int v = std::stoi(s);
    return v >= lo && v <= hi && std::to_string(v) == s;
}

TEST(ScoreFileFormat, FiftyRecordsWithFillersInRange) {
    TaskTable tasks{};
    for (int k = 1; k <= 50; ++k) tasks[static_cast<std::size_t>(k)] = k % 2;
    tasks[3] = std::nullopt;  // an empty entry is written as nothing
    tasks[0] = 1;             // entry 0 is never written
    FillerSource fillers;
    for (int round = 0; round < 20; ++round) {
        std::string text = WriteScoreText(tasks, fillers);
        ASSERT_TRUE(text.ends_with("\r\n"));
        std::vector<std::string> records = Split(text.substr(0, text.size() - 2), '\n');
        ASSERT_EQ(50u, records.size());
        for (int k = 1; k <= 50; ++k) {
            std::string record = records[static_cast<std::size_t>(k - 1)];
            if (k < 50) {
                ASSERT_TRUE(record.ends_with("\r")) << record;
                record.pop_back();
            }
            std::vector<std::string> fields = Split(record, ',');
            ASSERT_EQ(4u, fields.size()) << record;
            EXPECT_EQ(std::to_string(k), fields[0]);
            EXPECT_EQ(k == 3 ? "" : std::to_string(k % 2), fields[1]) << record;
            EXPECT_TRUE(IsNumberIn(fields[2], 0, 99)) << record;
            EXPECT_TRUE(IsNumberIn(fields[3], 0, 1)) << record;
        }
        EXPECT_NE(std::string::npos, text.find("\r\n3,,"));
    }
}

std::string Records(const std::vector<std::string>& fields2) {
    std::string text;
    for (std::size_t i = 0; i < fields2.size(); ++i)
        text += std::to_string(i + 1) + "," + fields2[i] + ",5,1\r\n";
    return text;
}

TEST(ScoreFileFormat, DamagedFilesKeepEveryReadableRecord) {
    constexpr int kEmpty = -99999;  // an empty entry
    struct Case {
        std::string name;
        std::string text;
        std::vector<int> entries;  // entries 1, 2, ... (the rest empty)
    };
    std::vector<std::string> ones(50, "1");
    std::string lf = Records(ones);
    for (std::size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at))
        lf.erase(at, 1);
    const Case cases[] = {
        {"whole", Records(ones), std::vector<int>(50, 1)},
        {"LF line ends", lf, std::vector<int>(50, 1)},
        {"empty file", "", {}},
        {"not numbers",
         Records({"x", "1a", "", " ", "1.5", "1"}),
         {kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, 1}},
        {"out of range",
         Records({"40000", "-40000", "32767", "-32768", "7"}),
         {kEmpty, kEmpty, 32767, -32768, 7}},
        {"missing records", Records({"1", "0", "1"}), {1, 0, 1}},
        {"no second field", "1\r\n2,1,0,0\r\n", {kEmpty, 1}},
        {"binary", std::string("\0\xff,\x01\n2,1\n", 9), {kEmpty, 1}},
    };
    for (const Case& c : cases) {
        TaskTable tasks = ReadScoreText(c.text);
        EXPECT_FALSE(tasks[0].has_value()) << c.name;
        for (int k = 1; k <= 50; ++k) {
            int want = k <= static_cast<int>(c.entries.size())
                           ? c.entries[static_cast<std::size_t>(k - 1)]
                           : kEmpty;
            const TaskEntry& got = tasks[static_cast<std::size_t>(k)];
            EXPECT_EQ(want, got ? static_cast<int>(*got) : kEmpty) << c.name << ", entry " << k;
        }
    }
}

TEST(ScoreLabel, SignPositionAndSums) {
    struct Case {
        long score;
        const char* label;
    };
    const Case cases[] = {{0, "Score:  0"},
                          {7, "Score:  7"},
                          {50, "Score:  50"},
                          {-3, "Score: -3"},
                          {-32768, "Score: -32768"},
                          {32767, "Score:  32767"},
                          {1638350, "Score:  1638350"}};
    for (const Case& c : cases) EXPECT_EQ(c.label, ScoreCaption(c.score));

    TaskTable all{};
    for (auto& entry : all) entry = 32767;
    EXPECT_EQ(51L * 32767, SumTasks(all));
    for (auto& entry : all) entry = -32768;
    EXPECT_EQ(51L * -32768, SumTasks(all));
    TaskTable some{};
    some[1] = 1;
    some[2] = 5;
    some[50] = -2;
    EXPECT_EQ(4, SumTasks(some));
}

}  // namespace
}  // namespace pellix
