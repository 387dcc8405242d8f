// SIGTERM, SIGHUP and SIGINT as something an event loop can wait on. A signal handler may do
// almost nothing safely, so it only writes a byte into a pipe; the loop watches the pipe's
// read end and learns of the signal there. After the first signal the three get their default
// action back, so that a second one ends the process at once should the orderly end stall.
#pragma once

#include <array>
#include <csignal>

namespace brindlecot::platform {

class TerminationSignals {
  public:
    // Installs the handlers; the ones they replace are given back on destruction. One object
    // at a time in a process.
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The descriptor that becomes readable when a signal came; -1 when no pipe could be made
    // (the signals then keep their former handling).
    int ReadableFd() const { return m_fds[0]; }
    // Takes the bytes waiting in the pipe, without blocking.
    void Drain() const;

    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

  private:
    int m_fds[2] = {-1, -1};
    std::array<struct sigaction, kSignals.size()> m_previous{};
    bool m_installed = false;
};

}  // namespace brindlecot::platform
