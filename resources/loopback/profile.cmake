# Deployment profile "loopback": the demo and the tests, every service on this machine.

# Certificate authorities trusted for "https://" (a PEM file): the build's own test authority.
set(IXO_PROFILE_CA_BUNDLE "${IXO_TEST_CA_FOLDER}/ca.pem")
