#include "tools/maker-sim/maker_sim.h"

// The only file that includes the HTTP server library (its header is costly to compile).
#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "tools/maker-sim/analytics_collector_service.h"
#include "tools/maker-sim/doh_service.h"
#include "tools/maker-sim/platform_api_service.h"
#include "tools/maker-sim/reply_script.h"
#include "tools/maker-sim/statistics_service.h"
#include "tools/maker-sim/tracking_id_service.h"
#include "tools/maker-sim/whole_request.h"

namespace makersim {

namespace {

using nlohmann::json;

constexpr std::size_t kWorkersPerListener = 4;
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kDefaultWaitLimit = std::chrono::milliseconds(10000);
constexpr auto kLongestWaitLimit = std::chrono::milliseconds(120000);

// Entries the server library adds to the headers of a request; they were not sent by the client.
bool IsPseudoHeader(const std::string& name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

SimRequest ToSimRequest(const std::string& service, const std::string& scheme,
                        const httplib::Request& request) {
    SimRequest sim;
    sim.service = service;
    sim.scheme = scheme;
    sim.method = request.method;
    const std::string& target = request.target;
    std::size_t question = target.find('?');
    sim.path = target.substr(0, question);
    if (question != std::string::npos) sim.query = target.substr(question + 1);
    for (const auto& [name, value] : request.headers) {
        if (!IsPseudoHeader(name)) sim.headers.emplace_back(name, value);
    }
    sim.body = request.body;
    for (const auto& [name, part] : request.files) {
        sim.files.push_back({part.name, part.filename, part.content_type, part.content});
    }
    return sim;
}

void SendReply(const SimReply& reply, httplib::Response& response) {
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);
    if (!reply.drop) {
        response.set_content(reply.body, reply.content_type);
        return;
    }
    // Announce more than will ever come, send the first bytes and give up: the connection closes mid-body.
    const std::string body = reply.body;
    const std::size_t sent = std::min(reply.drop_after, body.size());
    response.set_content_provider(body.size() + 16, reply.content_type,
                                  [body, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                      if (offset >= sent) return false;
                                      sink.write(body.data() + offset, sent - offset);
                                      return true;
                                  });
}

RequestFilter FilterFrom(const httplib::Request& request) {
    RequestFilter filter;
    filter.service = request.get_param_value("service");
    filter.method = request.get_param_value("method");
    filter.path = request.get_param_value("path");
    if (request.has_param("after")) filter.after_seq = std::stoull(request.get_param_value("after"));
    return filter;
}

}  // namespace

struct MakerSim::Impl {
    struct Listener {
        std::string service;
        std::string scheme;
        std::unique_ptr<httplib::Server> server;
        int port = 0;
        std::thread thread;
    };

    explicit Impl(MakerSimOptions chosen)
        : options(std::move(chosen)), log(std::make_unique<RequestLog>(options.record_path)) {}

    bool AddListener(const std::string& service, const std::string& scheme, std::string& error);
    void Serve(const Listener& listener, const httplib::Request& request, httplib::Response& response);
    SimReply Answer(const SimRequest& request);
    void RouteControl(httplib::Server& server);
    void StopAll();

    MakerSimOptions options;
    std::unique_ptr<RequestLog> log;
    ReplyScript script;
    PlatformApiService api;
    StatisticsService stats;
    AnalyticsCollectorService collector;
    TrackingIdService tracking_ids;
    DohService doh;
    std::vector<std::unique_ptr<Listener>> listeners;

    std::mutex shutdown_lock;
    std::condition_variable shutdown_asked;
    bool shutdown_requested = false;
};

const std::vector<std::string>& MakerSim::Services() {
    static const std::vector<std::string> services = {"api", "api-alt", "stats",  "collector",
                                                      "trk", "doh",     "doh-alt"};
    return services;
}

MakerSim::MakerSim(MakerSimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

MakerSim::~MakerSim() {
    Stop();
}

bool MakerSim::Impl::AddListener(const std::string& service, const std::string& scheme, std::string& error) {
    auto listener = std::make_unique<Listener>();
    listener->service = service;
    listener->scheme = scheme;
    if (scheme == "https") {
        listener->server =
            std::make_unique<httplib::SSLServer>(options.certificate_path.c_str(), options.key_path.c_str());
    } else {
        listener->server = std::make_unique<httplib::Server>();
    }
    if (!listener->server->is_valid()) {
        error = "cannot load the certificate " + options.certificate_path + " or its key " + options.key_path;
        return false;
    }
    httplib::Server& server = *listener->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkersPerListener); };
    if (service == "control") {
        RouteControl(server);
    } else {
        const Listener* self = listener.get();
        auto handler = [this, self](const httplib::Request& request, httplib::Response& response) {
            Serve(*self, request, response);
        };
        server.Get(".*", handler);
        server.Post(".*", [this, self](const httplib::Request& request, httplib::Response& response,
                                       const httplib::ContentReader& reader) {
            Serve(*self, ReadWholeRequest(request, reader), response);
        });
        server.Put(".*", handler);
        server.Patch(".*", handler);
        server.Delete(".*", handler);
        server.Options(".*", handler);
    }

    auto fixed = options.ports.find(service + "." + scheme);
    if (fixed != options.ports.end() && fixed->second != 0) {
        if (!server.bind_to_port(options.address, fixed->second)) {
            error =
                "cannot bind " + options.address + ":" + std::to_string(fixed->second) + " for " + service;
            return false;
        }
        listener->port = fixed->second;
    } else {
        listener->port = server.bind_to_any_port(options.address);
        if (listener->port <= 0) {
            error = "cannot bind a port on " + options.address + " for " + service;
            return false;
        }
    }
    listeners.push_back(std::move(listener));
    return true;
}

bool MakerSim::Start(std::string& error) {
    Impl& impl = *impl_;
    if (!impl.listeners.empty()) {
        error = "already started";
        return false;
    }
    if (!impl.log->IsFileOk()) {
        error = "cannot open the record file " + impl.options.record_path;
        return false;
    }
    const bool with_tls = !impl.options.certificate_path.empty() && !impl.options.key_path.empty();
    bool bound = impl.AddListener("control", "http", error);
    for (const std::string& service : Services()) {
        if (!bound) break;
        bound = impl.AddListener(service, "http", error) &&
                (!with_tls || impl.AddListener(service, "https", error));
    }
    if (!bound) {
        impl.StopAll();
        return false;
    }
    for (auto& listener : impl.listeners) {
        httplib::Server* server = listener->server.get();
        listener->thread = std::thread([server] { server->listen_after_bind(); });
    }
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    for (auto& listener : impl.listeners) {
        while (!listener->server->is_running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                error = "the listener of " + listener->service + " did not start";
                impl.StopAll();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

void MakerSim::Impl::StopAll() {
    for (auto& listener : listeners) listener->server->stop();
    for (auto& listener : listeners) {
        if (listener->thread.joinable()) listener->thread.join();
    }
    listeners.clear();
}

void MakerSim::Stop() {
    impl_->StopAll();
}

void MakerSim::Impl::Serve(const Listener& listener, const httplib::Request& request,
                           httplib::Response& response) {
    SimRequest sim = ToSimRequest(listener.service, listener.scheme, request);
    if (listener.service == "collector") AnalyticsCollectorService::Decode(sim);
    log->Append(sim);

    std::optional<ScriptRule> rule = script.Take(sim);
    SimReply reply = rule && rule->replaces_reply ? rule->reply : Answer(sim);
    if (rule) {
        reply.delay_ms = rule->reply.delay_ms;
        reply.drop = rule->reply.drop;
        reply.drop_after = rule->reply.drop_after;
    }
    if (reply.delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delay_ms));
    SendReply(reply, response);
}

SimReply MakerSim::Impl::Answer(const SimRequest& request) {
    const std::string& service = request.service;
    if (service == "api" || service == "api-alt") return api.Handle(request);
    if (service == "stats") return stats.Handle(request);
    if (service == "collector") return collector.Handle(request);
    if (service == "trk") return tracking_ids.Handle(request);
    return doh.Handle(request);
}

void MakerSim::Impl::RouteControl(httplib::Server& server) {
    auto reply_json = [](httplib::Response& response, const std::string& body, int status = 200) {
        response.status = status;
        response.set_content(body, "application/json");
    };
    auto refuse = [reply_json](httplib::Response& response, const std::string& why) {
        reply_json(response, json({{"error", why}}).dump(), 400);
    };

    server.Get("/control/ports", [this, reply_json](const httplib::Request&, httplib::Response& response) {
        json ports = json::object();
        for (const auto& listener : listeners) ports[listener->service][listener->scheme] = listener->port;
        reply_json(response, ports.dump());
    });
    server.Post("/control/script",
                [this, reply_json, refuse](const httplib::Request& request, httplib::Response& response) {
                    std::string error;
                    if (!script.Add(request.body, error)) return refuse(response, error);
                    reply_json(response, "{\"ok\":true}");
                });
    server.Post("/control/reset", [this, reply_json](const httplib::Request&, httplib::Response& response) {
        script.Clear();
        log->Clear();
        reply_json(response, "{\"ok\":true}");
    });
    server.Get("/control/requests",
               [this, reply_json, refuse](const httplib::Request& request, httplib::Response& response) {
                   try {
                       reply_json(response, RequestsToJson(log->Select(FilterFrom(request))));
                   } catch (const std::exception&) {
                       refuse(response, "bad query");
                   }
               });
    server.Get("/control/wait", [this, reply_json, refuse](const httplib::Request& request,
                                                           httplib::Response& response) {
        try {
            std::size_t count = request.has_param("count") ? std::stoul(request.get_param_value("count")) : 1;
            auto limit = request.has_param("timeout_ms")
                             ? std::chrono::milliseconds(std::stoll(request.get_param_value("timeout_ms")))
                             : kDefaultWaitLimit;
            limit = std::min(limit, std::chrono::milliseconds(kLongestWaitLimit));
            reply_json(response, RequestsToJson(log->WaitFor(FilterFrom(request), count, limit)));
        } catch (const std::exception&) {
            refuse(response, "bad query");
        }
    });
    server.Post("/control/offer",
                [this, reply_json, refuse](const httplib::Request& request, httplib::Response& response) {
                    if (!api.SetOffer(request.body)) return refuse(response, "the offer is not JSON");
                    reply_json(response, "{\"ok\":true}");
                });
    server.Post("/control/runtime",
                [this, reply_json](const httplib::Request& request, httplib::Response& response) {
                    stats.SetRuntimeDocument(request.body);
                    reply_json(response, "{\"ok\":true}");
                });
    server.Post("/control/page",
                [this, reply_json, refuse](const httplib::Request& request, httplib::Response& response) {
                    const std::string path = request.get_param_value("path");
                    if (path.rfind("/pages/", 0) != 0) return refuse(response, "expected ?path=/pages/<name>");
                    stats.SetPage(path, request.body);
                    reply_json(response, "{\"ok\":true}");
                });
    server.Post("/control/doh",
                [this, reply_json, refuse](const httplib::Request& request, httplib::Response& response) {
                    json addresses = json::parse(request.body, nullptr, false);
                    if (!request.has_param("name") || !addresses.is_array()) {
                        return refuse(response, "expected ?name= and a JSON array of addresses");
                    }
                    std::vector<std::string> list;
                    for (const json& address : addresses) {
                        if (!address.is_string()) return refuse(response, "addresses must be texts");
                        list.push_back(address.get<std::string>());
                    }
                    doh.SetHost(request.get_param_value("name"), std::move(list));
                    reply_json(response, "{\"ok\":true}");
                });
    server.Post("/control/doh-account", [this, reply_json, refuse](const httplib::Request& request,
                                                                   httplib::Response& response) {
        json account = json::parse(request.body, nullptr, false);
        if (!account.is_object() || !account.value("uid", json()).is_string() ||
            !account.value("ak", json()).is_string() || !account.value("secret", json()).is_string()) {
            return refuse(response, "expected {\"uid\":...,\"ak\":...,\"secret\":...}");
        }
        doh.SetAccount(account["uid"], account["ak"], account["secret"]);
        reply_json(response, "{\"ok\":true}");
    });
    server.Post("/control/shutdown",
                [this, reply_json](const httplib::Request&, httplib::Response& response) {
                    {
                        std::lock_guard<std::mutex> hold(shutdown_lock);
                        shutdown_requested = true;
                    }
                    shutdown_asked.notify_all();
                    reply_json(response, "{\"ok\":true}");
                });
}

int MakerSim::Port(const std::string& service, const std::string& scheme) const {
    for (const auto& listener : impl_->listeners) {
        if (listener->service == service && listener->scheme == scheme) return listener->port;
    }
    return 0;
}

std::string MakerSim::BaseUrl(const std::string& service, const std::string& scheme) const {
    int port = Port(service, scheme);
    if (port == 0) return {};
    return scheme + "://" + impl_->options.address + ":" + std::to_string(port);
}

std::string MakerSim::PortsJson() const {
    json ports = json::object();
    for (const auto& listener : impl_->listeners) ports[listener->service][listener->scheme] = listener->port;
    return ports.dump();
}

bool MakerSim::Script(const std::string& rules_json, std::string& error) {
    return impl_->script.Add(rules_json, error);
}

void MakerSim::Reset() {
    impl_->script.Clear();
    impl_->log->Clear();
}

std::vector<SimRequest> MakerSim::Requests(const RequestFilter& filter) const {
    return impl_->log->Select(filter);
}

std::vector<SimRequest> MakerSim::WaitForRequests(const RequestFilter& filter, std::size_t count,
                                                  std::chrono::milliseconds limit) const {
    return impl_->log->WaitFor(filter, count, limit);
}

bool MakerSim::SetOffer(const std::string& data_json) {
    return impl_->api.SetOffer(data_json);
}

void MakerSim::SetRuntimeDocument(std::string xml) {
    impl_->stats.SetRuntimeDocument(std::move(xml));
}

void MakerSim::SetPage(const std::string& path, std::string html) {
    impl_->stats.SetPage(path, std::move(html));
}

void MakerSim::SetDohAccount(const std::string& account_id, const std::string& key_id,
                             const std::string& secret) {
    impl_->doh.SetAccount(account_id, key_id, secret);
}

void MakerSim::SetDohHost(const std::string& name, std::vector<std::string> addresses) {
    impl_->doh.SetHost(name, std::move(addresses));
}

bool MakerSim::WaitForShutdownRequest(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(impl_->shutdown_lock);
    return impl_->shutdown_asked.wait_for(hold, limit, [this] { return impl_->shutdown_requested; });
}

}  // namespace makersim
