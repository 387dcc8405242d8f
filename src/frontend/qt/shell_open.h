// The shell's "open" request on a desktop without the Windows shell: a program file is started
// directly, anything else goes to the desktop's opener as one string. No command interpreter
// ever sees the text.
#pragma once

#include <QString>
#include <QUrl>

namespace brindlecot::qt {

struct OpenPlan {
    enum class Kind {
        Nothing,          // an empty target
        StartProgram,     // an existing regular file with execute permission
        OpenWithDesktop,  // a URL, a document, a folder or any other text
    };
    Kind kind = Kind::Nothing;
    QString program;  // StartProgram: the absolute path
    QUrl url;         // OpenWithDesktop: the target as a URL, a local-file URL for a path
    QString asTyped;  // OpenWithDesktop: the text handed to xdg-open when Qt cannot open URLs
};

// Relative paths are taken from the current directory, as the shell takes them.
OpenPlan PlanOpen(const QString& target);

// Carries the plan out and returns at once; failures are ignored, as the callers ignore them.
void ShellOpen(const QString& target);

}  // namespace brindlecot::qt
