// RedeemServiceClient: the retention offer. Asks the platform whether an offer exists for the user who wants
// to leave before the installation is complete, and applies it with the user's e-mail address. Both calls go
// to the primary address only and block for their transfers. One instance for the run; the calls are not
// made concurrently.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RedeemServiceClient {
public:
    RedeemServiceClient();

    // Stores the identity values and asks for the offer. True when the platform returned one; the offer's
    // fields then hold it (a missing "tips" leaves title and content as they were). False, with the offer
    // unchanged, on a refusal (logged with its code) or when there is no offer.
    bool QueryOffer(int32_t product_id, const std::string& product_version, const std::string& client_serial,
                    const std::string& version);

    // Applies the last queried offer for `email`; the reply's code (0 success, -1 without a usable reply).
    int ApplyOffer(const std::string& email);

    int32_t GetOfferType() const { return offer_type_; }
    int64_t GetOfferId() const { return offer_id_; }
    const std::string& GetOfferTitle() const { return offer_title_; }
    const std::string& GetOfferContent() const { return offer_content_; }

    // Appends the identity headers, in the platform's order, and logs the language. An empty product
    // version becomes "4.0.5.0" for good.
    void BuildCommonHeaders(std::vector<std::string>& headers);

private:
    std::string FetchToken();

    std::string version_;
    std::string client_serial_;
    std::string app_key_;
    int32_t product_id_ = 0;
    std::string product_version_;
    std::string language_;
    int32_t offer_type_ = 0;
    int64_t offer_id_ = 0;
    std::string offer_title_;
    std::string offer_content_;
};
