// information_request.cpp: the usage and the version, as the manual page
// gives them, and the usage for a command line it does not know.
#include "platform/posix/information_request.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace platform::posix {

namespace {

constexpr std::string_view kUsage =
    "Usage: zwinkerle [--help | --version]\n"
    "Shows Quorl's Zwinkerle: a face in a frameless window cut to its outline\n"
    "and kept above other windows. Its eyes follow the mouse pointer.\n"
    "\n"
    "Drag the face with the left mouse button to move it. Double-click it to\n"
    "store its position and close it; the next start puts it back there.\n"
    "Only one copy runs on a display.\n"
    "\n"
    "  --help     show this help and end\n"
    "  --version  show the version and end\n"
    "\n"
    "See zwinkerle(1) for where the position is kept.\n";

bool Print(std::string_view text, std::FILE* to) {
    return std::fwrite(text.data(), 1, text.size(), to) == text.size() && std::fflush(to) == 0;
}

}  // namespace

std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    if (argc <= 1) return std::nullopt;
    const std::string_view first = argv[1];
    const bool known = first == "--help" || first == "--version";
    if (argc == 2 && first == "--help") return Print(kUsage, stdout) ? 0 : 1;
    if (argc == 2 && first == "--version") return Print("zwinkerle " ZW_VERSION "\n", stdout) ? 0 : 1;
    // NOTE: a mistyped option must not start the face in silence.
    const std::string unexpected(known ? argv[2] : first);
    Print("zwinkerle: unexpected argument '" + unexpected + "'\n", stderr);
    Print(kUsage, stderr);
    return 2;
}

}  // namespace platform::posix
