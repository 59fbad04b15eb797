// maker-sim: the maker's remote services on loopback, for tests and the demo. Not part of the installer.
//
// Each service listens on its own port over HTTP and, when a certificate is given, on another over HTTPS:
//
//   api, api-alt         the platform API at its primary and alternate address (one platform: a token
//                        issued by either is accepted by both)
//   stats                the statistics service: install statistics post, runtime configuration document,
//                        the maker's web pages (/pages/...)
//   collector            the analytics collector
//   trk                  the tracking-id service
//   doh, doh-alt         the DNS-over-HTTPS resolver at its primary and secondary address
//   control              (HTTP only) the control endpoint, below
//
// Every request to a service is recorded before it is answered (RequestLog). Replies and faults are
// scripted per endpoint (ReplyScript); without a script each service answers as the real one would.
//
// Control endpoint (JSON replies; requests to it are not recorded):
//   GET  /control/ports                        the ports: {"api":{"http":p,"https":q},...}
//   POST /control/script                       body: a rule or an array of rules (reply_script.h)
//   POST /control/reset                        drops the rules and the recorded requests
//   GET  /control/requests?service=&method=&path=&after=
//                                              the recorded requests that match (request_log.h)
//   GET  /control/wait?count=&timeout_ms=&service=&method=&path=&after=
//                                              as above, once `count` match or the time is up
//   POST /control/offer                        body: the retention offer's "data", or null
//   POST /control/runtime                      body: the runtime configuration document
//   POST /control/page?path=/pages/<name>      body: a web page the statistics host serves there
//   POST /control/doh?name=<host>              body: a JSON array of IPv4 address texts
//   POST /control/doh-account                  body: {"uid":...,"ak":...,"secret":...}; signed requests only
//   POST /control/shutdown                     asks the program to end
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/maker-sim/request_log.h"
#include "tools/maker-sim/sim_exchange.h"

namespace makersim {

struct MakerSimOptions {
    std::string address = "127.0.0.1";
    // PEM files of the server certificate and its key; the HTTPS listeners start only when both are given.
    std::string certificate_path;
    std::string key_path;
    // Fixed ports by "<service>.<scheme>" ("api.https", "control.http"); the others take a free port.
    std::map<std::string, int> ports;
    // JSON-lines record of every request, appended; empty for none.
    std::string record_path;
};

class MakerSim {
public:
    static const std::vector<std::string>& Services();

    explicit MakerSim(MakerSimOptions options = {});
    ~MakerSim();
    MakerSim(const MakerSim&) = delete;
    MakerSim& operator=(const MakerSim&) = delete;

    // Binds every listener and starts serving. False, with a reason, when a port cannot be bound, the
    // certificate cannot be loaded or the record file cannot be opened; nothing is left running then.
    bool Start(std::string& error);
    // Stops every listener and waits for their threads. Called by the destructor.
    void Stop();

    // 0 when the listener does not exist.
    int Port(const std::string& service, const std::string& scheme) const;
    // "http://127.0.0.1:<port>" (no trailing slash); empty when the listener does not exist.
    std::string BaseUrl(const std::string& service, const std::string& scheme) const;
    std::string PortsJson() const;

    bool Script(const std::string& rules_json, std::string& error);
    // Drops the rules and the recorded requests.
    void Reset();
    std::vector<SimRequest> Requests(const RequestFilter& filter = {}) const;
    std::vector<SimRequest> WaitForRequests(const RequestFilter& filter, std::size_t count,
                                            std::chrono::milliseconds limit) const;

    bool SetOffer(const std::string& data_json);
    void SetRuntimeDocument(std::string xml);
    // A web page of the statistics host, at a path starting with "/pages/".
    void SetPage(const std::string& path, std::string html);
    void SetDohHost(const std::string& name, std::vector<std::string> addresses);
    void SetDohAccount(const std::string& account_id, const std::string& key_id, const std::string& secret);

    // Blocks until POST /control/shutdown arrives or the limit passes; true when it arrived.
    bool WaitForShutdownRequest(std::chrono::milliseconds limit);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace makersim
