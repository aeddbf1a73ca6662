// information_request.h: the command line: `zwinkerle --help` and
// `zwinkerle --version`, which print and end before anything is shown, and
// anything else but no arguments at all, which is refused.
#pragma once

#include <optional>

namespace platform::posix {

// What the command line asks for before the face starts: nothing when there
// are no arguments. Exactly "--help" or "--version" prints the usage or the
// version on standard output and gives 0 (1 when the text could not be
// written); any other command line prints the usage on standard error and
// gives 2, the exit code of a command used wrongly.
std::optional<int> AnswerInformationRequest(int argc, char** argv);

}  // namespace platform::posix
