#include "analytics/record_queue.h"

#include <gtest/gtest.h>

#include "analytics/batch_encoding.h"
#include "analytics/diagnostics.h"
#include "platform/file_system.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadText(const std::string& path) {
    return platform::ReadFile(path).value_or(std::string());
}

using analytics::CRecordQueue;
using analyticstest::CRecordingSender;
using test_support::TempFolder;

std::string Record(int n) {
    return "{\"n\":" + std::to_string(n) + "}";
}

std::vector<std::string> Records(int first, int last) {
    std::vector<std::string> records;
    for (int n = first; n <= last; ++n) records.push_back(Record(n));
    return records;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class RecordQueueTest : public ::testing::Test {
protected:
    RecordQueueTest() {
        analytics::SetDiagnosticSinkForTesting(
            [this](const std::string& line) { diagnostics_.push_back(line); });
    }
    ~RecordQueueTest() override { analytics::SetDiagnosticSinkForTesting(nullptr); }

    std::unique_ptr<CRecordQueue> MakeQueue(std::vector<std::string> urls = {"http://first/collect"}) {
        auto sender = std::make_unique<CRecordingSender>();
        sender_ = sender.get();
        return std::make_unique<CRecordQueue>(staging_path_, std::move(urls), std::move(sender));
    }

    void AddAll(CRecordQueue& queue, const std::vector<std::string>& records) {
        for (const std::string& record : records) queue.Add(record);
    }

    TempFolder folder_;
    std::string staging_path_ = folder_.Path() + "ixo_analytics";
    CRecordingSender* sender_ = nullptr;
    std::vector<std::string> diagnostics_;
};

TEST_F(RecordQueueTest, HundredAndFirstRecordPushesOutTheOldest) {
    auto queue = MakeQueue();
    AddAll(*queue, Records(1, 101));
    EXPECT_EQ(queue->Records(), Records(2, 101));
}

TEST_F(RecordQueueTest, FlushSendsTheOldestThirtyAndKeepsTheRest) {
    auto queue = MakeQueue();
    AddAll(*queue, Records(1, 45));
    ASSERT_TRUE(queue->Flush());
    ASSERT_EQ(sender_->Posts().size(), 1u);
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[0].body),
              analytics::BuildBatchText(Records(1, 30)));
    EXPECT_EQ(queue->Records(), Records(31, 45));

    ASSERT_TRUE(queue->Flush());
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[1].body),
              analytics::BuildBatchText(Records(31, 45)));
    EXPECT_TRUE(queue->Records().empty());
}

TEST_F(RecordQueueTest, FlushOfAnEmptyQueueSendsNothingAndSucceeds) {
    auto queue = MakeQueue();
    EXPECT_TRUE(queue->Flush());
    EXPECT_TRUE(sender_->Posts().empty());
}

TEST_F(RecordQueueTest, FailedBatchGoesBackInFrontOfRecordsAddedMeanwhile) {
    auto queue = MakeQueue();
    AddAll(*queue, Records(1, 40));
    sender_->SetDefaultStatus(500);
    sender_->SetDuringNextPost([&] { AddAll(*queue, Records(101, 105)); });
    EXPECT_FALSE(queue->Flush());
    EXPECT_EQ(queue->Records(), Join(Join(Records(1, 30), Records(31, 40)), Records(101, 105)));
    EXPECT_EQ(diagnostics_,
              std::vector<std::string>{"Analytics SDK send failed: answer 500 from http://first/collect"});
}

TEST_F(RecordQueueTest, FailedBatchWithNinetyQueuedMeanwhileKeepsOnlyItsTenNewest) {
    auto queue = MakeQueue();
    AddAll(*queue, Records(1, 30));
    sender_->SetDefaultStatus(503);
    sender_->SetDuringNextPost([&] { AddAll(*queue, Records(101, 190)); });
    EXPECT_FALSE(queue->Flush());
    EXPECT_EQ(queue->Records(), Join(Records(21, 30), Records(101, 190)));
}

TEST_F(RecordQueueTest, CollectorsAreTriedInOrderUntilOneAnswers200) {
    struct Case {
        const char* name;
        long first_status;
        long second_status;
        size_t posts;
        bool accepted;
    } cases[] = {
        {"first answers 500", 500, 200, 2, true},
        {"first accepts", 200, 200, 1, true},
        {"transfer error, then accepted", -1, 200, 2, true},
        {"neither accepts", 500, 404, 2, false},
    };
    for (const auto& c : cases) {
        auto queue = MakeQueue({"http://first/collect", "http://second/collect"});
        sender_->SetStatus("http://first/collect", c.first_status);
        sender_->SetStatus("http://second/collect", c.second_status);
        queue->Add(Record(1));
        EXPECT_EQ(queue->Flush(), c.accepted) << c.name;
        std::vector<CRecordingSender::Request> posts = sender_->Posts();
        ASSERT_EQ(posts.size(), c.posts) << c.name;
        EXPECT_EQ(posts[0].url, "http://first/collect") << c.name;
        if (c.posts == 2) {
            EXPECT_EQ(posts[1].url, "http://second/collect") << c.name;
            EXPECT_EQ(posts[1].body, posts[0].body) << c.name;
        }
        EXPECT_EQ(queue->Records().size(), c.accepted ? 0u : 1u) << c.name;
    }
    EXPECT_EQ(diagnostics_,
              std::vector<std::string>{"Analytics SDK send failed: answer 404 from http://second/collect"});
}

TEST_F(RecordQueueTest, StagingFileLoadsOnlyRecordLinesAheadOfNewerRecords) {
    platform::WriteFileAtomically(staging_path_,
                                  "{\"n\":1}\n\nnot a record\n{\"n\":2}\n {\"n\":3}\n{\"n\":4\n");
    auto queue = MakeQueue();
    AddAll(*queue, Records(10, 11));
    ASSERT_TRUE(queue->Flush());
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[0].body),
              analytics::BuildBatchText({Record(1), Record(2), Record(10), Record(11)}));
    EXPECT_EQ(ReadText(staging_path_), "");

    // Read once per queue: records staged later are left for the next run.
    platform::WriteFileAtomically(staging_path_, Record(5) + "\n");
    ASSERT_TRUE(queue->Flush());
    EXPECT_EQ(sender_->Posts().size(), 1u);
}

TEST_F(RecordQueueTest, StagedRecordsFillOnlyTheFreeRoomWithTheirNewest) {
    std::string staged;
    for (const std::string& record : Records(1, 20)) staged += record + "\n";
    platform::WriteFileAtomically(staging_path_, staged);
    auto queue = MakeQueue();
    AddAll(*queue, Records(101, 190));
    sender_->SetDefaultStatus(500);
    EXPECT_FALSE(queue->Flush());
    EXPECT_EQ(queue->Records(), Join(Records(11, 20), Records(101, 190)));
    EXPECT_EQ(ReadText(staging_path_), "");
}

TEST_F(RecordQueueTest, FullQueueReadsNothingButStillEmptiesTheStagingFile) {
    platform::WriteFileAtomically(staging_path_, Record(1) + "\n");
    auto queue = MakeQueue();
    AddAll(*queue, Records(101, 200));
    ASSERT_TRUE(queue->Flush());
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[0].body),
              analytics::BuildBatchText(Records(101, 130)));
    EXPECT_EQ(ReadText(staging_path_), "");
}

TEST_F(RecordQueueTest, PersistWritesEveryRecordForTheNextRun) {
    platform::WriteFileAtomically(staging_path_, Record(1) + "\n");
    {
        auto queue = MakeQueue();
        AddAll(*queue, Records(2, 3));
        queue->Persist();
        queue->Add(Record(4));  // too late: the queue has been written out
        EXPECT_FALSE(queue->Flush());
        EXPECT_TRUE(sender_->Posts().empty());
    }
    EXPECT_EQ(ReadText(staging_path_), Record(1) + "\n" + Record(2) + "\n" + Record(3) + "\n");

    auto next_run = MakeQueue();
    next_run->Add(Record(9));
    ASSERT_TRUE(next_run->Flush());
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[0].body),
              analytics::BuildBatchText({Record(1), Record(2), Record(3), Record(9)}));
}

TEST_F(RecordQueueTest, MissingStagingFileIsAnEmptyOne) {
    auto queue = MakeQueue();
    queue->Add(Record(1));
    ASSERT_TRUE(queue->Flush());
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[0].body),
              analytics::BuildBatchText({Record(1)}));
}

}  // namespace
