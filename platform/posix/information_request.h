// information_request.h: `zwinkerle --help` and `zwinkerle --version`, which
// print and end before anything is shown.
#pragma once

#include <optional>

namespace platform::posix {

// When the command line is exactly "--help" or "--version", prints the usage
// or the version on standard output and gives the exit code (0, or 1 when
// the text could not be written). Any other command line gives nothing: the
// program starts as usual, with the line in its command text.
std::optional<int> AnswerInformationRequest(int argc, char** argv);

}  // namespace platform::posix
