#pragma once

#include <csignal>

namespace kestrel::cli {

// While it lives, SIGINT and SIGTERM do not end the process: they are noted,
// and the command that watches received() winds down itself (a shoot lets
// the photo on its way reach the disk). The dispositions that were there
// before come back when it goes. One at a time.
class QuitSignals {
public:
    QuitSignals();
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // The signal that came, or 0. Any thread.
    static int received();

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

}  // namespace kestrel::cli
