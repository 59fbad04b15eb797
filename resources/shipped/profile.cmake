# Deployment profile "shipped": the real product and the maker's services.

# Certificate authorities trusted for "https://" (a PEM file); empty: the system's store.
set(IXO_PROFILE_CA_BUNDLE "")
