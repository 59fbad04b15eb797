#include "services/statistics_record.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

TEST(StatisticsRecordTest, StateCodesFollowStatusCodeCloseTypeCrashAndResume) {
    struct Case {
        int status;
        int code;
        const char* close_type;
        bool crashed;
        const char* resume;
        const char* state;
    };
    const Case downloads[] = {
        {2, 7, "", false, "", "1007"},    {2, 7, "", false, "2", "1000"}, {0, 0, "13", false, "", "1013"},
        {0, 0, "2", false, "", "1017"},   {1, 0, "", true, "", "1016"},   {1, 0, "", false, "", "1015"},
        {3, 0, "", false, "", "1000"},    {9, 0, "", false, "", "1099"},  {0, 0, "13", false, "2", "1000"},
        {2, 123, "", false, "", "10123"},
    };
    for (const Case& c : downloads) {
        EXPECT_EQ(DownloadStateCode(c.status, c.code, c.close_type, c.crashed, c.resume), c.state)
            << c.status << "/" << c.code;
    }
    const std::pair<std::pair<int, int>, const char*> installs[] = {{{2, 5}, "2002"}, {{2, 1}, "2001"},
                                                                    {{2, 9}, "2003"}, {{3, 0}, "2000"},
                                                                    {{1, 0}, "2004"}, {{0, 0}, "2005"}};
    for (const auto& [input, state] : installs) EXPECT_EQ(InstallStateCode(input.first, input.second), state);
}

TEST(StatisticsRecordTest, RemarksAreJoinedOnlyWhileTheTextStaysWithinTheLimit) {
    EXPECT_EQ(JoinWithin({"ab", "cd", "ef"}, 5), "ab,cd");
    EXPECT_EQ(JoinWithin({"ab", "cd", "ef"}, 8), "ab,cd,ef");
    // The first entry that does not fit ends the list, even if a later one would.
    EXPECT_EQ(JoinWithin({"ab", "cdefgh", "i"}, 5), "ab");
    EXPECT_EQ(JoinWithin({std::string(2001, 'x')}, 2000), "");
    EXPECT_EQ(JoinWithin({}, 2000), "");
}

TEST(StatisticsRecordTest, WebEventTextsBecomeCompactEntries) {
    struct Case {
        std::string text;
        std::string entry;
    };
    const Case cases[] = {
        {R"({"key":"thanks","event":"click","time":"1700000000","data":"btn=ok"})",
         R"({"thanks":"click,1700000000,btn=ok"})"},
        {R"({"pag":"p","event":"","time":"","data":""})", R"({"p":",,"})"},
        {R"({"key":"thanks","evt":"click","time":"1","data":"x"})", ""},
        {R"({"key":"thanks","event":"click","data":"x"})", ""},
        // Keys out of their order would cut the text at the wrong places.
        {R"({"key":"p","data":"x","time":"1","event":"e"})", ""},
        {R"(,"event","time":"","data":"")", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(WebEventEntry(c.text), c.entry) << c.text;
}

class StatisticsRecordBuildTest : public ::testing::Test {
protected:
    StatisticsRecordBuildTest() {
        snapshot_.values = {{"client_sign", "{S}"}, {"closetype", "2"},         {"downcode", "7"},
                            {"downstatus", "2"},    {"installcode", "5"},       {"installstatus", "2"},
                            {"product_id", "2001"}, {"startupproduct", "2001"}, {"serverxmlmd5", "aa,bb"}};
        snapshot_.remarks = {R"({"retry":1})", R"({"install_err_2001":"5"})"};
        snapshot_.web_remarks = {R"({"thanks":"click,1,x"})"};
        snapshot_.tasks[3001] = {1, 100, 200, 0, 300, 400, 0, "cc", "2.1.0.7"};
        snapshot_.tasks[9876] = {0, 0, 0, 12, 0, 0, 1603, ""};
        snapshot_.cdn_addresses = {"10.0.0.2", "10.0.0.1"};
        snapshot_.cdn_urls = {"https://cdn/a.exe"};
        snapshot_.start_time = 1000;
        snapshot_.crash = {true, 0xC0000005, 0x401A2B, 4660, "/opt/ixo/setup", ".text"};
        snapshot_.tracking_id = "trk1";
        facts_ = {"4.5.7.2", "setup_2001_x.exe", "6.1.0", true, "-", -120, 0x0407, 1920, 1080};
    }

    StatisticsSnapshot snapshot_;
    RunFacts facts_;
};

TEST_F(StatisticsRecordBuildTest, MembersComeInTheirFixedOrder) {
    std::vector<StatisticsRecord> records = BuildStatisticsRecords(snapshot_, false, facts_, 2000);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].product_id, "2001");
    EXPECT_EQ(
        records[0].json,
        R"({"product_id":"2001","ixover":"204","ixoversion":"4.5.7.2","ixonamepid":"2001",)"
        R"("client_sign":"{S}","closetype":"2","downcode":"7","downstatus":"2","installcode":"5",)"
        R"("installstatus":"2","serverxmlmd5":"aa,bb","startupproduct":"2001",)"
        R"("winver":"6.1.0","winbits":"64","auto_install":"0","iever":"-","ixostart":"1000","ixoend":"2000",)"
        R"("downstate":"1007","installstate":"2002","cdniplist":"10.0.0.1,10.0.0.2",)"
        R"("cdnurllist":"https://cdn/a.exe","bindtasks":"3001,1;9876,0","binddownfail":"3001,0;9876,12",)"
        R"("bindinstallfail":"3001,0;9876,1603","binddowntime":"3001:100,200;9876:0,0",)"
        R"("bindinstalltime":"3001:300,400;9876:0,0","crash":"1","crashcode":"3221225477",)"
        R"("crashattr":"0x00401A2B","crashoffset":"4660","crashfilename":"/opt/ixo/setup",)"
        R"("crashsection":".text","timezone":"2","syslcid":"1031","srceensize":"1920*1080",)"
        R"("ixoclose":"2000","remark1":"{\"retry\":1},{\"install_err_2001\":\"5\"}",)"
        R"("remark2":"{\"thanks\":\"click,1,x\"}","remark3":"","ixotrackid":"trk1","is_first_install":1})");
}

TEST_F(StatisticsRecordBuildTest, PrivacyHidesTheMachineAndEarlierMembersWin) {
    snapshot_.values["auto_install"] = "9";
    snapshot_.values["winver"] = "from the map";
    snapshot_.first_install = false;
    snapshot_.cdn_addresses.clear();
    snapshot_.cdn_urls.clear();
    snapshot_.tasks.clear();
    const std::string text = BuildStatisticsRecords(snapshot_, true, facts_, 2000).at(0).json;
    nlohmann::ordered_json record = nlohmann::ordered_json::parse(text);
    EXPECT_EQ(record["client_sign"], "");
    EXPECT_EQ(record["winver"], "from the map");
    EXPECT_EQ(record["winbits"], "0");
    EXPECT_EQ(record["auto_install"], "9");
    EXPECT_EQ(record["timezone"], "0");
    EXPECT_EQ(record["syslcid"], "0");
    EXPECT_EQ(record["cdniplist"], "-");
    EXPECT_EQ(record["cdnurllist"], "-");
    EXPECT_EQ(record["bindtasks"], "");
    EXPECT_EQ(record["binddownfail"], "-");
    EXPECT_EQ(record["bindinstallfail"], "-");
    EXPECT_EQ(record["is_first_install"], 0);
    // The later members of the same names were dropped, not printed a second time.
    for (const char* key : {"\"auto_install\"", "\"winver\"", "\"client_sign\""}) {
        const std::size_t first = text.find(key);
        ASSERT_NE(first, std::string::npos) << key;
        EXPECT_EQ(text.find(key, first + 1), std::string::npos) << key;
    }
}

TEST_F(StatisticsRecordBuildTest, TimeZoneIsTheBiasInWholeHoursRoundedAwayFromZero) {
    const std::pair<int, const char*> cases[] = {{-120, "2"}, {330, "-6"}, {-330, "6"}, {-345, "6"},
                                                 {0, "0"},    {60, "-1"},  {-30, "1"},  {29, "0"}};
    for (const auto& [bias, zone] : cases) {
        facts_.timezone_bias_minutes = bias;
        nlohmann::json record =
            nlohmann::json::parse(BuildStatisticsRecords(snapshot_, false, facts_, 0)[0].json);
        EXPECT_EQ(record["timezone"], zone) << bias;
    }
}

TEST_F(StatisticsRecordBuildTest, PerTaskModeSendsOneRecordPerTask) {
    snapshot_.per_task = true;
    snapshot_.values["prodcutver"] = "9.0";
    std::vector<StatisticsRecord> records = BuildStatisticsRecords(snapshot_, false, facts_, 2000);
    ASSERT_EQ(records.size(), 2u);
    const char* ids[] = {"3001", "9876"};
    const char* md5s[] = {"cc", ""};
    // A task whose package version is known reports it; the other keeps the run's value.
    const char* versions[] = {"2.1.0.7", "9.0"};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(records[i].product_id, ids[i]);
        nlohmann::ordered_json record = nlohmann::ordered_json::parse(records[i].json);
        EXPECT_EQ(record.begin().key(), "product_id");
        EXPECT_EQ(record["product_id"], ids[i]);
        EXPECT_EQ(record["startupproduct"], ids[i]);
        EXPECT_EQ(record["serverxmlmd5"], md5s[i]);
        EXPECT_EQ(record["prodcutver"], versions[i]);
        // The figures of the run are not the task's: the states are those of status 0.
        EXPECT_EQ(record["downstate"], "1017");
        EXPECT_EQ(record["installstate"], "2005");
        EXPECT_EQ(record["bindtasks"], "");
        EXPECT_EQ(record["binddowntime"], "");
        EXPECT_EQ(record["binddownfail"], "-");
    }
}

}  // namespace
