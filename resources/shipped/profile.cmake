# Deployment profile "shipped": the real product and the maker's services.

# Certificate authorities trusted for "https://" (a PEM file); empty: the system's store.
set(IXO_PROFILE_CA_BUNDLE "")

# The maker's platform API (primary and alternate origin) and statistics service (ends in '/').
set(IXO_PROFILE_PLATFORM_API "https://api.kelvarosoft.com")
set(IXO_PROFILE_PLATFORM_API_ALTERNATE "https://api2.kelvarosoft.com")
set(IXO_PROFILE_STATISTICS "https://stat.kelvarosoft.com/")
