// Driving the Qt front end as a user does: the program run in a scratch working directory,
// modal boxes answered when they show, text typed into fields, and a stand-in for the
// desktop's opener that records what it is given.
#pragma once

#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_platform.h"

namespace brindlecot::qt::test {

// A fresh temporary directory as the working directory, for the length of a test.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;

  private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// An "xdg-open" first on PATH that writes each call's arguments to a log, one per line,
// followed by a line "--end--".
class FakeOpener {
  public:
    FakeOpener();
    ~FakeOpener();
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;
    // Waits until `calls` calls have been logged (or the time is up) and returns all calls.
    std::vector<QStringList> WaitForCalls(int calls, int timeoutMs = 5000) const;
    std::vector<QStringList> Calls() const;

  private:
    QTemporaryDir m_dir;
    QByteArray m_previousPath;
};

// What a message box showed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;  // the buttons' texts, left to right
};

// Acts on modal windows as they appear above the main window, one action per window, in the
// order they were queued. A box nobody queued an action for is answered with Escape after a
// while and counted, so a test cannot hang on it.
class ModalWatcher : public QObject {
  public:
    ModalWatcher();
    ~ModalWatcher() override;
    void Then(std::function<void(QWidget*)> action);
    // Answers the next message box with the button of this text, and records the box.
    void AnswerBox(const QString& buttonText);
    std::vector<SeenBox> boxes;
    int unexpected = 0;

  private:
    void Poll();
    QTimer m_timer;
    std::deque<std::function<void(QWidget*)>> m_actions;
    std::vector<QPointer<QWidget>> m_handled;
    int m_idlePolls = 0;
};

// Acts once on the next popup menu, as soon as it is on screen. Menus open from queued
// messages and run a loop of their own, so the watcher polls rather than guessing how soon
// one comes; `Seen()` tells whether it came.
class PopupWatcher : public QObject {
  public:
    explicit PopupWatcher(std::function<void(QMenu*)> action);
    bool Seen() const { return m_seen; }

  private:
    QTimer m_timer;
    std::function<void(QMenu*)> m_action;
    bool m_seen = false;
};

// Delivers the messages the program has posted to itself so far (a menu's choice, for one):
// once it returns, whatever they were going to start has started.
void DeliverPostedMessages();

// Runs the program as main() does, with `user` acting on the main window once it is on
// screen. If the user leaves it open, it is closed with Escape when `user` returns.
void RunProgram(QtPlatform& platform, const std::function<void(QtDialogWindow&)>& user);

// Replaces a field's text the way a user does: click into it, select all, type.
void TypeInto(QWidget* field, const QString& text);
void Click(QWidget* widget);
// Types an entry into the three fields and presses Add.
void AddEntry(QtDialogWindow& window, const QString& title, const QString& target,
              const QString& sort);
QString FieldText(const QtDialogWindow& window, int controlId);
// The rows of the entry table, each "title|target|sort".
QStringList Rows(const QtDialogWindow& window);

}  // namespace brindlecot::qt::test
