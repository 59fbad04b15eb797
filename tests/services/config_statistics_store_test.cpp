// Loading the product configuration with the statistics store connected: the values, the task records and the
// series post reach the store and the platform.
#include "app/config_statistics_store.h"

#include "app/ixo_mgr.h"
#include "formats/utf_conversion.h"
#include "platform/registry.h"
#include "services/statistics_store.h"
#include "tests/services/service_test.h"
#include "tests/support/temp_folder.h"

namespace {

class ConfigStatisticsStoreTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        StatisticsStore::Instance().ResetForTesting();
        platform::SetRegistryRootForTesting(folder_.Path() + "registry/");
        IxoMgr& manager = IxoMgr::Instance();
        manager.ResetForTesting();
        FolderPlaces places;
        places.fixed_drives = {Utf8ToUtf16(folder_.Path() + "disk/")};
        places.system_drive = places.fixed_drives[0];
        places.shared_data = Utf8ToUtf16(folder_.Path() + "shared/");
        places.executable_folder = Utf8ToUtf16(folder_.Path() + "exe/");
        places.temp_folder = Utf8ToUtf16(folder_.Path() + "temp/");
        places.free_bytes = [](const std::u16string&) { return uint64_t(1) << 40; };
        manager.SetFolderPlacesForTesting(places);
        manager.SetClipboardReaderForTesting([] { return std::optional<std::string>(); });
        manager.SetConfigStatistics(&ConfigStatisticsStore());
    }
    void TearDown() override {
        IxoMgr& manager = IxoMgr::Instance();
        manager.SetConfigStatistics(nullptr);
        manager.SetClipboardReaderForTesting(nullptr);
        manager.SetFolderPlacesForTesting(std::nullopt);
        manager.ResetForTesting();
        platform::SetRegistryRootForTesting("");
        StatisticsStore::Instance().ResetForTesting();
        ServiceTest::TearDown();
    }

    test_support::TempFolder folder_;
};

TEST_F(ConfigStatisticsStoreTest, LoadingTheProductConfigurationFillsTheStoreAndPostsTheSeries) {
    ASSERT_TRUE(IxoMgr::Instance().LoadLocalXmlDocument(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Product><ProductID>2001</ProductID>"
        "<ProductBrand>Kelvarosoft</ProductBrand><Channel>web</Channel><SceneCode>s1</SceneCode>"
        "<ServerHost>" +
        Url("stats") +
        "</ServerHost><Dependent><item><ProductID>3001</ProductID><Url_Down>http://d.test/3001</Url_Down>"
        "</item></Dependent></Product>"));

    StatisticsStore& store = StatisticsStore::Instance();
    EXPECT_EQ(store.GetStatisticsBase(), Url("stats") + "/");
    EXPECT_EQ(store.GetStatText("product_id"), "2001");
    EXPECT_EQ(store.GetStatText("channel"), "web");
    EXPECT_EQ(store.GetStatText("scene_code"), "s1");
    const std::string client_sign = store.GetStatText("client_sign");
    EXPECT_EQ(client_sign.size(), 39u) << client_sign;
    StatisticsSnapshot snapshot = store.Snapshot();
    ASSERT_EQ(snapshot.tasks.count(3001), 1u);
    EXPECT_EQ(snapshot.tasks[3001].selected, 1);

    std::vector<makersim::SimRequest> series = sim_->Requests("api", "/v1/product/series");
    ASSERT_EQ(series.size(), 1u);
    EXPECT_EQ(series[0].body, R"({"product_id":2001, "client_sign":")" + client_sign + "\"}");
    EXPECT_NE(LogText().find("[INFO] post info ok."), std::string::npos);
}

}  // namespace
