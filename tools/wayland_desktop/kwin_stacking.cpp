// kwin_stacking.cpp: KWin's own stacking order of the windows it shows,
// told by a script of ours that KWin runs once and that calls back over the
// session bus: where KWin takes no screenshots, what the screen shows.
#include "tools/wayland_desktop/kwin_stacking.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace e2e {

namespace {

constexpr const char* kPath = "/example/quorl/Stacking";
constexpr const char* kInterface = "example.quorl.Stacking";
constexpr auto kPatience = std::chrono::seconds(10);

// One window a line, bottom first: "pid x y width height". Minimised and
// hidden windows show nothing; closed ones may stay in the order a moment.
constexpr const char* kScript = R"(const shown = [];
for (const window of workspace.stackingOrder) {
    if (window.deleted || window.minimized || window.hidden) continue;
    const frame = window.frameGeometry;
    shown.push([window.pid, frame.x, frame.y, frame.width, frame.height].map(Math.round).join(" "));
}
callDBus("@TESTS@", "/example/quorl/Stacking", "example.quorl.Stacking", "Shown", shown.join("\n"));
)";

int Answered(sd_bus_message* message, void* answer, sd_bus_error*) {
    if (!sd_bus_message_is_method_call(message, kInterface, "Shown")) return 0;
    const char* text = nullptr;
    if (sd_bus_message_read(message, "s", &text) < 0) return 0;
    *static_cast<std::optional<std::string>*>(answer) = text;
    sd_bus_reply_method_return(message, "");
    return 1;
}

}  // namespace

std::vector<ShownWindow> KWinStacking(SessionBus& bus, const std::string& folder) {
    static int asked = 0;
    const std::string name = "zw-tests-stacking-" + std::to_string(++asked);
    const std::string file = folder + "/" + name + ".js";
    const char* self = nullptr;
    CheckBus(sd_bus_get_unique_name(bus.Get(), &self), nullptr, "our bus name");
    std::string script = kScript;
    script.replace(script.find("@TESTS@"), 7, self);
    std::ofstream(file) << script;

    std::optional<std::string> answer;
    sd_bus_slot* slot = nullptr;
    CheckBus(sd_bus_add_object(bus.Get(), &slot, kPath, Answered, &answer), nullptr, "answering KWin's script");
    try {
        bus.Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript", "ss", file.c_str(), name.c_str());
        bus.Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "start", "");
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (auto now = std::chrono::steady_clock::now(); !answer && now < deadline; now = std::chrono::steady_clock::now()) {
            if (sd_bus_process(bus.Get(), nullptr) == 0)
                sd_bus_wait(bus.Get(), static_cast<std::uint64_t>(
                                           std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count()));
        }
        bus.Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", "s", name.c_str());
    } catch (...) {
        sd_bus_slot_unref(slot);
        std::filesystem::remove(file);
        throw;
    }
    sd_bus_slot_unref(slot);
    std::filesystem::remove(file);
    if (!answer) throw std::runtime_error("KWin's script did not tell its stacking order");

    std::vector<ShownWindow> stacking;
    std::istringstream lines(*answer);
    for (std::string line; std::getline(lines, line);) {
        ShownWindow shown;
        std::istringstream fields(line);
        if (fields >> shown.pid >> shown.frame.x >> shown.frame.y >> shown.frame.width >> shown.frame.height)
            stacking.push_back(shown);
    }
    return stacking;
}

}  // namespace e2e
