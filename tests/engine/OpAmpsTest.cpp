#include <gtest/gtest.h>

#include <string>

#include "engine/OpAmps.h"

using namespace riaa;

namespace {

TEST(OpAmpTable, HoldsThePartsPhonoDesignersUseWithTheirSources) {
    for (const char* name : {"NE5534A", "ne5532", "LM4562", "opa1612", "AD797", "OPA2134", "tl072", "OPA1656"}) {
        const OpAmpRow* row = FindOpAmp(name);
        ASSERT_NE(row, nullptr) << name;
        EXPECT_GT(row->enNvRtHz, 0) << name;
        EXPECT_GT(row->gbwHz, 0) << name;
        EXPECT_GT(row->swingVrms, 5) << name;
        EXPECT_LT(row->swingVrms, 15 / 1.41421356) << name;  // no sine swings past ±15 V
        EXPECT_FALSE(row->datasheet.empty()) << name;
    }
    EXPECT_EQ(FindOpAmp("NE5534"), nullptr);
}

TEST(OpAmpTable, TheUsersRowOfTheSameNameWins) {
    const OpAmpRow mine{"ne5534a", 3, 0.5, 0, 0, 10e6, 100, 9, ""};
    const std::vector<OpAmpRow> user{mine};
    EXPECT_EQ(*FindOpAmp("NE5534A", user), mine);
}

struct FileCase {
    const char* name;
    const char* text;
    std::size_t rows;
    std::vector<int> problemLines;
};
class OpAmpFiles : public testing::TestWithParam<FileCase> {};

TEST_P(OpAmpFiles, KeepTheGoodRowsAndSayWhereTheBadOnesAre) {
    const OpAmpFile file = ParseOpAmpFile(GetParam().text);
    EXPECT_EQ(file.rows.size(), GetParam().rows);
    std::vector<int> lines;
    for (const OpAmpFileProblem& p : file.problems) {
        lines.push_back(p.line);
        EXPECT_FALSE(p.message.empty());
    }
    EXPECT_EQ(lines, GetParam().problemLines);
}

INSTANTIATE_TEST_SUITE_P(
    OpAmps, OpAmpFiles,
    testing::Values(
        FileCase{"Good",
                 "[\n {\"name\": \"X1\", \"enNvRtHz\": 2, \"inPaRtHz\": 1, \"swingVrms\": 9, \"gbwHz\": 1e7, \"a0Db\": 110,"
                 " \"fceHz\": 10, \"datasheet\": \"X1 rev A\"}\n]",
                 1, {}},
        FileCase{"BadRowsSkipped",
                 "[\n {\"name\": \"ok\", \"enNvRtHz\": 2, \"inPaRtHz\": 1, \"swingVrms\": 9, \"gbwHz\": 1e7, \"a0Db\": 110},\n"
                 " {\"name\": \"neg\", \"enNvRtHz\": -2, \"inPaRtHz\": 1, \"swingVrms\": 9, \"gbwHz\": 1e7, \"a0Db\": 110},\n"
                 " {\"name\": \"{,[\", \"inPaRtHz\": 1, \"swingVrms\": 9, \"gbwHz\": 1e7, \"a0Db\": 110},\n"
                 " 42,\n"
                 " {\"name\": \"zero swing\", \"enNvRtHz\": 2, \"inPaRtHz\": 1, \"swingVrms\": 0, \"gbwHz\": 1e7, \"a0Db\": 110}\n]",
                 1, {3, 4, 5, 6}},
        FileCase{"NotJson", "[\n{\"name\": \"x\",\n", 0, {3}},
        FileCase{"NotAnArray", "{\"name\": \"x\"}", 0, {1}},
        FileCase{"Empty", "", 0, {1}},
        FileCase{"NumberBeyondADouble", "7e58888-", 0, {1}},
        FileCase{"EmptyArray", "[]", 0, {}}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

}  // namespace
