#include "frontend/win32/dialog_template.h"

#include <string>
#include <string_view>

#include "frontend/win32/win32_headers.h"
#include "resources/resource.h"

namespace brindlecot::win32 {

namespace {

using resources::ControlKind;

// Predefined classes go into a template as atoms.
constexpr std::uint16_t kButtonAtom = 0x0080;
constexpr std::uint16_t kEditAtom = 0x0081;
constexpr std::uint16_t kStaticAtom = 0x0082;
constexpr std::uint16_t kComboBoxAtom = 0x0085;

class Writer {
  public:
    void Word(std::uint16_t w) { m_words.push_back(w); }
    void DWord(std::uint32_t d) {
        Word(static_cast<std::uint16_t>(d & 0xFFFF));
        Word(static_cast<std::uint16_t>(d >> 16));
    }
    void Text(std::string_view text) {
        if (!text.empty()) {
            const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(),
                                                static_cast<int>(text.size()), nullptr, 0);
            std::wstring wide(static_cast<size_t>(n), L'\0');
            ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                  wide.data(), n);
            for (wchar_t c : wide)
                Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    void Ordinal(std::uint16_t id) {
        Word(0xFFFF);
        Word(id);
    }
    void AlignToDWord() {
        if (m_words.size() % 2)
            Word(0);
    }
    std::vector<std::uint16_t> Take() { return std::move(m_words); }

  private:
    std::vector<std::uint16_t> m_words;
};

}  // namespace

DialogStyles StylesOf(const resources::DialogTemplate& t) {
    const std::uint32_t common = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    if (t.appWindow) {
        // The main window: shown as soon as it is initialised, with both caption buttons,
        // and a taskbar button of its own although an invisible window owns it.
        return {common | WS_VISIBLE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_EX_APPWINDOW};
    }
    return {common | WS_POPUP, 0};
}

DialogStyles StylesOf(const resources::ControlTemplate& c) {
    std::uint32_t style = WS_CHILD | WS_VISIBLE;
    if (c.style & resources::kTabStop)
        style |= WS_TABSTOP;
    if (c.style & resources::kBorder)
        style |= WS_BORDER;
    if (c.style & resources::kVScroll)
        style |= WS_VSCROLL;
    switch (c.kind) {
        case ControlKind::Edit:
            style |= ES_LEFT;
            if (c.style & resources::kAutoHScroll)
                style |= ES_AUTOHSCROLL;
            if (c.style & resources::kReadOnly)
                style |= ES_READONLY;
            break;
        case ControlKind::ComboDropDown:
            style |= CBS_DROPDOWN;
            break;
        case ControlKind::PushButton:
            style |= BS_PUSHBUTTON;
            break;
        case ControlKind::DefPushButton:
            style |= BS_DEFPUSHBUTTON;
            break;
        case ControlKind::ListView:
            style |= LVS_REPORT;
            if (c.style & resources::kSingleSel)
                style |= LVS_SINGLESEL;
            break;
        case ControlKind::Static:
            style |= SS_LEFT;
            if (c.style & resources::kNoPrefix)
                style |= SS_NOPREFIX;
            break;
        case ControlKind::Icon:
            style |= SS_ICON;
            break;
    }
    return {style, 0};
}

std::vector<std::uint16_t> BuildDialogTemplate(const resources::DialogTemplate& t) {
    Writer w;
    const DialogStyles dialog = StylesOf(t);
    w.DWord(dialog.style);
    w.DWord(dialog.exStyle);
    w.Word(static_cast<std::uint16_t>(t.controls.size()));
    w.Word(0);  // x and y: the dialog is centred when it is shown
    w.Word(0);
    w.Word(static_cast<std::uint16_t>(t.cx));
    w.Word(static_cast<std::uint16_t>(t.cy));
    w.Word(0);  // no menu
    w.Word(0);  // the standard dialog class
    w.Text(t.caption);
    w.Word(static_cast<std::uint16_t>(t.fontPoints));
    w.Text(t.fontName);

    for (const resources::ControlTemplate& c : t.controls) {
        w.AlignToDWord();
        const DialogStyles styles = StylesOf(c);
        w.DWord(styles.style);
        w.DWord(styles.exStyle);
        w.Word(static_cast<std::uint16_t>(c.x));
        w.Word(static_cast<std::uint16_t>(c.y));
        w.Word(static_cast<std::uint16_t>(c.cx));
        w.Word(static_cast<std::uint16_t>(c.cy));
        w.Word(static_cast<std::uint16_t>(c.id));  // -1 becomes 0xFFFF, as resource compilers do
        switch (c.kind) {
            case ControlKind::Edit:
                w.Ordinal(kEditAtom);
                break;
            case ControlKind::ComboDropDown:
                w.Ordinal(kComboBoxAtom);
                break;
            case ControlKind::PushButton:
            case ControlKind::DefPushButton:
                w.Ordinal(kButtonAtom);
                break;
            case ControlKind::ListView:
                w.Text(WC_LISTVIEWA);
                break;
            case ControlKind::Static:
            case ControlKind::Icon:
                w.Ordinal(kStaticAtom);
                break;
        }
        // An icon control gets its picture when its dialog opens (Win32DialogWindow), not by a
        // resource reference here: the control would keep the reference ("#128") as its text,
        // and screen readers read a static's text as its name.
        w.Text(c.kind == ControlKind::Icon ? std::string_view() : std::string_view(c.text));
        w.Word(0);  // no creation data
    }
    return w.Take();
}

}  // namespace brindlecot::win32
