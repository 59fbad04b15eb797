// The orchestrator: one process-wide object that holds the run's state outside the window.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "app/config_statistics.h"
#include "app/install_folders.h"
#include "app/product_config.h"
#include "app/run_config.h"
#include "platform/window_messages.h"

using WindowHandle = platform::WindowHandle;

class IxoMgr {
public:
    static IxoMgr& Instance();

    // Reads the product configuration compiled into the executable (resource "XML" 106), decides the working
    // folder, records the channel and hands the first values to the statistics record. False when the
    // resource is missing, empty, not well-formed or has no Product root.
    bool LoadLocalXml();
    // The same over the given document bytes (UTF-8), for LoadLocalXml and tests.
    bool LoadLocalXmlDocument(std::string_view utf8_document);

    // The run configuration file in the working folder. A missing or broken file leaves the record empty;
    // in fork mode the file is read but never written or deleted. Write and delete failures are ignored.
    void ReadRunConfig();
    void WriteRunConfig();
    void DeleteRunConfig();
    // Status was "1" when the run configuration was read; cleared when the file is deleted.
    bool IsResume() const { return resume_; }

    // Stores a non-empty language display name as the run configuration's SelectLang.
    void SetSelectLang(const std::u16string& display_name);

    const ProductConfig& GetProductConfig() const { return product_config_; }
    const RunConfig& GetRunConfig() const { return run_config_; }
    RunConfig& EditRunConfig() { return run_config_; }
    const std::u16string& GetWorkingFolder() const { return working_folder_; }
    const std::u16string& GetRunConfigPath() const { return run_config_path_; }
    const std::u16string& GetInstallParentFolder() const { return install_parent_; }
    bool Is64BitSystem() const { return is_64bit_; }
    bool IsArm64System() const { return is_arm64_; }

    // Start-up state, written once on the main thread before the window exists.
    void SetForkMode(bool fork) { fork_mode_ = fork; }
    bool IsForkMode() const { return fork_mode_; }
    void SetHostVersion(std::u16string version) { host_version_ = std::move(version); }
    const std::u16string& GetHostVersion() const { return host_version_; }
    void SetHostWindow(WindowHandle window) { host_window_ = window; }
    WindowHandle GetHostWindow() const { return host_window_; }
    void SetMainWindow(WindowHandle window) { main_window_ = window; }
    WindowHandle GetMainWindow() const { return main_window_; }

    // Connects the statistics record; null (the start) leaves the statistics calls out. Not owned.
    void SetConfigStatistics(IConfigStatistics* statistics) { statistics_ = statistics; }

    // Test hooks: the machine's architecture, its folders and its clipboard as a test wants them, and a
    // fresh record set.
    void SetArchitectureForTesting(bool is_64bit, bool is_arm64);
    void SetFolderPlacesForTesting(std::optional<FolderPlaces> places) { places_for_testing_ = std::move(places); }
    void SetClipboardReaderForTesting(std::function<std::optional<std::string>()> reader);
    void ResetForTesting();

private:
    IxoMgr();
    void RecordChannel();

    ProductConfig product_config_;
    RunConfig run_config_;
    std::u16string working_folder_;
    std::u16string run_config_path_;
    std::u16string install_parent_;
    bool resume_ = false;
    bool is_64bit_ = false;
    bool is_arm64_ = false;
    WindowHandle main_window_ = 0;
    bool fork_mode_ = false;
    std::u16string host_version_;
    WindowHandle host_window_ = 0;
    IConfigStatistics* statistics_ = nullptr;
    std::mutex run_config_file_lock_;  // a download thread and a window worker may both write the file

    std::optional<FolderPlaces> places_for_testing_;
    std::function<std::optional<std::string>()> clipboard_reader_;
};
