// What loading the product configuration tells the install statistics record. The record is the statistics
// store's; until the store is connected (IxoMgr::SetConfigStatistics) these calls are not made at all.
#pragma once

#include <cstdint>
#include <string>

class IConfigStatistics {
public:
    virtual ~IConfigStatistics() = default;

    // The base address of the statistics post (the configuration's ServerHost, ending in "/").
    virtual void SetStatisticsBase(const std::u16string& base) = 0;
    // An accepted dependent product and whether it is mandatory.
    virtual void SetTaskSelected(int32_t product_id, bool mandatory) = 0;
    virtual void SetStatText(const std::string& key, const std::u16string& value) = 0;
    // Posts the product series information; false when the post failed.
    virtual bool PostSeriesInfo(const std::string& product_id, const std::string& client_sign) = 0;
};
