# Deployment profile "loopback": the demo and the tests, every service on this machine.

# Certificate authorities trusted for "https://" (a PEM file): the build's own test authority.
set(IXO_PROFILE_CA_BUNDLE "${IXO_TEST_CA_FOLDER}/ca.pem")

# The analytics collector (port 8106 of both origins) and the tracking-id service, played by tools/maker-sim:
#   maker-sim --port collector.https=8106 --port trk.https=47314 ...
set(IXO_PROFILE_ANALYTICS_COLLECTOR "https://127.0.0.1")
set(IXO_PROFILE_ANALYTICS_COLLECTOR_ALTERNATE "https://localhost")
set(IXO_PROFILE_TRACKING_ID "https://127.0.0.1:47314")
