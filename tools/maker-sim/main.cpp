// maker-sim: the maker's services on loopback for the demo and for tests that run it as a program.
//
//   maker-sim [--address 127.0.0.1] [--cert server.pem --key server.key] [--port api.https=19443 ...]
//             [--record requests.jsonl] [--ports-file ports.json] [--script rules.json]
//             [--runtime-xml runtime.xml] [--offer '{"id":1,"type":1}'] [--doh host=1.2.3.4,5.6.7.8 ...]
//             [--doh-account uid,ak,secret] [--profile-ports]
//
// --profile-ports listens where this build's deployment profile sends the installer (--port options
// override single services), so that the installer itself talks to maker-sim.
//
// Prints the ports as one JSON line once every listener is up (and writes them to --ports-file, which
// appears whole), then serves until SIGINT, SIGTERM or POST /control/shutdown.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tools/maker-sim/maker_sim.h"
#include "tools/maker-sim/profile_ports.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "maker-sim: %s\n", problem.c_str());
    std::fprintf(
        stderr,
        "usage: maker-sim [--address A] [--cert F --key F] [--port service.scheme=N]... [--record F]\n"
        "                 [--ports-file F] [--script F] [--runtime-xml F] [--offer JSON]\n"
        "                 [--doh host=ip,ip]... [--doh-account uid,ak,secret] [--profile-ports]\n");
    return 2;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

}  // namespace

int main(int argc, char** argv) {
    makersim::MakerSimOptions options;
    std::string ports_file;
    std::string script_file;
    std::string runtime_file;
    std::string offer;
    std::vector<std::string> doh_account;
    std::vector<std::pair<std::string, std::vector<std::string>>> doh_hosts;

    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--profile-ports") {
            for (const auto& [service, port] : makersim::ProfilePorts()) options.ports.emplace(service, port);
            continue;
        }
        if (i + 1 >= argc) return Usage("option " + option + " needs a value");
        const std::string value = argv[++i];
        if (option == "--address") {
            options.address = value;
        } else if (option == "--cert") {
            options.certificate_path = value;
        } else if (option == "--key") {
            options.key_path = value;
        } else if (option == "--record") {
            options.record_path = value;
        } else if (option == "--ports-file") {
            ports_file = value;
        } else if (option == "--script") {
            script_file = value;
        } else if (option == "--runtime-xml") {
            runtime_file = value;
        } else if (option == "--offer") {
            offer = value;
        } else if (option == "--doh-account") {
            doh_account = SplitList(value);
            if (doh_account.size() != 3) return Usage("--doh-account takes uid,ak,secret");
        } else if (option == "--port" || option == "--doh") {
            std::size_t equals = value.find('=');
            if (equals == std::string::npos) return Usage(option + " takes name=value");
            if (option == "--port") {
                options.ports[value.substr(0, equals)] = std::atoi(value.c_str() + equals + 1);
            } else {
                doh_hosts.emplace_back(value.substr(0, equals), SplitList(value.substr(equals + 1)));
            }
        } else {
            return Usage("unknown option " + option);
        }
    }

    makersim::MakerSim sim(options);
    std::string error;
    if (!script_file.empty()) {
        std::optional<std::string> rules = platform::ReadFile(script_file);
        if (!rules) return Usage("cannot read " + script_file);
        if (!sim.Script(*rules, error)) return Usage(script_file + ": " + error);
    }
    if (!runtime_file.empty()) {
        std::optional<std::string> document = platform::ReadFile(runtime_file);
        if (!document) return Usage("cannot read " + runtime_file);
        sim.SetRuntimeDocument(*document);
    }
    if (!offer.empty() && !sim.SetOffer(offer)) return Usage("the offer is not JSON");
    for (auto& [name, addresses] : doh_hosts) sim.SetDohHost(name, std::move(addresses));
    if (!doh_account.empty()) sim.SetDohAccount(doh_account[0], doh_account[1], doh_account[2]);

    if (!sim.Start(error)) {
        std::fprintf(stderr, "maker-sim: %s\n", error.c_str());
        return 1;
    }
    const std::string ports = sim.PortsJson();
    if (!ports_file.empty() && !platform::WriteFileAtomically(ports_file, ports + "\n")) {
        std::fprintf(stderr, "maker-sim: cannot write %s\n", ports_file.c_str());
        return 1;
    }
    std::printf("%s\n", ports.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!g_stop && !sim.WaitForShutdownRequest(std::chrono::milliseconds(200))) {
    }
    sim.Stop();
    return 0;
}
