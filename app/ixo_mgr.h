// The orchestrator: one process-wide object that holds the run's state outside the window.
#pragma once

#include <cstdint>
#include <string>

#include "app/product_config.h"
#include "app/run_config.h"

// A window of the window stand-in is known by a 32-bit handle; 0 is no window.
using WindowHandle = int32_t;

class IxoMgr {
public:
    static IxoMgr& Instance();

    // Reads the product configuration compiled into the executable. False when it is missing or unreadable.
    bool LoadLocalXml();

    // Reads the saved run configuration; a missing file leaves it empty.
    void ReadRunConfig();

    // Stores a non-empty language display name as the run configuration's SelectLang.
    void SetSelectLang(const std::u16string& display_name);

    // Loads the user-interface strings with the brand word replaced. False when the document is missing.
    bool LoadLangXml(const std::u16string& brand);

    const ProductConfig& GetProductConfig() const { return product_config_; }
    const RunConfig& GetRunConfig() const { return run_config_; }

    // Start-up state, written once on the main thread before the window exists.
    void SetForkMode(bool fork) { fork_mode_ = fork; }
    bool IsForkMode() const { return fork_mode_; }
    void SetHostVersion(std::u16string version) { host_version_ = std::move(version); }
    const std::u16string& GetHostVersion() const { return host_version_; }
    void SetHostWindow(WindowHandle window) { host_window_ = window; }
    WindowHandle GetHostWindow() const { return host_window_; }
    void SetMainWindow(WindowHandle window) { main_window_ = window; }
    WindowHandle GetMainWindow() const { return main_window_; }

private:
    IxoMgr() = default;

    ProductConfig product_config_;
    RunConfig run_config_;
    WindowHandle main_window_ = 0;
    bool fork_mode_ = false;
    std::u16string host_version_;
    WindowHandle host_window_ = 0;
};
