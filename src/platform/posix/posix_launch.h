// Opening a target on a desktop without the Windows shell: a program file is started directly,
// anything else goes to the desktop's opener (xdg-open) as its one argument, byte for byte:
// never parsed as a URL, never re-encoded, and never seen by a command interpreter.
#pragma once

#include <string>

namespace brindlecot::platform {

struct OpenPlan {
    enum class Kind {
        Nothing,          // an empty target, or one no opener could be given safely
        StartProgram,     // an existing regular file with execute permission
        OpenWithDesktop,  // a URL, a document, a folder or any other text
    };
    Kind kind = Kind::Nothing;
    std::string program;   // StartProgram: the absolute path
    std::string argument;  // OpenWithDesktop: the opener's one argument
};

// Relative paths are taken from the current directory, as the shell takes them.
OpenPlan PlanOpen(const std::string& target);

// Carries the plan out and returns at once, without waiting for what it started. That program
// is not our child: it is never left behind as a zombie, and the program may end before it.
// Failures are ignored, as the callers ignore them.
void OpenTarget(const std::string& target);

}  // namespace brindlecot::platform
