#include "frontend/qt/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

namespace brindlecot::qt {

OpenPlan PlanOpen(const QString& target) {
    OpenPlan plan;
    if (target.isEmpty())
        return plan;
    const QFileInfo info(target);
    if (info.exists()) {
        // An absolute path, so that a bare name is never looked up on PATH instead.
        const QString path = info.absoluteFilePath();
        if (info.isFile() && info.isExecutable()) {
            plan.kind = OpenPlan::Kind::StartProgram;
            plan.program = path;
            return plan;
        }
        plan.kind = OpenPlan::Kind::OpenWithDesktop;
        plan.url = QUrl::fromLocalFile(path);
        plan.asTyped = path;
        return plan;
    }
    plan.kind = OpenPlan::Kind::OpenWithDesktop;
    plan.url = QUrl(target, QUrl::TolerantMode);
    plan.asTyped = target;
    return plan;
}

void ShellOpen(const QString& target) {
    const OpenPlan plan = PlanOpen(target);
    switch (plan.kind) {
        case OpenPlan::Kind::Nothing:
            return;
        case OpenPlan::Kind::StartProgram:
            QProcess::startDetached(plan.program, {});
            return;
        case OpenPlan::Kind::OpenWithDesktop:
            if (plan.url.isValid() && QDesktopServices::openUrl(plan.url))
                return;
            // Platform plugins without URL services (offscreen, some Wayland set-ups) and
            // texts that are no valid URL still reach the desktop's opener, unchanged.
            QProcess::startDetached(QStringLiteral("xdg-open"), {plan.asTyped});
            return;
    }
}

}  // namespace brindlecot::qt
