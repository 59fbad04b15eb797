# Deployment profile "shipped": the real product and the maker's services.

# Certificate authorities trusted for "https://" (a PEM file); empty: the system's store.
set(IXO_PROFILE_CA_BUNDLE "")

# The DNS-over-HTTPS resolver of the download engine and its account values (scrambled: base64 with three
# filler characters after the fourth). Supplied with the maker's deployment data; empty: no such fallback.
set(IXO_PROFILE_HTTP_DNS_PRIMARY "")
set(IXO_PROFILE_HTTP_DNS_SECONDARY "")
set(IXO_PROFILE_HTTP_DNS_ACCOUNT_ID "")
set(IXO_PROFILE_HTTP_DNS_KEY_ID "")
set(IXO_PROFILE_HTTP_DNS_SECRET "")
# The statistics service, also the base of the runtime configuration request, when the product configuration
# names no ServerHost of its own.
set(IXO_PROFILE_STATISTICS_BASE "https://stat.kelvarosoft.com/")
# The licence page shown when the product configuration's Url_License is missing or empty.
set(IXO_PROFILE_LICENSE_PAGE "https://www.kelvarosoft.com/legal/license.html")

# The maker's platform API, primary and alternate origin.
set(IXO_PROFILE_PLATFORM_API "https://api.kelvarosoft.com")
set(IXO_PROFILE_PLATFORM_API_ALTERNATE "https://api2.kelvarosoft.com")

# The analytics collector (port 8106 of both origins) and the tracking-id service.
set(IXO_PROFILE_ANALYTICS_COLLECTOR "https://ua.kelvarosoft.com")
set(IXO_PROFILE_ANALYTICS_COLLECTOR_ALTERNATE "https://ua2.kelvarosoft.com")
set(IXO_PROFILE_TRACKING_ID "https://trk.kelvarosoft.com")
