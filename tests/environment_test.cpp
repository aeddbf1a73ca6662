// The global strings, the folder queries and the long form of a path.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/Commands.h"
#include "common/folder_query.h"
#include "platform/headless/headless_desktop.h"
#include "platform/posix/program_file.h"
#include "tests/temp_folder.h"

namespace {

TEST(AddBackslash, EndsThePathInOneSeparatorInPlace) {
    struct Case { std::string path, expected; };
    const Case cases[] = {{"/", "/"}, {"/opt/zwinkerle", "/opt/zwinkerle/"}, {"/opt/", "/opt/"}, {"", "/"}};
    for (Case c : cases) {
        const std::string copy = AddBackslash(c.path);
        EXPECT_EQ(c.path, c.expected);
        EXPECT_EQ(copy, c.expected);
    }
}

TEST(FolderQuery, KeepsTheAnsweredLengthAndEndsInTheSeparator) {
    struct Case { const char* name; std::string answer; platform::UINT length; std::string expected; };
    const Case cases[] = {
        {"plain folder", "/etc", 4, "/etc/"},
        {"already ends in the separator", "/tmp/", 5, "/tmp/"},
        {"answers 0", "", 0, "/"},
        {"shorter length than the text", "/usr/lib", 4, "/usr/"},
        {"does not fit the buffer", "", 300, "/"},
    };
    for (const Case& c : cases) {
        std::size_t sizeSeen = 0;
        const std::string folder = FolderFromQuery([&](char* buffer, platform::UINT size) {
            sizeSeen = size;
            EXPECT_EQ(std::string(buffer, size), std::string(260, '\0')) << "buffer not all NULs";
            c.answer.copy(buffer, c.answer.size());
            return c.length;
        });
        EXPECT_EQ(folder, c.expected) << c.name;
        EXPECT_EQ(sizeSeen, 260U);
    }
}

TEST(Folders, TempDirFollowsTmpdirWithOneFinalSeparator) {
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

TEST(InitEnvironment, FillsTheGlobalStrings) {
    platform::headless::ResetDesktop();
    platform::headless::TheDesktop().appPath = "/opt/zwinkerle";
    platform::headless::TheDesktop().exeName = "zwinkerle";
    InitEnvironment();
    EXPECT_EQ(AppPath, "/opt/zwinkerle/");
    EXPECT_EQ(ExeName, "zwinkerle");
    EXPECT_EQ(WinDirPath, "/etc/");
    EXPECT_EQ(WinIni, "/etc/Win.ini");
    EXPECT_EQ(SysDirPath, "/usr/lib/");
    EXPECT_EQ(TempDirPath.back(), '/');
    EXPECT_EQ(CrLf, std::string("\x0D\x0A"));
}

TEST(LongPathName, GivesTheLongFormOrTheNormalisedCase) {
    test::TempFolder folder;
    const std::string file = folder.Path() + "/Mixed Case-File.Bin";
    folder.Write("Mixed Case-File.Bin", "x");
    std::filesystem::create_symlink(file, folder.Path() + "/link");
    struct Case { std::string path, expected; };
    const Case cases[] = {
        {file, file},
        {folder.Path() + "/./sub/../Mixed Case-File.Bin", file},
        {folder.Path() + "/link", file},
        {"C:\\PROGRAM FILES\\MY-APP (NEW)\\MY_TOOL.EXE", "C:\\Program Files\\My-App (New)\\My_Tool.exe"},
        {"q", "Q"},
        {"", ""},
        {"/no/SUCH/file.TXT", "/no/such/file.txt"},
    };
    std::filesystem::create_directory(folder.Path() + "/sub");
    for (const Case& c : cases) {
        const std::string given = c.path;
        EXPECT_EQ(LongPathName(given), c.expected) << c.path;
        EXPECT_EQ(given, c.path);  // taken by value
    }
}

TEST(LongPathName, KeepsAPathTooLongForTheBuffer) {
    test::TempFolder folder;
    std::string deep = folder.Path();
    while (deep.size() < 300) {
        deep += "/Folder_With_A_Long_Name";
        ::mkdir(deep.c_str(), 0700);
    }
    EXPECT_EQ(LongPathName(deep), deep);
}

TEST(NormaliseLetterCase, CapitalisesWordsOnly) {
    struct Case { const char* text; const char* expected; };
    const Case cases[] = {
        {"hello world", "Hello World"}, {"ONE-TWO(THREE)_FOUR\\FIVE", "One-Two(Three)_Four\\Five"},
        {"a.b/c:d)e1f", "A.b/c:d)e1f"}, {"  x", "  X"}, {"\xC3\x84RGER", "\xC3\x84rger"}, {"-", "-"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormaliseLetterCase(c.text), c.expected) << c.text;
}

TEST(ProgramFile, SplitsTheRunningProgramsPath) {
    const platform::posix::ProgramFile self = platform::posix::ThisProgramFile();
    EXPECT_EQ(self.name, "zw_unit_tests");
    EXPECT_TRUE(std::filesystem::exists(self.folder + "/" + self.name));
    const auto replaced = platform::posix::SplitProgramPath("/opt/z/zwinkerle (deleted)");
    EXPECT_EQ(replaced.folder, "/opt/z");
    EXPECT_EQ(replaced.name, "zwinkerle");
    EXPECT_EQ(platform::posix::SplitProgramPath("/zwinkerle").folder, "/");
}

}  // namespace
