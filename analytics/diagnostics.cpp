#include "analytics/diagnostics.h"

#include <cstdio>
#include <mutex>

namespace analytics {
namespace {

// Never destroyed: the client may still report while the process exits.
std::mutex& SinkLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::function<void(const std::string&)>& Sink() {
    static auto* sink = new std::function<void(const std::string&)>;
    return *sink;
}

}  // namespace

void ReportDiagnostic(const std::string& line) {
    std::lock_guard<std::mutex> guard(SinkLock());
    if (Sink()) {
        Sink()(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

void SetDiagnosticSinkForTesting(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> guard(SinkLock());
    Sink() = std::move(sink);
}

}  // namespace analytics
