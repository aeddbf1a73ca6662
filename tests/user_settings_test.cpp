// Where a user's settings may be kept on Linux: beside the program only in a
// folder of the user's, else in their own XDG settings folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/contract/user_settings.h"
#include "tests/temp_folder.h"

namespace {

using namespace platform;

TEST(UserSettings, CanKeepAFileOnlyWhereTheUserMayRewriteIt) {
    test::TempFolder folder;
    folder.Write("ours.ini", "");
    folder.Write("read-only.ini", "");
    ::chmod(folder.File("read-only.ini").c_str(), 0444);
    std::filesystem::create_directory(folder.File("folder.ini"));
    struct Case { const char* name; std::string file; bool keeps; };
    const Case cases[] = {
        {"a new file in a folder of ours", folder.File("new.ini"), true},
        {"our own file", folder.File("ours.ini"), true},
        {"a read-only file", folder.File("read-only.ini"), false},
        {"a folder in its place", folder.File("folder.ini"), false},
        {"a folder that is not there", folder.File("no/such.ini"), false},
        {"the system's programs", "/usr/bin/zwinkerle.ini", false},
    };
    for (const Case& c : cases) EXPECT_EQ(UserSettings::CanKeepAt(c.file), c.keeps) << c.name;
    if (::geteuid() == 0) {  // another user's file, in a folder we may write to
        folder.Write("theirs.ini", "");
        ASSERT_EQ(::chown(folder.File("theirs.ini").c_str(), 65534, 65534), 0);
        EXPECT_FALSE(UserSettings::CanKeepAt(folder.File("theirs.ini")));
    }
}

TEST(UserSettings, TheFolderIsTheUsersOwnAndMadeOnlyInsideTheirs) {
    test::TempFolder home;
    home.Write("a-file", "");
    struct Case { const char* name; std::string configured; std::string expected; };
    const Case cases[] = {
        {"XDG_CONFIG_HOME, made with its parents", home.File("dot/config"), home.File("dot/config/zwinkerle/")},
        {"XDG_CONFIG_HOME a file: ~/.config", home.File("a-file"), home.File(".config/zwinkerle/")},
        {"XDG_CONFIG_HOME relative: ~/.config", "relative/config", home.File(".config/zwinkerle/")},
        {"XDG_CONFIG_HOME in the system's folders: ~/.config", "/var/tmp", home.File(".config/zwinkerle/")},
        {"XDG_CONFIG_HOME a link into them: ~/.config", home.File("to-usr"), home.File(".config/zwinkerle/")},
    };
    std::filesystem::create_directory_symlink("/usr/local", home.File("to-usr"));
    const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("HOME", home.Path().c_str(), 1);
    for (const Case& c : cases) {
        ::setenv("XDG_CONFIG_HOME", c.configured.c_str(), 1);
        EXPECT_EQ(UserSettings::Folder(), c.expected) << c.name;
        EXPECT_TRUE(std::filesystem::is_directory(c.expected)) << c.name;
    }
    for (const char* system : {"/var/tmp/zwinkerle", "/usr/local/zwinkerle"}) {
        EXPECT_FALSE(std::filesystem::exists(system)) << "made " << system;
        std::filesystem::remove(system);
    }
    if (::geteuid() == 0) {
        // Another user's link where our settings folder would be, in a home
        // we were pointed to: passed over, for a folder of our own.
        test::TempFolder elsewhere;
        std::filesystem::create_directories(home.File("planted/.config"));
        std::filesystem::create_directory_symlink(elsewhere.Path(), home.File("planted/.config/zwinkerle"));
        ASSERT_EQ(::lchown(home.File("planted/.config/zwinkerle").c_str(), 65534, 65534), 0);
        ::setenv("XDG_CONFIG_HOME", home.File("planted/.config").c_str(), 1);
        EXPECT_EQ(UserSettings::Folder(), home.File(".config/zwinkerle/")) << "a planted link";
    }
    if (::geteuid() == 0) {
        // Run by an account (nobody) with another user's home in its
        // environment, as sudo -E gives: nothing is made there, and its own
        // home (/nonexistent) offers no place either.
        test::TempFolder theirs;
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("HOME", theirs.Path().c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (theirs.Path() + "/.config").c_str(), 1);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            ::_exit(UserSettings::Folder().empty() ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a folder was offered";
        EXPECT_EQ(theirs.EntryCount(), 0U);
    }
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
