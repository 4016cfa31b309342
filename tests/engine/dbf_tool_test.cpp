// The qorvel-dbf command line, run as a user would.
#include "temp_dir.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status = 0;
    std::string out;
};

ToolRun tool(const std::string& args) {
    ToolRun r;
    const std::string command = std::string(QORVEL_DBF_TOOL) + " " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    std::array<char, 4096> buf;
    while (size_t n = fread(buf.data(), 1, buf.size(), p))
        r.out.append(buf.data(), n);
    r.status = WEXITSTATUS(pclose(p));
    return r;
}

std::vector<std::string> lines(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

class DbfTool : public ::testing::Test {
protected:
    void SetUp() override {
        file = dir.file("ADD0001.DBF");
        ASSERT_EQ(tool("gen-address " + file + " 400 --seed 11").status, 0);
    }
    TempDir dir;
    std::string file;
};

TEST_F(DbfTool, InfoListsFieldsAndTags) {
    const ToolRun r = tool("info " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("records     400"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LNAME      C  30 0"), std::string::npos);
    EXPECT_NE(r.out.find("MEMO       M  10 0"), std::string::npos);
    EXPECT_NE(r.out.find("tags        26"), std::string::npos);
    EXPECT_NE(r.out.find("STATEZIP   UPPER(STATE-ZIP)"), std::string::npos);
}

TEST_F(DbfTool, CountsOrdersSeeksAndChecks) {
    const int all = std::stoi(tool("count " + file + " --show-deleted").out);
    const int live = std::stoi(tool("count " + file).out);
    EXPECT_EQ(all, 400);
    EXPECT_LT(live, all);
    EXPECT_GT(live, 300);  // about one in ten is deleted
    EXPECT_EQ(std::stoi(tool("count " + file + " --where \"!ISDEL\" --show-deleted").out), live);
    const auto order = lines(tool("order " + file + " LNAME").out);
    EXPECT_EQ(order.size(), 400u);
    const ToolRun seek = tool("seek " + file + " LNAME " + "SMITH");
    EXPECT_EQ(seek.status, 0);
    EXPECT_NE(seek.out, "");
    EXPECT_EQ(tool("seek " + file + " LNAME ZZZZZZ").out, "not found\n");
    EXPECT_EQ(tool("check " + file).out, "ok\n");
    const auto csv = lines(tool("dump " + file + " --csv --where \"UPPER(STATE)='MA'\" --order ZIP").out);
    ASSERT_GT(csv.size(), 2u);
    EXPECT_EQ(csv[0].rfind("RECNO,DELETED,LNAME,FNAME", 0), 0u);
}

TEST_F(DbfTool, PackAndReindexKeepTheTableWhole) {
    const int live = std::stoi(tool("count " + file).out);
    EXPECT_EQ(tool("pack " + file).status, 0);
    EXPECT_EQ(std::stoi(tool("count " + file + " --show-deleted").out), live);
    EXPECT_EQ(tool("reindex " + file).status, 0);
    EXPECT_EQ(tool("check " + file).out, "ok\n");
}

TEST_F(DbfTool, ErrorsGoToStandardErrorWithStatusOne) {
    struct Case {
        std::string args;
        const char* message;
    } cases[] = {
        {"count " + dir.file("missing.dbf"), "not found"},
        {"order " + file + " NOSUCH", "there is no tag NOSUCH"},
        {"count " + file + " --where \"UPPER(NOPE)='X'\"", "Unknown field or function"},
        {"frobnicate " + file, "unknown command"},
        {"count " + file + " --bogus", "unknown option --bogus"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << ": " << r.out;
    }
}

TEST_F(DbfTool, CheckFindsAnIndexThatDisagrees) {
    // Change a last name behind the index's back.
    std::string b = TempDir::read(file);
    const size_t firstRecord = 32 + 23 * 32 + 1;
    b.replace(firstRecord + 1, 5, "ZZZZZ");
    TempDir::write(file, b);
    const ToolRun r = tool("check " + file);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("wrong key for record 1"), std::string::npos) << r.out;
}

}  // namespace
