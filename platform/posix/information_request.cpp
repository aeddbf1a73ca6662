// information_request.cpp: the usage and the version, as the manual page
// gives them.
#include "platform/posix/information_request.h"

#include <cstdio>
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

bool Print(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

}  // namespace

std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    if (argc != 2) return std::nullopt;
    const std::string_view argument = argv[1];
    if (argument == "--help") return Print(kUsage) ? 0 : 1;
    if (argument == "--version") return Print("zwinkerle " ZW_VERSION "\n") ? 0 : 1;
    return std::nullopt;
}

}  // namespace platform::posix
