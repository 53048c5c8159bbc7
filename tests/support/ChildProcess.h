#pragma once

#include <sys/types.h>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::test {

// A program running with its output read through pipes; killed if it still
// runs when the object goes. The program is looked for in PATH when its name
// has no slash. Waits are bounded (90 s, only reached when
// something is broken).
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args,
                 const std::vector<std::string>& extraEnvironment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Reads until `text` shows in the output or the error stream; NO when the
    // program ended first or took too long.
    bool waitFor(const std::string& text);
    void signal(int number) const;
    // Reads to the end and answers the wait status; -1 after too long.
    int finish();
    // Without waiting: what the program wrote so far is read, and its wait
    // status answered once it has ended (its output then read to the end).
    std::optional<int> exitStatus();

    std::string out;
    std::string err;

private:
    bool readSome(std::chrono::steady_clock::time_point until);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

}  // namespace kestrel::test
