#include "app/config_statistics_store.h"

#include "services/statistics_store.h"

namespace {

class StoreConnection : public IConfigStatistics {
public:
    void SetStatisticsBase(const std::u16string& base) override { Store().SetStatisticsBase(base); }
    void SetTaskSelected(int32_t product_id, bool mandatory) override {
        Store().SetTaskSelected(product_id, mandatory);
    }
    void SetStatText(const std::string& key, const std::u16string& value) override {
        Store().SetStatText(key, value);
    }
    bool PostSeriesInfo(const std::string& product_id, const std::string& client_sign) override {
        return Store().PostSeriesInfo(product_id, client_sign);
    }

private:
    static StatisticsStore& Store() { return StatisticsStore::Instance(); }
};

}  // namespace

IConfigStatistics& ConfigStatisticsStore() {
    static StoreConnection connection;
    return connection;
}
