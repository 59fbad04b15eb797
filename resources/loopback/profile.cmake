# Deployment profile "loopback": the demo and the tests, every service on this machine.

# Certificate authorities trusted for "https://" (a PEM file): the build's own test authority.
set(IXO_PROFILE_CA_BUNDLE "${IXO_TEST_CA_FOLDER}/ca.pem")

# The maker's services, played by tools/maker-sim on these ports (scripts start it with them):
#   maker-sim --port api.https=47311 --port api-alt.https=47312 --port stats.https=47313 ...
set(IXO_PROFILE_PLATFORM_API "https://127.0.0.1:47311")
set(IXO_PROFILE_PLATFORM_API_ALTERNATE "https://127.0.0.1:47312")
set(IXO_PROFILE_STATISTICS "https://127.0.0.1:47313/")
