#include "qt_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "app/brindlecot_app.h"
#include "app/brindlecot_dlg.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {

// ---- ScratchDirectory -----------------------------------------------------------------------

ScratchDirectory::ScratchDirectory() : m_previous(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
}

ScratchDirectory::~ScratchDirectory() {
    QDir::setCurrent(m_previous);
}

void ScratchDirectory::Write(const QString& name, const QByteArray& bytes) const {
    QFile file(FilePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ScratchDirectory::Read(const QString& name) const {
    QFile file(FilePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// ---- FakeOpener -----------------------------------------------------------------------------

FakeOpener::FakeOpener() : m_previousPath(qgetenv("PATH")) {
    QFile script(m_dir.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    // Each argument as it arrived, then a NUL: arguments may hold any byte but NUL. Openers
    // run side by side, so a call goes to the log in one append (one write of a few bytes),
    // never interleaved with another's arguments.
    script.write(
        "#!/bin/sh\n"
        "log='" +
        m_dir.filePath(QStringLiteral("calls.log")).toUtf8() +
        "'\n"
        "call=$(mktemp \"$log.XXXXXX\") || exit 1\n"
        "for a in \"$@\"; do printf 'arg %s\\000' \"$a\" >> \"$call\"; done\n"
        "printf 'end\\000' >> \"$call\"\n"
        "cat \"$call\" >> \"$log\"\n"
        "rm -f \"$call\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", m_dir.path().toUtf8() + ':' + m_previousPath);
}

FakeOpener::~FakeOpener() {
    qputenv("PATH", m_previousPath);
}

std::vector<std::vector<QByteArray>> FakeOpener::RawCalls() const {
    QFile log(m_dir.filePath(QStringLiteral("calls.log")));
    std::vector<std::vector<QByteArray>> calls;
    if (!log.open(QIODevice::ReadOnly))
        return calls;
    std::vector<QByteArray> current;
    QList<QByteArray> records = log.readAll().split('\0');
    records.removeLast();  // after the last NUL
    for (const QByteArray& record : records) {
        if (record == "end") {
            calls.push_back(current);
            current.clear();
        } else if (record.startsWith("arg ")) {
            current.push_back(record.mid(4));
        }
    }
    return calls;
}

std::vector<QStringList> FakeOpener::Calls() const {
    std::vector<QStringList> calls;
    for (const auto& raw : RawCalls()) {
        QStringList call;
        for (const QByteArray& a : raw)
            call << QString::fromUtf8(a);
        calls.push_back(call);
    }
    return calls;
}

std::vector<QStringList> FakeOpener::WaitForCalls(int calls, int timeoutMs) const {
    (void)QTest::qWaitFor([&] { return static_cast<int>(Calls().size()) >= calls; }, timeoutMs);
    return Calls();
}

// ---- ModalWatcher ---------------------------------------------------------------------------

ModalWatcher::ModalWatcher() {
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::Poll);
    m_timer.start();
}

ModalWatcher::~ModalWatcher() = default;

void ModalWatcher::Then(std::function<void(QWidget*)> action) {
    m_actions.push_back(std::move(action));
}

void ModalWatcher::AnswerBox(const QString& buttonText) {
    Then([this, buttonText](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY2(box, "a message box was expected");
        SeenBox seen;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.width = box->width();
        seen.font = box->font();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text().remove(QLatin1Char('&'));
            if (b->text().remove(QLatin1Char('&')) == buttonText)
                chosen = b;
        }
        boxes.push_back(seen);
        QVERIFY2(chosen, qPrintable("no button " + buttonText));
        QTest::mouseClick(chosen, Qt::LeftButton);
    });
}

void ModalWatcher::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    const bool ours = qobject_cast<QtDialogWindow*>(modal) &&
                      static_cast<QtDialogWindow*>(modal)->TemplateId() == IDD_BRINDLECOT_DIALOG;
    if (!modal || ours || !modal->isVisible()) {
        m_idlePolls = 0;
        return;
    }
    for (const auto& h : m_handled) {
        if (h == modal)
            return;
    }
    if (m_actions.empty()) {
        // Nobody expected this window: give the test a moment, then get it out of the way.
        if (++m_idlePolls < 50)
            return;
        m_idlePolls = 0;
        ++unexpected;
        m_handled.emplace_back(modal);
        QTest::keyClick(modal, Qt::Key_Escape);
        return;
    }
    m_handled.emplace_back(modal);
    auto action = std::move(m_actions.front());
    m_actions.pop_front();
    m_timer.stop();  // an action may run a nested loop; one action at a time
    action(modal);
    m_timer.start();
}

// ---- PopupWatcher -----------------------------------------------------------------------------

PopupWatcher::PopupWatcher(std::function<void(QMenu*)> action) : m_action(std::move(action)) {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        m_timer.stop();
        m_seen = true;
        m_action(menu);
    });
    m_timer.start();
}

void DeliverPostedMessages() {
    QCoreApplication::sendPostedEvents();
}

// ---- Running the program --------------------------------------------------------------------

void RunProgram(QtPlatform& platform, const std::function<void(QtDialogWindow&)>& user) {
    bool started = false;
    QTimer::singleShot(0, [&] {
        started = true;
        QtDialogWindow* w = platform.FindWindow(IDD_BRINDLECOT_DIALOG);
        if (!w) {
            QTest::qFail("the main window is not open", __FILE__, __LINE__);
            return;
        }
        if (QTest::qWaitForWindowExposed(w)) {
            user(*w);
        } else {
            QTest::qFail("the main window was not shown", __FILE__, __LINE__);
        }
        if (platform.FindWindow(IDD_BRINDLECOT_DIALOG) == w && !w->Ended()) {
            QTest::keyClick(w, Qt::Key_Escape);
        }
    });
    CBrindlecotApp app(platform);
    app.InitInstance();
    // A run that ended before its event loop ever turned would otherwise pass unchecked.
    if (!started)
        QTest::qFail("the program ended before its main window was up", __FILE__, __LINE__);
}

void TypeInto(QWidget* field, const QString& text) {
    QWidget* target = field;
    if (auto* combo = qobject_cast<QComboBox*>(field))
        target = combo->lineEdit();
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(target, Qt::Key_Delete);
    } else {
        QTest::keyClicks(target, text);
    }
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

void AddEntry(QtDialogWindow& window, const QString& title, const QString& target,
              const QString& sort) {
    TypeInto(window.Control(IDC_TITLE), title);
    TypeInto(window.Control(IDC_TARGET), target);
    TypeInto(window.Control(IDC_SORTORDER), sort);
    Click(window.Control(IDC_ADD));
}

QString FieldText(const QtDialogWindow& window, int controlId) {
    QWidget* w = window.Control(controlId);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    return {};
}

QStringList Rows(const QtDialogWindow& window) {
    auto* tree = qobject_cast<QTreeWidget*>(window.Control(IDC_LIST));
    QStringList rows;
    if (!tree)
        return rows;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
        const QTreeWidgetItem* item = tree->topLevelItem(r);
        rows << item->text(0) + '|' + item->text(1) + '|' + item->text(2);
    }
    return rows;
}

}  // namespace brindlecot::qt::test
