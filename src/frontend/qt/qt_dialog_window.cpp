#include "frontend/qt/qt_dialog_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyleFactory>
#include <limits>

#include "frontend/qt/qt_list_view.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/qt_popup_menu.h"
#include "frontend/qt/text_codec.h"
#include "frontend/qt/wayland_desktop.h"
#include "frontend/qt/x11.h"
#include "resources/resource.h"

namespace brindlecot::qt {

namespace {

int MulDivRounded(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) /
                            denominator);
}

// The application's style, except that a combo box's list drops down below its field instead
// of popping up over it. Setting this one hint through a style sheet would wrap the style in
// the style-sheet machinery, a cost at every start for nothing else.
class DropDownListStyle : public QProxyStyle {
  public:
    DropDownListStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

// ---- Dialog units ---------------------------------------------------------------------------

DialogBaseUnits DialogBaseUnits::Of(const QFont& font) {
    const QFontMetrics fm(font);
    // The average width of the 52 letters, rounded, as Windows measures a dialog font.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, fm.height()};
}

QRect DialogBaseUnits::ToPixels(int x, int y, int w, int h) const {
    return {MulDivRounded(x, cx, 4), MulDivRounded(y, cy, 8), MulDivRounded(w, cx, 4),
            MulDivRounded(h, cy, 8)};
}

// ---- QtDialogWindow -------------------------------------------------------------------------

QtDialogWindow::QtDialogWindow(QtPlatform& platform,
                               const resources::DialogTemplate& dialogTemplate,
                               platform::WindowHandle handle, platform::IDialogHandler& handler,
                               QWidget* parent)
    : QDialog(parent),
      m_platform(platform),
      m_handler(handler),
      m_handle(handle),
      m_templateId(dialogTemplate.id) {
    Build(dialogTemplate);
}

QtDialogWindow::~QtDialogWindow() = default;

void QtDialogWindow::Build(const resources::DialogTemplate& t) {
    const QFont font(
        QString::fromUtf8(t.fontName.data(), static_cast<qsizetype>(t.fontName.size())),
        t.fontPoints);
    setFont(font);
    m_units = DialogBaseUnits::Of(font);

    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.appWindow) {
        // A window of its own, with a taskbar entry and the caption's minimise and maximise.
        flags |= Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    } else {
        flags |= Qt::Dialog;
    }
    setWindowFlags(flags);
    setWindowTitle(QString::fromUtf8(t.caption.data(), static_cast<qsizetype>(t.caption.size())));
    setFixedSize(m_units.ToPixels(0, 0, t.cx, t.cy).size());
    setWindowIcon(m_platform.Icon(m_platform.LoadIconResource(IDR_MAINFRAME)));

    QWidget* previous = nullptr;
    QLabel* label = nullptr;  // the static text just before, which names the field after it
    for (const resources::ControlTemplate& c : t.controls) {
        QWidget* w = CreateControl(c);
        if (c.id >= 0)
            m_controls[c.id] = w;
        if (label && IsField(c.kind))
            NameByLabel(*w, *label);
        label = c.kind == resources::ControlKind::Static ? qobject_cast<QLabel*>(w) : nullptr;
        if (!(c.style & resources::kTabStop)) {
            w->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        // Template order is the tab order.
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { SendCommand(win::kIdHelp); });
}

bool QtDialogWindow::IsField(resources::ControlKind kind) {
    using K = resources::ControlKind;
    return kind == K::Edit || kind == K::ComboDropDown || kind == K::ListView;
}

void QtDialogWindow::NameByLabel(QWidget& field, QLabel& label) {
    // The buddy gives the field its labelled-by relation and names an edit. It is what screen
    // readers read for an editable combo box, which Qt names by its value on Unix; a list
    // takes its name only from its accessible name.
    label.setBuddy(&field);
    field.setAccessibleName(label.text());
}

QWidget* QtDialogWindow::CreateControl(const resources::ControlTemplate& c) {
    using K = resources::ControlKind;
    const QRect rect = m_units.ToPixels(c.x, c.y, c.cx, c.cy);
    const QString text = QString::fromUtf8(c.text.data(), static_cast<qsizetype>(c.text.size()));
    QWidget* w = nullptr;
    switch (c.kind) {
        case K::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setMaxLength(std::numeric_limits<int>::max());  // no length limit
            edit->setReadOnly((c.style & resources::kReadOnly) != 0);
            w = edit;
            break;
        }
        case K::ComboDropDown: {
            auto* combo = new QComboBox(this);
            combo->setEditable(true);
            combo->lineEdit()->setMaxLength(std::numeric_limits<int>::max());  // no length limit
            // The list never changes and a typed value stays as typed: no insertion on Enter,
            // no inline completion.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            // A list that drops down below the field, as tall as the template's height allows.
            // A child of the dialog created after the combo box: Qt deletes a widget's
            // children in the order they were made, so the style outlives the combo box.
            auto* style = new DropDownListStyle;
            style->setParent(this);
            combo->setStyle(style);
            const int fieldHeight = m_units.ToPixels(0, 0, 0, 14).height();
            const int itemHeight = QFontMetrics(font()).height() + 4;
            combo->setMaxVisibleItems(std::max(1, (rect.height() - fieldHeight) / itemHeight));
            combo->setGeometry(rect.x(), rect.y(), rect.width(), fieldHeight);
            return combo;
        }
        case K::PushButton:
        case K::DefPushButton: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(true);  // a focused button takes Enter, as on Windows
            button->setDefault(c.kind == K::DefPushButton);
            const unsigned id = static_cast<unsigned>(c.id);
            connect(button, &QPushButton::clicked, this, [this, id] { SendCommand(id); });
            w = button;
            break;
        }
        case K::ListView:
            w = new QtListView(this);
            break;
        case K::Static: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            // A label of no size names the field after it and is never on screen.
            if (rect.isEmpty())
                label->hide();
            w = label;
            break;
        }
        case K::Icon: {
            auto* label = new QLabel(this);
            const platform::Size size = m_platform.SystemIconSize();
            label->setPixmap(m_platform.Icon(m_platform.LoadIconResource(IDR_MAINFRAME))
                                 .pixmap(QSize(size.cx, size.cy)));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            // A static icon sizes itself to its image.
            w = label;
            w->setGeometry(QRect(rect.topLeft(), QSize(size.cx, size.cy)));
            return w;
        }
    }
    w->setGeometry(rect);
    return w;
}

QWidget* QtDialogWindow::Control(int controlId) const {
    auto it = m_controls.find(controlId);
    return it == m_controls.end() ? nullptr : it->second;
}

win::LRESULT QtDialogWindow::Send(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    win::LRESULT result = 0;
    if (!m_handler.OnMessage(message, wParam, lParam, result))
        DefaultProcessing(message, wParam);
    return result;
}

void QtDialogWindow::DefaultProcessing(win::UINT message, win::WPARAM wParam) {
    if (message != win::kWmSysCommand)
        return;
    // The two window commands of the window's context menu; its other items are the core's.
    switch (static_cast<unsigned>(wParam) & 0xFFF0) {
        case win::kScMinimize:
            showMinimized();
            break;
        case win::kScClose:
            close();
            break;
        default:
            break;
    }
}

void QtDialogWindow::Post(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    // Dropped with the window if it is gone before the event loop gets to it.
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam] { Send(message, wParam, lParam); },
        Qt::QueuedConnection);
}

void QtDialogWindow::SendCommand(unsigned id) {
    Send(win::kWmCommand, win::MakeWParam(id, win::kBnClicked), 0);
}

void QtDialogWindow::FocusFirstTabStop() {
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void QtDialogWindow::CentreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

// -- Controls --

platform::IListView* QtDialogWindow::ListView(int controlId) {
    return dynamic_cast<QtListView*>(Control(controlId));
}

std::string QtDialogWindow::ControlText(int controlId) const {
    QWidget* w = Control(controlId);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return FieldBytes(controlId, edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return FieldBytes(controlId, combo->currentText());
    if (auto* button = qobject_cast<QPushButton*>(w))
        return FromQString(button->text());
    if (auto* label = qobject_cast<QLabel*>(w))
        return FromQString(label->text());
    return {};
}

std::string QtDialogWindow::FieldBytes(int controlId, const QString& now) const {
    const auto it = m_fieldBytes.find(controlId);
    if (it == m_fieldBytes.end())
        return FromQString(now);
    return FromShownText(now, it->second.shown, it->second.bytes);
}

void QtDialogWindow::SetControlText(int controlId, const std::string& text) {
    QWidget* w = Control(controlId);
    const QString value = ToQString(text);
    // Bytes that are not UTF-8 show as other characters; the field keeps them (even when the
    // text it shows stays the same: "é" of one byte and of two look alike).
    if (IsUtf8(text)) {
        m_fieldBytes.erase(controlId);
    } else {
        m_fieldBytes[controlId] = {text, value};
    }
    // The core shows its members after every step; rewriting an unchanged text would lay the
    // field out again each time for nothing.
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        // The selected list item stays as it was.
        if (combo->currentText() != value)
            combo->setEditText(value);
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(value);
    }
}

bool QtDialogWindow::GivesBackExactly(int, const std::string&) const {
    // A field keeps the bytes it was given (m_fieldBytes), UTF-8 or not.
    return true;
}

void QtDialogWindow::ComboAddString(int controlId, const std::string& text) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(controlId))) {
        combo->addItem(ToQString(text));
        m_comboItems[controlId].push_back(text);
    }
}

void QtDialogWindow::ComboSetCurSel(int controlId, int index) {
    auto* combo = qobject_cast<QComboBox*>(Control(controlId));
    if (!combo)
        return;
    if (index == -1) {
        // No item: the selection goes and the edit part is emptied, as on Windows.
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
        m_fieldBytes.erase(controlId);
        return;
    }
    const std::vector<std::string>& items = m_comboItems[controlId];
    if (index < 0 || static_cast<size_t>(index) >= items.size())
        return;
    combo->setCurrentIndex(index);
    // Selecting the item that is already current leaves a typed text in place; the item's
    // whole text is what a selection shows.
    if (combo->currentText() != combo->itemText(index))
        combo->setEditText(combo->itemText(index));
    const std::string& bytes = items[static_cast<size_t>(index)];
    if (IsUtf8(bytes)) {
        m_fieldBytes.erase(controlId);
    } else {
        m_fieldBytes[controlId] = {bytes, combo->itemText(index)};
    }
}

// -- The window itself --

void QtDialogWindow::SetCaption(const std::string& text) {
    setWindowTitle(ToQString(text));
}

void QtDialogWindow::SetIcon(int, platform::IconHandle icon) {
    // One icon serves both sizes: Qt picks the image for each use from it.
    setWindowIcon(m_platform.Icon(icon));
}

bool QtDialogWindow::AppendSystemMenu(unsigned flags, unsigned id, const std::string& text) {
    m_systemMenu.push_back({flags, id, text});
    return true;
}

void QtDialogWindow::ShowWindow(int showCommand) {
    // The program only restores its window this way (from the tray icon). Hiding a dialog
    // would end its modal loop under Qt, and the program never hides its windows.
    if (showCommand != win::kSwHide)
        showNormal();
}

void QtDialogWindow::SetWindowPos(platform::WindowHandle, int x, int y, int cx, int cy,
                                  unsigned flags) {
    if (!(flags & win::kSwpNoMove))
        move(x, y);
    if (!(flags & win::kSwpNoSize))
        setFixedSize(cx, cy);
    if (flags & win::kSwpShowWindow)
        show();
    raise();  // the only insert-after the program uses is the top of the z-order
}

void QtDialogWindow::SetForegroundWindow() {
    activateWindow();
    if (NeedsRemapToFront(*this)) {
        // Nothing else brings a window to the front on Wayland (see wayland_desktop.h).
        m_remapped = true;
        hide();
        show();
        return;
    }
#ifdef BRINDLECOT_HAVE_XCB
    // Qt asks for the focus with the time of the last X event it saw, which for a click in a
    // StatusNotifierItem host (relayed over D-Bus) was no click at all; GNOME Shell then
    // leaves the window minimised. The request again, with the server's time now (x11.h).
    if (xcb_connection_t* c = x11::Connection())
        x11::RequestActivation(c, static_cast<xcb_window_t>(winId()));
#endif
}

void QtDialogWindow::EndDialog(int result) {
    m_ended = true;
    m_result = result;
    if (isVisible())
        QDialog::done(result);
}

std::unique_ptr<platform::IPopupMenu> QtDialogWindow::CreatePopupMenu() {
    return std::make_unique<QtPopupMenu>(m_platform);
}

void QtDialogWindow::PaintIconic(platform::IconHandle, int, int) {
    // Never asked: a minimised window is not painted here; the taskbar shows its icon.
}

// -- Events --

void QtDialogWindow::accept() {
    SendCommand(win::kIdOk);
}

void QtDialogWindow::reject() {
    SendCommand(win::kIdCancel);
}  // Escape

void QtDialogWindow::closeEvent(QCloseEvent* event) {
    // The close box and Alt+F4 are the Cancel command; the dialog closes when the program
    // ends it.
    event->ignore();
    if (!m_ended)
        SendCommand(win::kIdCancel);
}

void QtDialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (m_systemMenu.empty()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(QStringLiteral("Mi&nimize"))->setData(win::kScMinimize);
    menu.addAction(QStringLiteral("&Close"))->setData(win::kScClose);
    for (const MenuItem& item : m_systemMenu) {
        if (item.flags & win::kMfSeparator) {
            menu.addSeparator();
        } else {
            menu.addAction(ToQString(item.text))->setData(item.id);
        }
    }
    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen && chosen->data().isValid()) {
        Post(win::kWmSysCommand, chosen->data().toUInt(), 0);
    }
}

void QtDialogWindow::paintEvent(QPaintEvent* event) {
    // The core draws a window itself only while it is minimised, which on X11 and Wayland
    // nothing draws: the paint is the dialog's ordinary one.
    QDialog::paintEvent(event);
    // The window paints first and its controls after it, in the same event: a queued call
    // runs once the whole frame is drawn.
    EndFirstFrame();
}

void QtDialogWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // A window the desktop minimised before it was ever drawn (a "start minimised" setting, a
    // restored session) draws nothing until the user brings it back, for which its tray icon
    // may be the only way: the wait for the first frame ends here.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        EndFirstFrame();
}

void QtDialogWindow::EndFirstFrame() {
    if (m_firstFrameDrawn)
        return;
    m_firstFrameDrawn = true;
    QMetaObject::invokeMethod(
        this, [this] { m_platform.OnFirstFrame(m_handle); }, Qt::QueuedConnection);
}

}  // namespace brindlecot::qt
