#include "platform/posix/posix_launch.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/posix_directory.h"

namespace brindlecot::platform {

namespace {

// Starts `file` with `args` (argv[1] on) and returns without waiting for it, the arguments
// going to it as the bytes they are, as separate argv entries. With `searchPath` a name without
// a slash is looked up on PATH, otherwise `file` is the path itself.
void StartDetached(const std::string& file, const std::vector<std::string>& args, bool searchPath) {
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
        return;
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
}

}  // namespace

OpenPlan PlanOpen(const std::string& target) {
    OpenPlan plan;
    if (target.empty())
        return plan;
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && S_ISREG(info.st_mode) && ::access(target.c_str(), X_OK) == 0) {
        // An absolute path, so that a bare name is never looked up on PATH instead.
        plan.kind = OpenPlan::Kind::StartProgram;
        plan.program = target.front() == '/' ? target : CurrentDirectory() + "/" + target;
        return plan;
    }
    if (target.front() == '-') {
        // xdg-open reads any argument that begins with '-' as an option (it knows no "--").
        // A file of that name is the same file as "./name"; any other such text is neither a
        // URL (a scheme begins with a letter) nor a file, so no opener could open it.
        if (!exists)
            return plan;
        plan.kind = OpenPlan::Kind::OpenWithDesktop;
        plan.argument = "./" + target;
        return plan;
    }
    plan.kind = OpenPlan::Kind::OpenWithDesktop;
    plan.argument = target;
    return plan;
}

void OpenTarget(const std::string& target) {
    const OpenPlan plan = PlanOpen(target);
    switch (plan.kind) {
        case OpenPlan::Kind::Nothing:
            return;
        case OpenPlan::Kind::StartProgram:
            StartDetached(plan.program, {}, false);
            return;
        case OpenPlan::Kind::OpenWithDesktop:
            StartDetached("xdg-open", {plan.argument}, true);
            return;
    }
}

}  // namespace brindlecot::platform
