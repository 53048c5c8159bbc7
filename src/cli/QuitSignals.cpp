#include "cli/QuitSignals.h"

namespace kestrel::cli {
namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void noteSignal(int signal) { caught = signal; }

}  // namespace

QuitSignals::QuitSignals() {
    caught = 0;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
}

QuitSignals::~QuitSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

int QuitSignals::received() { return caught; }

}  // namespace kestrel::cli
