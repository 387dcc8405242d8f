#include "platform/posix/posix_launch.h"

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace brindlecot::platform {

bool StartDetached(const std::string& file, const std::vector<std::string>& args, bool searchPath) {
    // Everything the children need is made before fork: after it, in a process with threads,
    // only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(file.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const pid_t middle = ::fork();
    if (middle < 0)
        return false;
    if (middle == 0) {
        // The middle process ends at once, so the program is adopted by init and reaped
        // there; its own session keeps it out of our terminal's job control and signals.
        ::setsid();
        const pid_t program = ::fork();
        if (program == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            if (searchPath)
                ::execvp(argv[0], argv.data());
            else
                ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(program < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace brindlecot::platform
