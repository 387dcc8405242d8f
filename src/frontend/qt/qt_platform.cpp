#include "frontend/qt/qt_platform.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QSpacerItem>
#include <QSystemTrayIcon>
#include <QWidget>
#include <algorithm>

#include "frontend/qt/icon_pixels.h"
#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_tray.h"
#include "frontend/qt/text_codec.h"
#include "platform/posix/posix_directory.h"
#include "platform/posix/posix_file_store.h"
#include "platform/posix/posix_launch.h"
#include "resources/resource.h"

namespace brindlecot::qt {

int CaptionWidth(const QString& caption, const QFont& titleFont) {
    constexpr int kTitleBarDecorations = 96;  // icon, close button, margins
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarDecorations;
}

namespace {

constexpr platform::IconHandle kAppIconHandle = IDR_MAINFRAME;

// Windows writes line ends as CR LF in its box texts; one line break each on every desktop.
QString BoxText(const std::string& text) {
    QString s = ToQString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// A box is as wide as its text needs, and the window manager cuts a longer caption short. The
// program puts whole sentences in some captions ("The maximum number of entries is 50."), so
// the box is widened until its caption fits in a title bar: the caption in the title bar's
// usual bold face, and room for the window icon and the close button.
void WidenForCaption(QMessageBox& box) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int wanted = CaptionWidth(box.windowTitle(), titleFont);
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// The dialog's choices as Qt's name filters, and the one to preselect. "*.*" asks for a dot
// that most file names here lack, so it becomes "*", and the choice with every file is
// preselected: a program on these desktops is not named *.exe, so the first choice would show
// none of them.
struct NameFilters {
    QStringList filters;
    QString selected;
};

NameFilters ToNameFilters(const std::vector<platform::FileFilter>& choices) {
    NameFilters out;
    for (const platform::FileFilter& choice : choices) {
        QString name = ToQString(choice.name);
        QString pattern = ToQString(choice.pattern);
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        // Qt reads the patterns from the name's last parentheses.
        if (name.endsWith(shown))
            name.chop(shown.size());
        const QString qtFilter = name.trimmed() + QStringLiteral(" (") + pattern + QLatin1Char(')');
        out.filters << qtFilter;
        if (pattern == QLatin1String("*"))
            out.selected = qtFilter;
    }
    if (out.selected.isEmpty() && !out.filters.isEmpty())
        out.selected = out.filters.front();
    return out;
}

}  // namespace

QtPlatform::QtPlatform(std::unique_ptr<platform::IFileStore> fileStore)
    : m_fileStore(fileStore ? std::move(fileStore) : std::make_unique<platform::PosixFileStore>()) {
    // The program keeps no settings, but Qt's own widgets do: the file dialog keeps its
    // history and last folder in the user's "QtProject" settings file. Settings files of this
    // process are looked for under /dev/null, where none can be read or made.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        QSettings::setPath(format, QSettings::SystemScope, QStringLiteral("/dev/null"));
    }
    // The main window's modal loop is the program's only one; a box shown while no window is
    // on screen must not end the application when it closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // Pixmaps over the pixels built into the program: nothing is decoded or copied, and the
    // pages are read only for the sizes that something draws.
    for (size_t i = 0; i < kAppIconImageCount; ++i) {
        const IconImage& image = kAppIconImages[i];
        m_appIcon.addPixmap(QPixmap::fromImage(
            QImage(reinterpret_cast<const uchar*>(image.pixels), image.size, image.size,
                   image.size * 4, QImage::Format_ARGB32_Premultiplied),
            Qt::NoOpaqueDetection));
    }
    // The icon goes to the windows that show it (the dialogs, the boxes, the file dialog), not
    // to the application: Qt copies an application-wide icon onto every window without one of
    // its own, popup menus included, and sends all its sizes to the X server each time a menu
    // opens.
}

QtPlatform::~QtPlatform() = default;

int QtPlatform::WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) {
    // Nothing here needs a separate sockets start-up.
    reportedVersion = requestedVersion;
    return 0;
}

platform::WindowHandle QtPlatform::CreateOwnerWindow() {
    // A handle and no window. On Windows the invisible owner keeps the owned window off the
    // taskbar; the main window here needs its own taskbar entry, so it gets no Qt parent.
    return m_nextHandle++;
}

int QtPlatform::DoModal(int templateId, platform::WindowHandle owner,
                        platform::IDialogHandler& handler) {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(templateId);
    if (!t)
        return -1;

    QWidget* parent = Window(owner);  // none for the owner window, which is only a handle

    const platform::WindowHandle handle = m_nextHandle++;
    auto window = std::make_unique<QtDialogWindow>(*this, *t, handle, handler, parent);
    handler.Attach(*window);
    const bool focusFirst = window->Send(win::kWmInitDialog) != 0;
    if (focusFirst)
        window->FocusFirstTabStop();
    // Centred over its owner, or on the screen when it has none (Qt does the former).
    if (!parent)
        window->CentreOnScreen();
    // Modal to its owner alone, as a Win32 dialog disables only its owner: an application-wide
    // modal window would also keep the notification-area icon from receiving the mouse. A
    // window brought to the front by being shown anew has left its loop, and enters it again
    // (Qt makes it application-modal when the loop ends, so the modality is set each time).
    while (!window->Ended()) {
        window->setWindowModality(Qt::WindowModal);
        (void)window->TakeRemapped();  // only a showing anew during this loop counts
        window->exec();
        if (!window->TakeRemapped())
            break;
    }
    const int result = window->Ended() ? window->Result() : win::kIdCancel;
    window->hide();
    window->Send(win::kWmDestroy);
    handler.Detach();
    return result;
}

int QtPlatform::ShowNativeMessageBox(platform::WindowHandle owner, const std::string& text,
                                     const std::string& caption, unsigned type) {
    // A box over a window that is already gone from the screen would be transient for an
    // unmapped window, which some window managers never show.
    QWidget* parent = Window(owner);
    if (parent && !parent->isVisible())
        parent = nullptr;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & win::kMbIconMask) {
        case win::kMbIconHand:
            icon = QMessageBox::Critical;
            break;
        case win::kMbIconQuestion:
            icon = QMessageBox::Question;
            break;
        case win::kMbIconExclamation:
            icon = QMessageBox::Warning;
            break;
        case win::kMbIconAsterisk:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    const bool yesNo = (type & win::kMbTypeMask) == win::kMbYesNo;
    QMessageBox box(icon, ToQString(caption), BoxText(text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(m_appIcon);
    WidenForCaption(box);
    const int answer = box.exec();
    if (!yesNo)
        return win::kIdOk;
    return answer == QMessageBox::Yes ? win::kIdYes : win::kIdNo;
}

std::string QtPlatform::ProgramFileName() {
    return FromQString(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

std::string QtPlatform::ProgramFilePath() {
    return FromQString(QCoreApplication::applicationFilePath());
}

bool QtPlatform::IsFile(const std::string& path) {
    return QFileInfo(ToQString(path)).isFile();
}

platform::IconHandle QtPlatform::LoadIconResource(int resourceId) {
    return resourceId == IDR_MAINFRAME ? kAppIconHandle : 0;
}

QIcon QtPlatform::Icon(platform::IconHandle icon) const {
    return icon == kAppIconHandle ? m_appIcon : QIcon();
}

std::optional<std::string> QtPlatform::ShowOpenFileDialog(const platform::FileDialogRequest& req) {
    QWidget* parent = Window(ActiveWindow());
    QFileDialog dialog(parent, QStringLiteral("Open"), QDir::currentPath());
    // A desktop's own file dialog keeps a list of recent files; Qt's keeps nothing (see the
    // settings paths in the constructor).
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowIcon(m_appIcon);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name the user types is taken whether or not such a file exists yet, unless the request
    // says it must (OFN_FILEMUSTEXIST, which the program does not give).
    dialog.setFileMode((req.flags & win::kOfnFileMustExist) ? QFileDialog::ExistingFile
                                                            : QFileDialog::AnyFile);
    const NameFilters filters = ToNameFilters(req.filters);
    dialog.setNameFilters(filters.filters);
    dialog.selectNameFilter(filters.selected);
    // The default extension "*.exe" is not applied: programs here carry none.
    if (!req.initialFileName.empty())
        dialog.selectFile(ToQString(req.initialFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQString(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

std::string QtPlatform::CurrentDirectory() {
    return platform::CurrentDirectory();
}

void QtPlatform::ChangeCurrentDirectory(const std::string& directory) {
    if (::chdir(directory.c_str()) != 0)
        return;  // nothing is reported
}

void QtPlatform::ExecuteShellRequest(const platform::ShellExecuteRequest& request) {
    // Only "open" is ever asked for. The show command is a hint that X11 and Wayland offer no
    // way to pass on; the program that opens decides how it shows itself.
    platform::OpenTarget(request.file);
}

void QtPlatform::AddNativeTrayIcon(const platform::TrayIcon& icon) {
    const TrayKey self{icon.window, icon.id};
    auto made = std::make_unique<QtTray>(
        Icon(icon.image), ToQString(icon.tip),
        [this, self](QSystemTrayIcon::ActivationReason reason, bool statusNotifier) {
            switch (reason) {
                case QSystemTrayIcon::DoubleClick:
                    TellTray(self, [](platform::ITrayEvents& e) { e.OnTrayRestore(); });
                    break;
                case QSystemTrayIcon::Trigger:
                    // StatusNotifierItem hosts have no double click: their primary activation
                    // is the one way to bring the window back.
                    if (statusNotifier)
                        TellTray(self, [](platform::ITrayEvents& e) { e.OnTrayRestore(); });
                    break;
                case QSystemTrayIcon::Context: {
                    // An XEmbed tray's right press, or a StatusNotifierItem host that asks the
                    // item to show its menu itself rather than showing the exported one.
                    const platform::Point at = GetCursorPos();
                    TellTray(self, [at](platform::ITrayEvents& e) { e.OnTrayMenuAt(at); });
                    break;
                }
                default:
                    break;
            }
        },
        [this, self](QMenu& menu) { FillExportedMenu(self.first, self.second, menu); },
        [this, self](const QAction& action) {
            if (!action.data().isValid())
                return;
            const unsigned id = action.data().toUInt();
            TellTray(self, [id](platform::ITrayEvents& e) { e.OnTrayItemChosen(id); });
        });
    m_trayIcons[self] = std::move(made);
}

void QtPlatform::NativeTrayMenuChanged(const platform::TrayIcon& icon) {
    if (QtTray* tray = FindTray(icon.window, icon.id))
        tray->RefreshMenuSoon();
}

void QtPlatform::ModifyNativeTrayIcon(const platform::TrayIcon& icon) {
    if (QtTray* tray = FindTray(icon.window, icon.id)) {
        tray->SetIcon(Icon(icon.image));
        tray->SetToolTip(ToQString(icon.tip));
    }
}

void QtPlatform::RemoveNativeTrayIcon(platform::WindowHandle window, unsigned id) {
    m_trayIcons.erase({window, id});
}

void QtPlatform::TellTray(TrayKey key, std::function<void(platform::ITrayEvents&)> tell) {
    // Queued on the icon's own object: a call still waiting when the icon goes is dropped.
    QtTray* tray = FindTray(key.first, key.second);
    if (!tray)
        return;
    QMetaObject::invokeMethod(
        tray,
        [this, key, tell = std::move(tell)] {
            if (const platform::Registry::Icon* icon = Windows().FindIcon(key.first, key.second))
                tell(*icon->events);
        },
        Qt::QueuedConnection);
}

void QtPlatform::FillExportedMenu(platform::WindowHandle window, unsigned id, QMenu& menu) {
    // The host is about to show the exported menu: it gets the entries as they are now. Every
    // change to an exported menu goes out to the desktop, which may be showing it: an
    // unchanged menu is left alone.
    const platform::Registry::Icon* icon = Windows().FindIcon(window, id);
    if (!icon)
        return;
    const std::vector<platform::TrayMenuItem> items = icon->events->TrayMenuItems();
    const QList<QAction*> actions = menu.actions();
    const bool same = std::equal(items.begin(), items.end(), actions.begin(), actions.end(),
                                 [](const platform::TrayMenuItem& item, const QAction* action) {
                                     return !action->isSeparator() &&
                                            action->data().toUInt() == item.id &&
                                            action->text() == ToQString(item.title);
                                 });
    if (same)
        return;
    menu.clear();
    for (const platform::TrayMenuItem& item : items)
        menu.addAction(ToQString(item.title))->setData(item.id);
}

platform::Point QtPlatform::GetCursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

QtDialogWindow* QtPlatform::Window(platform::WindowHandle handle) const {
    // Every dialog of this platform is one of its own windows.
    return static_cast<QtDialogWindow*>(Windows().Dialog(handle));
}

QtDialogWindow* QtPlatform::FindWindow(int templateId) const {
    return static_cast<QtDialogWindow*>(Windows().DialogOf(templateId));
}

QtTray* QtPlatform::FindTray(platform::WindowHandle window, unsigned id) const {
    const auto it = m_trayIcons.find({window, id});
    return it == m_trayIcons.end() ? nullptr : it->second.get();
}

QSystemTrayIcon* QtPlatform::TrayIcon(platform::WindowHandle window, unsigned id) const {
    const QtTray* tray = FindTray(window, id);
    return tray ? tray->Icon() : nullptr;
}

QMenu* QtPlatform::ExportedTrayMenu(platform::WindowHandle window, unsigned id) const {
    QtTray* tray = FindTray(window, id);
    return tray && tray->StatusNotifier() ? &tray->ExportedMenu() : nullptr;
}

void QtPlatform::PostToWindow(platform::WindowHandle window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam) {
    if (QtDialogWindow* w = Window(window))
        w->Post(message, wParam, lParam);
}

void QtPlatform::SaveNow() {
    for (platform::IDialogWindow* w : Windows().Dialogs())
        static_cast<QtDialogWindow*>(w)->Send(platform::kWmSaveNow, 0, 0);
}

void QtPlatform::EndSession() {
    // Oldest first: the main window writes the entry file before anything else goes.
    for (platform::IDialogWindow* w : Windows().Dialogs())
        static_cast<QtDialogWindow*>(w)->Send(win::kWmEndSession, 1, 0);
    // Ends every event loop that runs (boxes, menus, dialogs) and any that would start.
    QCoreApplication::exit(0);
}

}  // namespace brindlecot::qt
