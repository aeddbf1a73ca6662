// The settings file: what a read finds, and what a write keeps.
//
// On Windows these are the system's own profile-string calls; on Linux our
// reader and writer, which must behave alike. What only the Linux writer
// promises (huge files, crash-safe replacement, links, permissions) is
// tested at the end, on Linux alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/Commands.h"
#include "tests/platform_expectations.h"
#include "tests/temp_folder.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <fstream>

#include "platform/posix/settings_file.h"
#endif

namespace {

using namespace std::string_literals;

const std::string kSection = "Quorl's Zwinkerle";

TEST(ReadProfileValue, FindsWhatIsStored) {
    struct Case { const char* name; std::string file; std::string key; std::string expected; };
    const Case cases[] = {
        {"no section", "[Other]\nTop=5\n", "Top", ""},
        {"section without Left", "[Quorl's Zwinkerle]\nTop=1440\n", "Left", ""},
        {"Top beside it", "[Quorl's Zwinkerle]\nTop=1440\n", "Top", "1440"},
        {"empty value gives the default", "[Quorl's Zwinkerle]\nTop=\n", "Top", ""},
        {"names in another letter case", "[QUORL'S zwinkerle]\ntOP=7\n", "Top", "7"},
        {"blanks around names and values", "  [ Quorl's Zwinkerle ]  \n\t Top \t=  -300  \n", "Top", "-300"},
        {"CRLF and a byte-order mark", "\xEF\xBB\xBF[Quorl's Zwinkerle]\r\nTop=12\r\nLeft=34\r\n", "Left", "34"},
        {"CR line ends, as old Macs wrote them", "[Quorl's Zwinkerle]\rTop=12\rLeft=34\r", "Left", "34"},
        {"a CR alone amid CRLF ends its line", "[Quorl's Zwinkerle]\r\nTop=12\rLeft=34\r\n", "Top", "12"},
        {"a NUL ends the value", "[Quorl's Zwinkerle]\nTop=12\0 34\n"s, "Top", "12"},
        {"quotes around the value", "[Quorl's Zwinkerle]\nTop=\"77\"\n", "Top", "77"},
        {"the first of two keys", "[Quorl's Zwinkerle]\nTop=1\nTop=2\n", "Top", "1"},
        {"a key of another section", "[Quorl's Zwinkerle]\nTop=1\n[Other]\nLeft=9\n", "Left", ""},
        {"no line break at the end", "[Quorl's Zwinkerle]\nLeft=15", "Left", "15"},
        {"a commented-out key", "[Quorl's Zwinkerle]\n;Top=3\n", "Top", ""},
        {"hand-edited with trailing text", "[Quorl's Zwinkerle]\nTop=  1440 twips\n", "Top", "1440 twips"},
        {"2047 characters fit", "[Quorl's Zwinkerle]\nTop=" + std::string(2047, '7'), "Top", std::string(2047, '7')},
        {"2048 are cut to 2047", "[Quorl's Zwinkerle]\nTop=" + std::string(2048, '7'), "Top", std::string(2047, '7')},
        {"so are 100000", "[Quorl's Zwinkerle]\nTop=" + std::string(100000, '7'), "Top", std::string(2047, '7')},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        folder.Write("z.ini", c.file);
        EXPECT_EQ(ReadProfileValue(kSection, c.key, folder.File("z.ini"), ""), c.expected) << c.name;
    }
}

TEST(ReadProfileValue, GivesTheDefaultForFilesThatAreNotThere) {
    test::TempFolder folder;
    EXPECT_EQ(ReadProfileValue(kSection, "Top", folder.File("missing.ini"), ""), "");
    EXPECT_EQ(ReadProfileValue(kSection, "Top", folder.File("missing.ini"), "dflt"), "dflt");
    std::filesystem::create_directory(folder.File("dir.ini"));
    EXPECT_EQ(ReadProfileValue(kSection, "Top", folder.File("dir.ini"), ""), "");
#ifndef _WIN32
    // A FIFO in the file's place must not hang the program.
    ASSERT_EQ(::mkfifo(folder.File("fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(ReadProfileValue(kSection, "Top", folder.File("fifo.ini"), ""), "");
#endif
}

std::string LowerCased(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

TEST(WriteProfileValue, ReadsBackWhatItWrote) {
    test::TempFolder folder{"Zwinkerle-\xC3\x84pfel-\xCE\xA9-"};  // "Äpfel", "Ω": UTF-8 all the way
    const std::string file = folder.File("zwinkerle.ini");
    WriteProfileValue(kSection, "Top", "1440", file);
    WriteProfileValue(kSection, "Left", "-300", file);
    EXPECT_EQ(folder.Read("zwinkerle.ini"), test::Lines({"[Quorl's Zwinkerle]", "Top=1440", "Left=-300"}));
    EXPECT_EQ(ReadProfileValue(kSection, "Top", file), "1440");  // read upper-cases the names
    EXPECT_EQ(ReadProfileValue(kSection, "LEFT", file), "-300");

    // The same key twice, in any letter case: still one line. (Whose
    // spelling of the name stays differs: Windows keeps the file's.)
    WriteProfileValue(kSection, "Top", "28785", file);
    WriteProfileValue("QUORL'S ZWINKERLE", "left", "15", file);
    EXPECT_EQ(LowerCased(folder.Read("zwinkerle.ini")),
              LowerCased(test::Lines({"[Quorl's Zwinkerle]", "Top=28785", "Left=15"})));
    EXPECT_EQ(ReadProfileValue(kSection, "Left", file), "15");
    EXPECT_EQ(folder.EntryCount(), 1U) << "a temporary file was left behind";
}

TEST(WriteProfileValue, KeepsEveryOtherLineOfAHandEditedFile) {
    test::TempFolder folder;
    const std::string file = folder.File("z.ini");
    const std::string head = "\xEF\xBB\xBF; my settings\r\n[Colours]\r\nFace = pink ; really\r\n\r\n"
                             "[quorl's zwinkerle]\r\nUnknown=keep me\r\n";
    const std::string tail = "\r\n; trailing comment\r\n[Last]\r\nx=1";
    folder.Write("z.ini", head + "  TOP = 10\r\n" + tail);
    WriteProfileValue(kSection, "Top", "1440", file);
    WriteProfileValue(kSection, "Left", "2220", file);
    // A section added to a file that does not end in a line break.
    WriteProfileValue("New", "k", "v", file);
    struct Entry { std::string section, key, value; };
    const Entry entries[] = {{"Colours", "Face", "pink ; really"}, {kSection, "Unknown", "keep me"},
                             {kSection, "Top", "1440"}, {kSection, "Left", "2220"}, {"Last", "x", "1"},
                             {"New", "k", "v"}};
    for (const Entry& e : entries) EXPECT_EQ(ReadProfileValue(e.section, e.key, file), e.value) << e.key;
    const std::string after = folder.Read("z.ini");
    EXPECT_LT(after.find("; my settings\r\n"), after.find("; trailing comment\r\n"));
    EXPECT_NE(after.find("; trailing comment\r\n"), std::string::npos);
#ifndef _WIN32
    // The Linux writer changes nothing but the lines it is about, where
    // Windows writes the whole file anew in its own layout.
    EXPECT_EQ(after, head + "Top=1440\r\nLeft=2220\r\n" + tail + "\r\n[New]\r\nk=v\r\n");
#endif
}

// A settings file as Windows editors save "Unicode": UTF-16 after its
// byte-order mark, in either byte order.
enum class ByteOrder { Little, Big };

std::string Utf16File(std::u16string_view text, ByteOrder order) {
    std::string bytes = order == ByteOrder::Little ? "\xFF\xFE" : "\xFE\xFF";
    bytes.reserve(bytes.size() + 2 * text.size());
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes.push_back(order == ByteOrder::Little ? low : high);
        bytes.push_back(order == ByteOrder::Little ? high : low);
    }
    return bytes;
}

TEST(ReadProfileValue, ReadsUtf16Files) {
    struct Case { const char* name; std::string file; std::string section, key, expected; };
    const Case cases[] = {
        {"little-endian, CRLF", Utf16File(u"[Quorl's Zwinkerle]\r\nTop=12\r\nLeft=34\r\n", ByteOrder::Little),
         kSection, "Left", "34"},
        {"big-endian, CRLF", Utf16File(u"[Quorl's Zwinkerle]\r\nTop=12\r\nLeft=34\r\n", ByteOrder::Big),
         kSection, "Left", "34"},
        {"little-endian, LF", Utf16File(u"[Quorl's Zwinkerle]\nTop=12\nLeft=34\n", ByteOrder::Little),
         kSection, "Left", "34"},
        {"big-endian, CR", Utf16File(u"[Quorl's Zwinkerle]\rTop=12\rLeft=34\r", ByteOrder::Big), kSection, "Left",
         "34"},
        {"blanks, letter case and quotes", Utf16File(u"  [ quorl's ZWINKERLE ]\r\n  TOP = \"77\"  \r\n", ByteOrder::Big),
         kSection, "Top", "77"},
        // "Äpfel", "Ω", and "été" after a character beyond 16 bits.
        {"names and a value beyond ASCII",
         Utf16File(u"[\u00C4pfel]\r\n\u03A9=\U0001F600 \u00E9t\u00E9\r\n", ByteOrder::Little),
         "\xC3\x84pfel", "\xCE\xA9", "\xF0\x9F\x98\x80 \xC3\xA9t\xC3\xA9"},
        {"half a surrogate pair reads as U+FFFD",
         Utf16File(u"[Quorl's Zwinkerle]\r\nTop=\xD83D" u"1\r\n", ByteOrder::Little), kSection, "Top",
         "\xEF\xBF\xBD" "1"},
        {"without its byte-order mark it is no text",
         Utf16File(u"[Quorl's Zwinkerle]\r\nTop=12\r\n", ByteOrder::Little).substr(2), kSection, "Top", ""},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        folder.Write("z.ini", c.file);
        EXPECT_EQ(ReadProfileValue(c.section, c.key, folder.File("z.ini")), c.expected) << c.name;
    }
}

TEST(WriteProfileValue, KeepsTheEncodingOfUtf16Files) {
    struct Case {
        const char* name;
        ByteOrder order;
        std::u16string before;
        std::string key, value;
        std::u16string after;
        std::u16string afterOnLinux = {};  // where the Linux writer keeps the file's own line ends
    };
    const Case cases[] = {
        {"little-endian, a value replaced", ByteOrder::Little, u"[Quorl's Zwinkerle]\r\nTop=12\r\nLeft=34\r\n",
         "Top", "1440", u"[Quorl's Zwinkerle]\r\nTop=1440\r\nLeft=34\r\n"},
        {"big-endian, a key added", ByteOrder::Big, u"[Quorl's Zwinkerle]\r\nTop=12\r\n", "Left", "-300",
         u"[Quorl's Zwinkerle]\r\nTop=12\r\nLeft=-300\r\n"},
        {"a section added", ByteOrder::Little, u"[Other]\r\nk=v\r\n", "Top", "15",
         u"[Other]\r\nk=v\r\n[Quorl's Zwinkerle]\r\nTop=15\r\n"},
        {"nothing but the byte-order mark", ByteOrder::Big, u"", "Top", "15", u"[Quorl's Zwinkerle]\r\nTop=15\r\n"},
        {"text beyond ASCII elsewhere", ByteOrder::Little,
         u"[Quorl's Zwinkerle]\r\nTop=1\r\n[\u00C4pfel]\r\n\u03A9=\U0001F600 \u00E9t\u00E9\r\n", "Top", "2",
         u"[Quorl's Zwinkerle]\r\nTop=2\r\n[\u00C4pfel]\r\n\u03A9=\U0001F600 \u00E9t\u00E9\r\n"},
        {"half a surrogate pair elsewhere", ByteOrder::Big, u"[Quorl's Zwinkerle]\r\nTop=1\r\nX=\xD83D" u"a\r\n",
         "Top", "2", u"[Quorl's Zwinkerle]\r\nTop=2\r\nX=\xD83D" u"a\r\n"},
        {"a value beyond ASCII", ByteOrder::Little, u"[Quorl's Zwinkerle]\r\nTop=1\r\n", "Name",
         "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", u"[Quorl's Zwinkerle]\r\nTop=1\r\nName=\u00E9t\u00E9 \U0001F600\r\n"},
        {"LF line ends", ByteOrder::Little, u"[Quorl's Zwinkerle]\nTop=1\nLeft=2\n", "Top", "3",
         u"[Quorl's Zwinkerle]\r\nTop=3\r\nLeft=2\r\n", u"[Quorl's Zwinkerle]\nTop=3\nLeft=2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        folder.Write("z.ini", Utf16File(c.before, c.order));
        WriteProfileValue(kSection, c.key, c.value, folder.File("z.ini"));
#ifdef _WIN32
        const std::u16string& expected = c.after;
#else
        const std::u16string& expected = c.afterOnLinux.empty() ? c.after : c.afterOnLinux;
#endif
        EXPECT_EQ(folder.Read("z.ini"), Utf16File(expected, c.order));
        EXPECT_EQ(ReadProfileValue(kSection, c.key, folder.File("z.ini")), c.value);
        EXPECT_EQ(folder.EntryCount(), 1U) << "a temporary file was left behind";
    }
}

#ifndef _WIN32
// What the Linux reader and writer promise beyond Windows.

// Runs `check` in a child process without root's rights, so that file
// permissions mean for it what they mean for a user. True when it passed.
template <typename Check>
bool AsUnprivilegedUser(Check check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The process's resident memory in bytes: "VmRSS" now, "VmHWM" at its peak.
std::size_t ResidentBytes(std::string_view field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':')
            return std::stoul(line.substr(field.size() + 1)) * 1024;
    return 0;
}

// How far `work` raised the process's resident memory above what it held.
template <typename Work>
std::size_t PeakGrowth(Work work) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak is now
    const std::size_t before = ResidentBytes("VmRSS");
    if (ResidentBytes("VmHWM") > before + (1U << 20)) ADD_FAILURE() << "the peak could not be reset";
    work();
    return ResidentBytes("VmHWM") - before;
}

// Speed is the benchmark's to measure; memory is counted here.
TEST(ReadProfileValue, ReadsHugeFilesInMemoryInProportion) {
    constexpr std::size_t kSize = 50U << 20;
    const auto tinyLines = [](std::size_t size) {
        std::string lines;
        lines.reserve(size);
        while (lines.size() < size) lines += "a=b\n[s]\n";
        return lines;
    };
    struct Case { const char* name; std::function<std::string()> file; std::string expected; bool utf16; };
    const Case cases[] = {
        {"one endless line, then the section",
         [] { return std::string(kSize, 'x') + "\n[Quorl's Zwinkerle]\nTop=42\n"; }, "42", false},
        {"tiny lines", [&] { return tinyLines(kSize) + "[Quorl's Zwinkerle]\nTop=7\n"; }, "7", false},
        {"tiny lines in UTF-16", [&] {
             const std::string ascii = tinyLines(kSize / 2) + "[Quorl's Zwinkerle]\nTop=9\n";
             return Utf16File(std::u16string(ascii.begin(), ascii.end()), ByteOrder::Big);
         }, "9", true},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        std::size_t size = 0;
        {
            const std::string file = c.file();
            size = file.size();
            folder.Write("huge.ini", file);
        }
        std::string value;
        const std::size_t growth = PeakGrowth([&] { value = ReadProfileValue(kSection, "Top", folder.File("huge.ini")); });
        EXPECT_EQ(value, c.expected) << c.name;
        // The file's contents and, from UTF-16, its text in UTF-8 (half as
        // long); an eighth more for AddressSanitizer's shadow, and a little
        // for the read itself.
        const std::size_t held = size + (c.utf16 ? size / 2 : 0);
        EXPECT_LE(growth, held + held / 8 + (4U << 20)) << c.name;
    }
}

TEST(WriteProfileValue, RefusesTextsThatWouldBreakTheFile) {
    test::TempFolder folder;
    folder.Write("z.ini", "[Quorl's Zwinkerle]\nTop=1\n");
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"Top", "1\n[Evil]"}, {"To=p", "1"},
                                     {"[Top", "1"}, {"Top", "2\r3"}}) {
        WriteProfileValue(kSection, key, value, folder.File("z.ini"));
        EXPECT_EQ(folder.Read("z.ini"), "[Quorl's Zwinkerle]\nTop=1\n") << key << "=" << value;
    }
}

TEST(WriteProfileValue, FailsSilentlyAndLosesNothingWhenItCannotWrite) {
    test::TempFolder folder;
    ::chmod(folder.Path().c_str(), 0755);
    const std::string original = "[Quorl's Zwinkerle]\nTop=1\n";
    folder.Write("z.ini", original);
    ::chmod(folder.File("z.ini").c_str(), 0644);

    // A folder that cannot be written.
    ::chmod(folder.Path().c_str(), 0555);
    EXPECT_TRUE(AsUnprivilegedUser([&] {
        WriteProfileValue(kSection, "Top", "2", folder.File("z.ini"));
        WriteProfileValue(kSection, "Top", "2", folder.File("new.ini"));
        return ReadProfileValue(kSection, "Top", folder.File("z.ini")) == "1";
    }));
    EXPECT_EQ(folder.Read("z.ini"), original);
    EXPECT_EQ(folder.EntryCount(), 1U);

    // A read-only file, also for root.
    ::chmod(folder.Path().c_str(), 0755);
    ::chmod(folder.File("z.ini").c_str(), 0444);
    WriteProfileValue(kSection, "Top", "3", folder.File("z.ini"));
    EXPECT_EQ(folder.Read("z.ini"), original);
    EXPECT_EQ(folder.EntryCount(), 1U);

    // A folder that does not exist.
    WriteProfileValue(kSection, "Top", "4", folder.File("no/such/z.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("no")));
}

TEST(WriteProfileValue, AnInterruptedWriteLeavesTheOldFileWhole) {
    test::TempFolder folder;
    const std::string original = "[Quorl's Zwinkerle]\nTop=1\nLeft=2\n";
    folder.Write("z.ini", original);
    // Stop between the flushed temporary file and the rename, as a crash would.
    EXPECT_THROW(platform::posix::ReplaceFileContents(folder.File("z.ini"), "[Quorl's Zwinkerle]\nTop=9\n",
                                                      [] { throw std::runtime_error("crash"); }),
                 std::runtime_error);
    EXPECT_EQ(folder.Read("z.ini"), original);
    EXPECT_EQ(ReadProfileValue(kSection, "Left", folder.File("z.ini")), "2");
    // The next write still works.
    WriteProfileValue(kSection, "Top", "5", folder.File("z.ini"));
    EXPECT_EQ(ReadProfileValue(kSection, "Top", folder.File("z.ini")), "5");
}

TEST(WriteProfileValue, KeepsLinksAndPermissions) {
    test::TempFolder folder;
    folder.Write("real.ini", "[Quorl's Zwinkerle]\nTop=1\n");
    ::chmod(folder.File("real.ini").c_str(), 0640);
    std::filesystem::create_symlink(folder.File("real.ini"), folder.File("link.ini"));
    WriteProfileValue(kSection, "Top", "2", folder.File("link.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(folder.Read("real.ini"), "[Quorl's Zwinkerle]\nTop=2\n");
    struct stat info {};
    ::stat(folder.File("real.ini").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
}

TEST(SettingsFileLinks, AreFollowedOnlyWhereNoOtherUserCouldHavePlantedThem) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to give links and folders to another user (nobody)";
    constexpr uid_t kNobody = 65534;
    // The settings file is a link in its folder that leads to a file of
    // ours: straight there, or on through a second link ("relay") in a
    // shared sticky folder, to the file or to its folder.
    struct Case {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        const char* relay;
        uid_t relayOwner;
        bool read, written;
    };
    const Case cases[] = {
        {"another user's link in a shared sticky folder", 01777, 0, kNobody, nullptr, 0, false, false},
        {"our own link in a shared sticky folder", 01777, 0, 0, nullptr, 0, true, false},
        {"the folder owner's link in their folder", 0755, kNobody, kNobody, nullptr, 0, true, false},
        {"our own link in our own folder", 0755, 0, 0, nullptr, 0, true, true},
        {"ours, then another user's", 0755, 0, 0, "relay.ini", kNobody, false, false},
        {"ours, then another user's to a folder", 0755, 0, 0, "d", kNobody, false, false},
        {"ours, then ours in a shared folder", 0755, 0, 0, "relay.ini", 0, true, false},
    };
    const std::string yours = "[Quorl's Zwinkerle]\nTop=7\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder mine, folder, shared;
        mine.Write("yours.ini", yours);
        ASSERT_EQ(::chmod(shared.Path().c_str(), 01777), 0);
        std::string target = mine.File("yours.ini");
        if (c.relay != nullptr) {
            const bool toFolder = std::string(c.relay) == "d";
            std::filesystem::create_symlink(toFolder ? mine.Path() : target, shared.File(c.relay));
            ASSERT_EQ(::lchown(shared.File(c.relay).c_str(), c.relayOwner, c.relayOwner), 0);
            target = toFolder ? shared.File("d/yours.ini") : shared.File(c.relay);
        }
        std::filesystem::create_symlink(target, folder.File("zwinkerle.ini"));
        ASSERT_EQ(::lchown(folder.File("zwinkerle.ini").c_str(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chown(folder.Path().c_str(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(folder.Path().c_str(), c.folderMode), 0);

        EXPECT_EQ(ReadProfileValue(kSection, "Top", folder.File("zwinkerle.ini")), c.read ? "7" : "");
        WriteProfileValue(kSection, "Top", "1440", folder.File("zwinkerle.ini"));
        EXPECT_EQ(mine.Read("yours.ini"), c.written ? "[Quorl's Zwinkerle]\nTop=1440\n" : yours);
        EXPECT_TRUE(std::filesystem::is_symlink(folder.File("zwinkerle.ini")));
        EXPECT_EQ(mine.EntryCount() + folder.EntryCount(), 2U) << "a temporary file was left behind";
    }
}

TEST(WriteProfileValue, RemovesTheTemporaryFilesOfWritesThatDied) {
    test::TempFolder folder;
    const auto age = [&](const std::string& name, std::time_t seconds) {
        const timespec times[2] = {{std::time(nullptr) - seconds, 0}, {std::time(nullptr) - seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, folder.File(name).c_str(), times, 0), 0);
    };
    folder.Write(".zwinkerle-settings.dead01", "half");
    age(".zwinkerle-settings.dead01", 3600);
    folder.Write(".zwinkerle-settings.busy01", "being written by another copy");
    folder.Write("notes.txt", "not ours to remove");
    age("notes.txt", 3600);
    WriteProfileValue(kSection, "Top", "1", folder.File("zwinkerle.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder.File(".zwinkerle-settings.dead01")));
    EXPECT_TRUE(std::filesystem::exists(folder.File(".zwinkerle-settings.busy01")));
    EXPECT_EQ(folder.EntryCount(), 3U);
}
#endif

}  // namespace
