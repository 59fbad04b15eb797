// The vote over a host's addresses and the DNS-over-HTTPS fallback, against nginx sites on several loopback
// addresses that stand for the mirrors of one host name.
#include "downloader/host_ip_manager.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <regex>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/name_resolver.h"
#include "system/sha256.h"
#include "tests/downloader/engine_harness.h"
#include "tests/downloader/nginx_server.h"

namespace ixo_test {
namespace {

using ns_IXD::HostIpManager;

// Names ending in ".test" resolve to the loopback addresses listed here.
class HostTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        HostIpManager::SetResolverForTesting([this](const std::string& name) {
            std::vector<uint32_t> answer;
            for (const std::string& text : hosts_[name]) answer.push_back(*platform::TextToIpv4(text));
            return answer;
        });
    }
    void TearDown() override {
        HostIpManager::SetResolverForTesting({});
        ns_IXD::SetHttpDnsBasesForTesting("", "");
        EngineTest::TearDown();
    }

    std::map<std::string, std::vector<std::string>> hosts_;
};

// Access-log lines of requests for the path (the server's own readiness checks ask for "/"). nginx logs a
// request just after answering it, so a line may come a moment after the client has its answer: this waits
// until at least `expected` lines are there.
std::vector<std::string> RequestsFor(const NginxServer& nginx, const std::string& path, size_t expected) {
    std::vector<std::string> lines;
    WaitUntil(
        [&] {
            lines.clear();
            for (const std::string& line : nginx.AccessLog()) {
                if (line.find(" " + path + " ") != std::string::npos) lines.push_back(line);
            }
            return lines.size() >= expected;
        },
        std::chrono::seconds(5));
    return lines;
}

struct VoteCase {
    const char* name;
    std::vector<int> lengths;  // of the file at 127.0.0.2, 127.0.0.3 ...
    int64_t size;              // agreed
    std::vector<std::string> kept;
    int probes;  // addresses asked
};

TEST_F(HostTest, VoteKeepsTheAddressesOfTheMajorityLength) {
    std::vector<std::string> twelve;
    for (int i = 2; i <= 11; ++i) twelve.push_back("127.0.0." + std::to_string(i));
    const VoteCase cases[] = {
        {"three", {100, 100, 90}, 100, {"127.0.0.2", "127.0.0.3"}, 3},
        {"tie", {100, 90}, 90, {"127.0.0.3"}, 2},
        {"twelve", std::vector<int>(12, 100), 100, twelve, 10},
    };
    for (const VoteCase& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<TempFolder> roots(test.lengths.size());
        std::vector<NginxSite> sites;
        std::string name = std::string("vote-") + test.name + ".test";
        for (size_t i = 0; i < test.lengths.size(); ++i) {
            std::string address = "127.0.0." + std::to_string(i + 2);
            ASSERT_TRUE(WriteTestFile(roots[i].Path() + "f.bin", std::string(size_t(test.lengths[i]), 'x')));
            sites.push_back({.address = address, .root = roots[i].Path()});
            hosts_[name].push_back(address);
        }
        NginxServer nginx;
        ASSERT_TRUE(nginx.Start(sites));
        std::string authority = name + ":" + std::to_string(nginx.Port());
        std::string url = "http://" + authority + "/f.bin";

        ASSERT_TRUE(HostIpManager::Instance().InitHost(url));

        EXPECT_EQ(HostIpManager::Instance().GetSize(url), test.size);
        EXPECT_EQ(HostIpManager::Instance().GetIps(authority), test.kept);
        EXPECT_EQ(RequestsFor(nginx, "/f.bin", size_t(test.probes)).size(), size_t(test.probes));
        // Known now: asked again, it neither resolves nor probes.
        ASSERT_TRUE(HostIpManager::Instance().InitHost(url));
        EXPECT_EQ(RequestsFor(nginx, "/f.bin", size_t(test.probes)).size(), size_t(test.probes));
    }
    EXPECT_NE(ReadLog().find("[WARN] remove host ip=[127.0.0.4]"), std::string::npos);
}

TEST_F(HostTest, DownloadUsesOnlyTheAddressesThatAgreedOnTheLength) {
    TempFolder good, odd;
    std::string content = PatternBytes(900000, 31);
    ASSERT_TRUE(WriteTestFile(good.Path() + "m.bin", content));
    ASSERT_TRUE(WriteTestFile(odd.Path() + "m.bin", content.substr(0, 899990)));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.address = "127.0.0.2", .root = good.Path()},
                             {.address = "127.0.0.3", .root = good.Path()},
                             {.address = "127.0.0.4", .root = odd.Path()}}));
    hosts_["mirrors.test"] = {"127.0.0.2", "127.0.0.3", "127.0.0.4"};

    ASSERT_EQ(Download("http://mirrors.test:" + std::to_string(nginx.Port()) + "/m.bin", Md5Hex(content)), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "m.bin"), content);
    EXPECT_EQ(callback_.Matching("OnDnsResolved"),
              std::vector<std::string>{"OnDnsResolved mirrors.test 127.0.0.2,127.0.0.3"});
    std::vector<std::string> used = callback_.Matching("OnAddressUsed");
    EXPECT_EQ(std::count(used.begin(), used.end(), "OnAddressUsed 127.0.0.2"), 12);
    EXPECT_EQ(std::count(used.begin(), used.end(), "OnAddressUsed 127.0.0.3"), 12);
    nginx.Stop();
    for (const std::string& line : nginx.AccessLog()) {
        if (line.rfind("127.0.0.4 ", 0) == 0) {
            EXPECT_NE(line.find(" HEAD "), std::string::npos) << line;
        }
    }
}

TEST_F(HostTest, NameUnknownToTheSystemIsResolvedOverHttpsFromTheSecondaryResolver) {
    TempFolder site, resolver_root;
    std::string content = PatternBytes(300000, 32);
    ASSERT_TRUE(WriteTestFile(site.Path() + "d.bin", content));
    NginxServer files, resolver;
    ASSERT_TRUE(files.Start({{.root = site.Path()}}));
    ASSERT_TRUE(resolver.Start(
        {{.root = resolver_root.Path(),
          .tls = true,
          .extra = "    location = /resolve { return 200 '[\"127.0.0.1\", \"127.0.0.1\"]'; }\n"}}));
    // Nothing listens on the primary's port.
    ns_IXD::SetHttpDnsBasesForTesting("https://127.0.0.1:" + std::to_string(FreeLoopbackPort()),
                                      "https://127.0.0.1:" + std::to_string(resolver.Port()));

    ASSERT_EQ(Download("http://doh-only.test:" + std::to_string(files.Port()) + "/d.bin", Md5Hex(content)),
              0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "d.bin"), content);
    EXPECT_EQ(callback_.Matching("OnDnsResolved"),
              std::vector<std::string>{"OnDnsResolved doh-only.test 127.0.0.1"});
    std::vector<std::string> log = RequestsFor(resolver, "/resolve", 1);
    ASSERT_EQ(log.size(), 1u);
    std::smatch match;
    ASSERT_TRUE(
        std::regex_search(log[0], match,
                          std::regex(" /resolve type=1&short=1&uid=ixo-demo&ak=ixo-key-01&name=doh-only.test"
                                     "&ts=([0-9]+)&key=([0-9a-f]{64})$")))
        << log[0];
    EXPECT_EQ(match[2].str(), Sha256("ixo-demo"
                                     "loopback-signing-secret" +
                                     match[1].str() +
                                     "doh-only.test"
                                     "ixo-key-01"));
}

TEST_F(HostTest, HttpDnsAnswersWithAndWithoutBlanksGiveTheirAddresses) {
    TempFolder root;
    NginxServer resolver;
    ASSERT_TRUE(resolver.Start(
        {{.root = root.Path(),
          .tls = true,
          .extra = "    location = /tight/resolve { return 200 '[\"10.0.0.1\",\"10.0.0.2\"]'; }\n"
                   "    location = /loose/resolve { return 200 '[\"10.0.0.1\", \"10.0.0.2\"]'; }\n"}}));
    for (const char* base : {"/tight", "/loose"}) {
        SCOPED_TRACE(base);
        ns_IXD::SetHttpDnsBasesForTesting("https://127.0.0.1:" + std::to_string(resolver.Port()) + base, "");
        std::vector<std::string> ips;
        EXPECT_TRUE(ns_IXD::QueryHttpDns("any.test", ips));
        EXPECT_EQ(ips, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    }
}

TEST_F(HostTest, CancelWhilePreparingEndsTheTaskBeforeAnyConnection) {
    std::mutex lock;
    std::condition_variable released_signal;
    bool released = false;
    HostIpManager::SetResolverForTesting([&](const std::string&) {
        std::unique_lock<std::mutex> hold(lock);
        released_signal.wait(hold, [&] { return released; });
        return std::vector<uint32_t>{*platform::TextToIpv4("127.0.0.1")};
    });
    TempFolder site;
    ASSERT_TRUE(WriteTestFile(site.Path() + "p.bin", PatternBytes(100000, 33)));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));
    std::u16string url = Utf8ToUtf16("http://slow-name.test:" + std::to_string(nginx.Port()) + "/p.bin");
    std::u16string folder = Utf8ToUtf16(folder_.Path());
    ASSERT_EQ(manager_->AddTask(url.c_str(), folder.c_str(), u"", 7, u"", u"", 0), 7);
    ASSERT_TRUE(WaitUntil([&] { return !callback_.Matching("OnStart").empty(); }));

    manager_->RemoveTask(7);
    ASSERT_TRUE(WaitUntil([&] { return ReadLog().find("[INFO] multi, cancel.") != std::string::npos; }));
    {
        std::lock_guard<std::mutex> hold(lock);
        released = true;
    }
    released_signal.notify_all();

    EXPECT_EQ(callback_.WaitFinished(), 13);
    EXPECT_TRUE(callback_.Matching("OnDownloadConfig").empty());
    EXPECT_TRUE(callback_.Matching("OnConnection").empty());
    EXPECT_FALSE(platform::FileExists(folder_.Path() + "p.bin.~P2S"));
}

TEST(HttpDnsAccountTest, ScrambledValuesDecodeAfterTheFillerIsRemoved) {
    EXPECT_EQ(ns_IXD::UnscrambleAccountValue("aXhvk7QLWRlbW8="), "ixo-demo");
    EXPECT_EQ(ns_IXD::UnscrambleAccountValue("ab"), "");
}

}  // namespace
}  // namespace ixo_test
