# Deployment profile "loopback": the demo and the tests, every service on this machine. The fixed ports lie
# below the system's range of ports for outgoing connections (32768 and up), so that no client connection of
# another test can be holding one when maker-sim starts on it.

# Certificate authorities trusted for "https://" (a PEM file): the build's own test authority.
set(IXO_PROFILE_CA_BUNDLE "${IXO_TEST_CA_FOLDER}/ca.pem")

# The DNS-over-HTTPS resolver of the download engine: the simulated maker services on this machine. Account
# values are stored scrambled (base64 with three filler characters after the fourth).
set(IXO_PROFILE_HTTP_DNS_PRIMARY "https://127.0.0.1:18443")
set(IXO_PROFILE_HTTP_DNS_SECONDARY "https://127.0.0.1:18444")
set(IXO_PROFILE_HTTP_DNS_ACCOUNT_ID "aXhvk7QLWRlbW8=")
set(IXO_PROFILE_HTTP_DNS_KEY_ID "aXhvZp3LWtleS0wMQ==")
set(IXO_PROFILE_HTTP_DNS_SECRET "bG9vx9WcGJhY2stc2lnbmluZy1zZWNyZXQ=")
# The statistics service, also the base of the runtime configuration request, when the product configuration
# names no ServerHost of its own (maker-sim on loopback).
set(IXO_PROFILE_STATISTICS_BASE "http://127.0.0.1:18090/")
# The licence page shown when the product configuration's Url_License is missing or empty.
set(IXO_PROFILE_LICENSE_PAGE "http://127.0.0.1:18090/pages/license.html")

# The maker's platform API, primary and alternate origin, played by tools/maker-sim on these ports
# (`maker-sim --profile-ports` listens on every port of this file):
set(IXO_PROFILE_PLATFORM_API "https://127.0.0.1:18311")
set(IXO_PROFILE_PLATFORM_API_ALTERNATE "https://127.0.0.1:18312")

# The analytics collector (port 8106 of both origins) and the tracking-id service, played by tools/maker-sim.
set(IXO_PROFILE_ANALYTICS_COLLECTOR "https://127.0.0.1")
set(IXO_PROFILE_ANALYTICS_COLLECTOR_ALTERNATE "https://localhost")
set(IXO_PROFILE_TRACKING_ID "https://127.0.0.1:18314")
