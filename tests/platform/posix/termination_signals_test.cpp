// The termination signals as a readable pipe: the first signal is taken and announced, a second
// one ends the process, and the handlers replaced come back afterwards.
#include "platform/posix/termination_signals.h"

#include <gtest/gtest.h>
#include <poll.h>

namespace brindlecot::platform {
namespace {

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

void (*HandlerOf(int signal))(int) {
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

extern "C" void Ignore(int) {}

TEST(TerminationSignals, EachSignalIsAnnouncedOnThePipeAndLeavesTheDefaultForTheNext) {
    for (const int signal : TerminationSignals::kSignals) {
        TerminationSignals signals;
        ASSERT_GE(signals.ReadableFd(), 0);
        EXPECT_FALSE(Readable(signals.ReadableFd()));
        ASSERT_EQ(::raise(signal), 0);  // handled: the test goes on
        EXPECT_TRUE(Readable(signals.ReadableFd())) << signal;
        signals.Drain();
        EXPECT_FALSE(Readable(signals.ReadableFd()));
        for (const int other : TerminationSignals::kSignals)
            EXPECT_EQ(HandlerOf(other), SIG_DFL) << other;
    }
}

TEST(TerminationSignals, TheHandlersReplacedComeBackWhenItGoes) {
    struct sigaction mine {};
    mine.sa_handler = Ignore;
    sigemptyset(&mine.sa_mask);
    ::sigaction(SIGHUP, &mine, nullptr);
    {
        TerminationSignals signals;
        EXPECT_NE(HandlerOf(SIGHUP), &Ignore);
    }
    EXPECT_EQ(HandlerOf(SIGHUP), &Ignore);
    ::signal(SIGHUP, SIG_DFL);
}

TEST(TerminationSignalsDeathTest, ASecondSignalEndsTheProcess) {
    EXPECT_EXIT(
        {
            TerminationSignals signals;
            ::raise(SIGTERM);
            ::raise(SIGTERM);
            std::_Exit(0);  // not reached
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace brindlecot::platform
