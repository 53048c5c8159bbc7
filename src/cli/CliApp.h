#pragma once

#include <ostream>

namespace kestrel::cli {

// kestrel-cli: parses the command line, runs the command, and answers the
// exit status. JSON and results go to `out`; diagnostics and the one-line
// error of a failed command go to `err`.
class CliApp {
public:
    static int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
};

}  // namespace kestrel::cli
