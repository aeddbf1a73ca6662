// The Debian package of this build: what it holds, what Debian's checks say of
// it, its menu entry, and the program run from where it unpacks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;

struct Outcome {
    bool succeeded = false;
    std::string output;  // stdout and stderr
};

Outcome RunCommand(const std::string& command) {
    Outcome run;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[4096];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) run.output.append(chunk, n);
    run.succeeded = ::pclose(pipe) == 0;
    return run;
}

// The command's output, or nothing when it fails.
std::optional<std::string> Output(const std::string& command) {
    Outcome run = RunCommand(command);
    return run.succeeded ? std::optional(std::move(run.output)) : std::nullopt;
}

TEST(DebianPackage, InstallsTheProgramItsMenuEntryIconAndManualPassesLintianAndRuns) {
    test::TempFolder scratch;
    const std::string deb = scratch.File("zwinkerle.deb"), root = scratch.File("root");
    ASSERT_TRUE(Output("cd '" ZW_BINARY_DIR "' && cpack -G DEB -B '" + scratch.Path() + "' && mv '" + scratch.Path() +
                       "'/zwinkerle_*.deb '" + deb + "'"));
    ASSERT_TRUE(Output("dpkg-deb -x '" + deb + "' '" + root + "'"));
    // The GNOME Shell extension, for every user, in its forms for GNOME 45 on and for 43 and 44.
    for (const char* file : {"usr/bin/zwinkerle", "usr/share/applications/zwinkerle.desktop",
                             "usr/share/icons/hicolor/32x32/apps/zwinkerle.png", "usr/share/man/man1/zwinkerle.1.gz",
                             "usr/share/gnome-shell/extensions/zwinkerle@quorl.example/extension.js",
                             "usr/share/gnome-shell/extensions/zwinkerle@quorl.example/metadata.json",
                             "usr/share/gnome-shell/extensions/zwinkerle-gnome43@quorl.example/extension.js",
                             "usr/share/gnome-shell/extensions/zwinkerle-gnome43@quorl.example/metadata.json"})
        EXPECT_TRUE(std::filesystem::exists(root + "/" + file)) << file;
    const auto validation = Output("desktop-file-validate '" + root + "/usr/share/applications/zwinkerle.desktop'");
    EXPECT_EQ(validation, "") << validation.value_or("desktop-file-validate failed");
    const auto depends = Output("dpkg-deb -f '" + deb + "' Depends");
    ASSERT_TRUE(depends);
    EXPECT_NE(depends->find("libx11-6"), std::string::npos) << *depends;

    // Debian's own checks: no error and no warning.
    const Outcome lintian = RunCommand("lintian --fail-on error,warning '" + deb + "'");
    EXPECT_TRUE(lintian.succeeded) << lintian.output;
    // The changelog's latest entry is this version's.
    EXPECT_EQ(Output("dpkg-deb -f '" + deb + "' Version"),
              Output("zcat '" + root + "/usr/share/doc/zwinkerle/changelog.gz' | dpkg-parsechangelog -l - -S Version"));

    e2e::XServer server;
    const pid_t pid = e2e::Spawn({root + "/usr/bin/zwinkerle"}, {"DISPLAY=" + server.Name()});
    EXPECT_NE(e2e::WaitForWindow(server.Connection(), pid), 0U);
    e2e::Stop(pid);
}

}  // namespace
