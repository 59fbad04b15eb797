// One download-and-install task of the run: the product, a dependent product or the .NET Framework.
#pragma once

#include <cstdint>
#include <string>

// The kind is also the task's download and install phase.
enum TaskKind : int32_t {
    kTaskDotNet = 0,
    kTaskDependent = 1,
    kTaskProduct = 2,
};

// Download and install states.
enum TaskState : int32_t {
    kStateNotStarted = 0,
    kStateRunning = 1,
    kStateFailed = 2,
    kStateDone = 3,
};

// The .NET Framework task's id, which is also its engine task id.
inline constexpr int32_t kDotNetTaskId = 9876;
// The companion product among the dependents.
inline constexpr int32_t kCompanionProductId = 10819;

struct DownTask {
    int32_t id = 0;  // the product identifier; also the engine's task id
    std::u16string url;
    std::u16string save_folder;  // ends in '/'
    std::u16string md5_list;     // accepted digests, comma-separated
    std::u16string alternate_md5;
    std::u16string package_version;   // version stamp of the downloaded package
    std::u16string expected_version;  // the server's product version, handed to the engine
    int64_t expected_size = 0;
    std::u16string file_name;
    int64_t total_size = 0;
    int64_t downloaded = 0;
    int64_t speed = 0;  // bytes per second
    // Times are seconds since 1970; 0 is not yet.
    int64_t download_start = 0;
    int64_t download_end = 0;
    int64_t retry_time = 0;
    int64_t attempt_end_time = 0;
    int32_t download_state = kStateNotStarted;
    int32_t download_error = 0;         // engine result code
    int32_t download_retry_count = 0;   // counted by the window
    int32_t install_attempt_count = 0;  // counted by the window
    int32_t retry_attempt = 0;
    std::u16string product_name;
    std::u16string executable;
    std::u16string argument;
    std::u16string platform_base;
    std::u16string install_argument;
    std::u16string compatibility_layer;
    std::u16string package_path;  // save folder + file name
    std::u16string install_folder;
    std::u16string command_line;  // the installer's parameters, without the program
    std::u16string executable_path;
    int64_t install_start = 0;
    int64_t install_end = 0;
    int32_t install_state = kStateNotStarted;
    int32_t exit_code = 0;
    bool startup = false;  // this task is the product that is started at the end
    int32_t kind = kTaskProduct;
    bool mandatory = true;
    std::u16string scene_code;
    int32_t connections = 0;
    int32_t buffer_size = 0;
};

// The kind's name in analytics events: "donet", "depend", else "product".
inline const char* TaskKindName(int32_t kind) {
    return kind == kTaskDotNet ? "donet" : kind == kTaskDependent ? "depend" : "product";
}
