// The command queue and the facade: what each command reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "tests/downloader/engine_harness.h"
#include "tests/downloader/nginx_server.h"

namespace ixo_test {
namespace {

class ManagerTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        content_ = PatternBytes(6 * 1024 * 1024, 21);
        ASSERT_TRUE(WriteTestFile(site_.Path() + "slow.bin", content_));
        ASSERT_TRUE(WriteTestFile(site_.Path() + "quick.bin", "quick"));
        ASSERT_TRUE(nginx_.Start({{.root = site_.Path(), .limit_rate = "32k"}}));
        folder16_ = Utf8ToUtf16(folder_.Path());
    }

    void AddSlow(int32_t id) {
        std::u16string url = Utf8ToUtf16("http://localhost:" + std::to_string(nginx_.Port()) + "/slow.bin");
        ASSERT_EQ(manager_->AddTask(url.c_str(), folder16_.c_str(), u"", id, u"", u"", 0), id);
        ASSERT_TRUE(WaitUntil([&] { return callback_.LastProgress() > 0; }));
    }

    size_t IndexOf(const std::string& line) {
        std::vector<std::string> lines = callback_.Lines();
        return size_t(std::find(lines.begin(), lines.end(), line) - lines.begin());
    }

    TempFolder site_;
    NginxServer nginx_;
    std::string content_;
    std::u16string folder16_;
};

TEST_F(ManagerTest, RemoveTaskReportsUserCanceled) {
    AddSlow(7);
    ASSERT_TRUE(manager_->RemoveTask(7));
    EXPECT_EQ(callback_.WaitFinished(), 13);
    EXPECT_TRUE(WaitUntil([&] { return manager_->GetTaskCount() == 0; }));
}

TEST_F(ManagerTest, PauseTaskReportsNothingAndLeavesTheRangeTable) {
    AddSlow(7);
    ASSERT_TRUE(manager_->PauseTask(7));
    ASSERT_TRUE(manager_->ResumeTask(7));
    // Removal after the pause waits for the stopped download; with its events off it reports nothing.
    ASSERT_TRUE(manager_->RemoveTask(7));
    ASSERT_TRUE(WaitUntil([&] { return manager_->GetTaskCount() == 0; }));
    EXPECT_TRUE(callback_.Matching("OnError").empty());
    EXPECT_TRUE(callback_.Matching("OnComplete").empty());
    EXPECT_GT(platform::GetFileSize(folder_.Path() + "slow.bin.~P2S").value_or(0), int64_t(content_.size()));
}

TEST_F(ManagerTest, SecondAddWithTheSameIdCancelsTheFirstBeforeItStarts) {
    AddSlow(7);
    std::u16string quick = Utf8ToUtf16("http://localhost:" + std::to_string(nginx_.Port()) + "/quick.bin");
    ASSERT_EQ(manager_->AddTask(quick.c_str(), folder16_.c_str(), u"", 7, u"", u"", 0), 7);
    ASSERT_TRUE(WaitUntil([&] { return IndexOf("OnComplete") < callback_.Lines().size(); }));
    EXPECT_LT(IndexOf("OnError 13"), IndexOf("OnFileName quick.bin"));
    EXPECT_EQ(ReadTestFile(folder_.Path() + "quick.bin"), "quick");
}

TEST_F(ManagerTest, GetTaskInfoReportsSizesAndTexts) {
    AddSlow(7);
    ns_IXD::TaskInfo info;
    ASSERT_TRUE(WaitUntil([&] { return manager_->GetTaskInfo(7, &info) && info.total > 0; }));
    EXPECT_EQ(info.task_id, 7);
    EXPECT_EQ(info.total, int64_t(content_.size()));
    EXPECT_GT(info.downloaded, 0);
    EXPECT_EQ(info.file_name, u"slow.bin");
    EXPECT_EQ(info.folder, folder16_);
    EXPECT_FALSE(manager_->GetTaskInfo(8, &info));
    EXPECT_FALSE(manager_->GetTaskInfo(7, nullptr));
}

TEST_F(EngineTest, AddWithoutUrlOrIdIsRefused) {
    EXPECT_EQ(manager_->AddTask(nullptr, u"/tmp/", u"", 0, u"", u"", 0), -1);
    EXPECT_NE(ReadLog().find("[ERROR] add task failed, operator=[1], url=[0], pid=[0]."), std::string::npos);
}

TEST_F(EngineTest, StopAllRightAfterAddEndsCleanly) {
    EXPECT_EQ(manager_->AddTask(u"http://localhost:1/none.bin", u"/tmp/", u"", 3, u"", u"", 0), 3);
    EXPECT_TRUE(manager_->StopAll());
    manager_.reset();
}

}  // namespace
}  // namespace ixo_test
