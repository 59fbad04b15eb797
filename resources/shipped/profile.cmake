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
