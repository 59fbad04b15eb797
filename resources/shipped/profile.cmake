# Deployment profile "shipped": the real product and the maker's services.

# Certificate authorities trusted for "https://" (a PEM file); empty: the system's store.
set(IXO_PROFILE_CA_BUNDLE "")

# The analytics collector (port 8106 of both origins) and the tracking-id service.
set(IXO_PROFILE_ANALYTICS_COLLECTOR "https://ua.kelvarosoft.com")
set(IXO_PROFILE_ANALYTICS_COLLECTOR_ALTERNATE "https://ua2.kelvarosoft.com")
set(IXO_PROFILE_TRACKING_ID "https://trk.kelvarosoft.com")
