// The Debian package of this build: what it holds, its menu entry, and the
// program run from where it unpacks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;

// The command's output, or nothing when it fails.
std::optional<std::string> Output(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    char chunk[4096];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, n);
    return ::pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

TEST(DebianPackage, InstallsTheProgramItsMenuEntryIconAndManualAndRuns) {
    test::TempFolder scratch;
    const std::string deb = scratch.File("zwinkerle.deb"), root = scratch.File("root");
    ASSERT_TRUE(Output("cd '" ZW_BINARY_DIR "' && cpack -G DEB -B '" + scratch.Path() + "' && mv '" + scratch.Path() +
                       "'/zwinkerle_*.deb '" + deb + "'"));
    ASSERT_TRUE(Output("dpkg-deb -x '" + deb + "' '" + root + "'"));
    for (const char* file : {"usr/bin/zwinkerle", "usr/share/applications/zwinkerle.desktop",
                             "usr/share/icons/hicolor/32x32/apps/zwinkerle.png", "usr/share/man/man1/zwinkerle.1.gz"})
        EXPECT_TRUE(std::filesystem::exists(root + "/" + file)) << file;
    const auto validation = Output("desktop-file-validate '" + root + "/usr/share/applications/zwinkerle.desktop'");
    EXPECT_EQ(validation, "") << validation.value_or("desktop-file-validate failed");
    const auto depends = Output("dpkg-deb -f '" + deb + "' Depends");
    ASSERT_TRUE(depends);
    EXPECT_NE(depends->find("libx11-6"), std::string::npos) << *depends;

    e2e::XServer server;
    const pid_t pid = e2e::Spawn({root + "/usr/bin/zwinkerle"}, {"DISPLAY=" + server.Name()});
    EXPECT_NE(e2e::WaitForWindow(server.Connection(), pid), 0U);
    e2e::Stop(pid);
}

}  // namespace
