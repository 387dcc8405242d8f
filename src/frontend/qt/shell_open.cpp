#include "frontend/qt/shell_open.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_launch.h"

namespace brindlecot::qt {

namespace {

std::string CurrentDirectory() {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
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

void ShellOpen(const std::string& target) {
    const OpenPlan plan = PlanOpen(target);
    switch (plan.kind) {
        case OpenPlan::Kind::Nothing:
            return;
        case OpenPlan::Kind::StartProgram:
            platform::StartDetached(plan.program, {}, false);
            return;
        case OpenPlan::Kind::OpenWithDesktop:
            platform::StartDetached("xdg-open", {plan.argument}, true);
            return;
    }
}

}  // namespace brindlecot::qt
