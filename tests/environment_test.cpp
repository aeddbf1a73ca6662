// The global strings, the folder queries and the long form of a path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "common/Commands.h"
#include "common/folder_query.h"
#include "tests/platform_expectations.h"
#include "tests/temp_folder.h"
#ifdef _WIN32
#include "platform/win32/program_file.h"
namespace program_file = platform::win32;
#include <windows.h>  // last: it defines names of the contract as macros
#else
#include "platform/posix/program_file.h"
namespace program_file = platform::posix;
#endif

namespace {

using test::WithSeparators;

TEST(AddBackslash, EndsThePathInOneSeparatorInPlace) {
    struct Case { std::string path, expected; };
    const Case cases[] = {{"/", "/"}, {"/opt/zwinkerle", "/opt/zwinkerle/"}, {"/opt/", "/opt/"}, {"", "/"}};
    for (const Case& c : cases) {
        std::string path = WithSeparators(c.path);
        const std::string copy = AddBackslash(path);
        EXPECT_EQ(path, WithSeparators(c.expected));
        EXPECT_EQ(copy, WithSeparators(c.expected));
    }
}

// The query answers as the Windows calls do: the folder's length when it
// fits the buffer with its NUL, else the size it would need.
TEST(FolderQuery, KeepsTheAnsweredFolderEndingInTheSeparatorWhenItFits) {
    const std::string longest = "/" + std::string(258, 'x');
    struct Case { const char* name; std::string folder, expected; };
    const Case cases[] = {
        {"plain folder", "/etc", "/etc/"},
        {"already ends in the separator", "/tmp/", "/tmp/"},
        {"answers nothing", "", "/"},
        {"the longest that fits", longest, longest + "/"},
        {"one character more does not fit", longest + "x", "/"},
    };
    for (const Case& c : cases) {
        const std::string folder = WithSeparators(c.folder);
        const std::string answered = FolderFromQuery([&](char* buffer, platform::UINT size) {
            if (folder.size() >= size) return static_cast<platform::UINT>(folder.size() + 1);
            folder.copy(buffer, folder.size());
            buffer[folder.size()] = '\0';
            return static_cast<platform::UINT>(folder.size());
        });
        EXPECT_EQ(answered, WithSeparators(c.expected)) << c.name;
    }
}

TEST(Folders, AreThereAndEndInOneSeparator) {
    for (const std::string& folder : {WindowsDir(), SystemDir(), TempDir()}) {
        ASSERT_GE(folder.size(), 2U) << folder;
        EXPECT_EQ(folder.back(), platform::kPathSeparator) << folder;
        EXPECT_NE(folder[folder.size() - 2], platform::kPathSeparator) << folder;
        EXPECT_TRUE(std::filesystem::is_directory(test::TempFolder::Native(folder))) << folder;
    }
}

#ifndef _WIN32
// The Linux stand-ins: the temporary folder follows TMPDIR.
TEST(Folders, LinuxTempDirFollowsTmpdir) {
    const char* saved = std::getenv("TMPDIR");
    for (const char* value : {"/var/tmp/", "/var/tmp"}) {
        setenv("TMPDIR", value, 1);
        EXPECT_EQ(TempDir(), "/var/tmp/");
    }
    unsetenv("TMPDIR");
    EXPECT_EQ(TempDir(), "/tmp/");
    if (saved != nullptr) setenv("TMPDIR", saved, 1);
    EXPECT_EQ(WindowsDir(), "/etc/");
    EXPECT_EQ(SystemDir(), "/usr/lib/");
}
#endif

TEST(LongPathName, GivesTheLongFormOrTheNormalisedCase) {
    test::TempFolder folder{"Zwinkerle-\xC3\x84pfel-\xCE\xA9-"};  // "Äpfel", "Ω": UTF-8 all the way
    folder.Write("Mixed Case-File.Bin", "x");
    const std::string file = folder.File("Mixed Case-File.Bin");
    struct Case { std::string path, expected; };
    std::vector<Case> cases = {
        {file, file},
        {"C:\\PROGRAM FILES\\MY-APP (NEW)\\MY_TOOL.EXE", "C:\\Program Files\\My-App (New)\\My_Tool.exe"},
        {"q", "Q"},
        {"", ""},
        {"/no/SUCH/file.TXT", "/no/such/file.txt"},
    };
#ifdef _WIN32
    // The short form Windows keeps beside a long name.
    std::string shortForm(260, '\0');
    shortForm.resize(GetShortPathNameA(file.c_str(), shortForm.data(), 260));
    ASSERT_NE(shortForm, file);
    cases.push_back({shortForm, file});
#else
    // What Linux resolves: dots and links.
    std::filesystem::create_directory(folder.File("sub"));
    std::filesystem::create_symlink(file, folder.File("link"));
    cases.push_back({folder.Path() + "/./sub/../Mixed Case-File.Bin", file});
    cases.push_back({folder.File("link"), file});
#endif
    for (const Case& c : cases) {
        const std::string given = c.path;
        EXPECT_EQ(LongPathName(given), c.expected) << c.path;
        EXPECT_EQ(given, c.path);  // taken by value
    }
}

// Linux gives the path as it is; the "A" call of Windows gives nothing, so
// the letter case is normalised, which on Windows names the same file.
TEST(LongPathName, NamesTheSameFileForAPathTooLongForTheBuffer) {
    test::TempFolder folder;
    std::string deep = folder.Path();
    while (deep.size() < 300) {
        deep += WithSeparators("/Folder_With_A_Long_Name");
        std::filesystem::create_directory(test::TempFolder::Native(deep));
    }
    EXPECT_TRUE(std::filesystem::equivalent(test::TempFolder::Native(LongPathName(deep)), test::TempFolder::Native(deep)));
}

TEST(NormaliseLetterCase, CapitalisesWordsOnly) {
    struct Case { const char* text; const char* expected; };
    const Case cases[] = {
        {"hello world", "Hello World"}, {"ONE-TWO(THREE)_FOUR\\FIVE", "One-Two(Three)_Four\\Five"},
        {"a.b/c:d)e1f", "A.b/c:d)e1f"}, {"  x", "  X"}, {"\xC3\x84RGER", "\xC3\x84rger"}, {"-", "-"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormaliseLetterCase(c.text), c.expected) << c.text;
}

TEST(ProgramFile, IsTheRunningProgramsFolderAndName) {
    const program_file::ProgramFile self = program_file::ThisProgramFile();
    EXPECT_EQ(self.name, "zw_unit_tests" + std::string(platform::kProgramExtension));
    EXPECT_TRUE(std::filesystem::is_regular_file(test::TempFolder::Native(self.folder) /
                                                 test::TempFolder::Native(self.name)));
}

#ifndef _WIN32
TEST(ProgramFile, LinuxPathOfAReplacedProgram) {
    const auto replaced = platform::posix::SplitProgramPath("/opt/z/zwinkerle (deleted)");
    EXPECT_EQ(replaced.folder, "/opt/z");
    EXPECT_EQ(replaced.name, "zwinkerle");
    EXPECT_EQ(platform::posix::SplitProgramPath("/zwinkerle").folder, "/");
}
#endif

}  // namespace
