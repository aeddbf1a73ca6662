// compositor_session.h: one real compositor of each kind for all the cases
// of a test program that run on it, started by the first case that needs it;
// one that does not start fails its cases at once.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "tools/wayland_desktop/compositor.h"

namespace e2e {

// `Desktop` names the compositor in its `kind`, and may hold the options to
// start it with in `options`, unless the fixture chooses them.
template <typename Desktop>
class OnCompositor : public testing::TestWithParam<Desktop> {
protected:
    static void TearDownTestSuite() { running_.clear(); }

    void SetUp() override {
        const CompositorKind kind = this->GetParam().kind;
        const std::string missing = Unavailable(kind);
        if (!missing.empty()) GTEST_SKIP() << missing;
        std::unique_ptr<Compositor>& compositor = running_[kind];
        std::string& failure = failures_[kind];
        if (!failure.empty()) FAIL() << failure;
        if (!compositor) {
            try {
                compositor = std::make_unique<Compositor>(kind, StartOptions());
            } catch (const std::exception& error) {
                failure = error.what();
                FAIL() << failure;
            }
            std::cout << Name(kind) << " started in " << compositor->StartupTime().count() << " ms" << std::endl;
            if (!compositor->NoScreenshots().empty()) std::cout << compositor->NoScreenshots() << std::endl;
        }
        desktop = compositor.get();
        display = desktop->XConnection();
    }

    // What the compositor starts with.
    virtual Compositor::Options StartOptions() const {
        if constexpr (requires(const Desktop& desktop) { desktop.options; }) return this->GetParam().options;
        return {};
    }

    Compositor* desktop = nullptr;
    Display* display = nullptr;

private:
    static inline std::map<CompositorKind, std::unique_ptr<Compositor>> running_;
    static inline std::map<CompositorKind, std::string> failures_;
};

// The cases' names: "Sway", "KWin", "Gnome".
template <typename Desktop>
std::string CompositorName(const testing::TestParamInfo<Desktop>& info) {
    switch (info.param.kind) {
    case CompositorKind::Sway: return "Sway";
    case CompositorKind::KWin: return "KWin";
    case CompositorKind::Gnome: return "Gnome";
    }
    return "";
}

}  // namespace e2e
