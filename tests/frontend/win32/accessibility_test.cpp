// What a screen reader is told about the real dialogs: the names Wine's oleacc gives their
// controls (Windows names a field from the label before it in z-order), read through
// AccessibleObjectFromWindow as a screen reader reads them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "tests/frontend/win32/win32_harness.h"

// After <windows.h>, which the harness includes.
#include <oleacc.h>

namespace brindlecot::win32::testing {
namespace {

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
struct BstrFree {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};

// The control's accessible name as oleacc gives it ("" for none), or "<no object>".
std::string AccessibleName(HWND control) {
    IAccessible* raw = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                            IID_IAccessible, reinterpret_cast<void**>(&raw))) ||
        !raw) {
        return "<no object>";
    }
    const std::unique_ptr<IAccessible, ComRelease> object(raw);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (FAILED(object->get_accName(self, &name)) || !name)
        return "";
    const std::unique_ptr<OLECHAR, BstrFree> owned(name);
    const int length = static_cast<int>(::SysStringLen(name));
    std::string text(static_cast<size_t>(length) * 2, '\0');
    const int n = ::WideCharToMultiByte(CP_ACP, 0, name, length, text.data(),
                                        static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

// The control that the focus is in, a combo box for the edit inside it.
int FocusedControl(HWND dialog) {
    HWND focus = ::GetFocus();
    while (focus && ::GetParent(focus) != dialog)
        focus = ::GetParent(focus);
    return focus ? ::GetDlgCtrlID(focus) : 0;
}

TEST(Win32Accessibility, EachFieldFollowsItsLabelInZOrderAndOleaccNamesItSo) {
    Harness h;
    h.Run([](Harness& h) {
        struct Field {
            int id;
            const char* label;
            bool labelShown;
        };
        for (const Field& f :
             {Field{IDC_TITLE, "Title:", true}, Field{IDC_TARGET, "Program/URL:", true},
              Field{IDC_SORTORDER, "Sort", true}, Field{IDC_LIST, "Entries", false},
              Field{IDC_COUNT, "Number of entries", false}}) {
            SCOPED_TRACE(f.label);
            const HWND label = ::GetWindow(h.Item(f.id), GW_HWNDPREV);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(ClassOf(label), "Static");
            EXPECT_EQ(TextOf(label), f.label);
            EXPECT_EQ(::GetWindowLongA(label, GWL_STYLE) & WS_TABSTOP, 0);
            // The labels added for screen readers take no room and so draw nothing.
            RECT r{};
            ::GetClientRect(label, &r);
            EXPECT_EQ(::IsRectEmpty(&r) != 0, !f.labelShown);
        }
        // What a screen reader is told; Wine 8 names a combo box by its text, and the list
        // not at all.
        EXPECT_EQ(AccessibleName(h.Item(IDC_TITLE)), "Title:");
        EXPECT_EQ(AccessibleName(h.Item(IDC_TARGET)), "Program/URL:");
        EXPECT_EQ(AccessibleName(h.Item(IDC_COUNT)), "Number of entries");
    });
}

TEST(Win32Accessibility, TabWalksTheFieldsAndButtonsInTheirOriginalOrder) {
    Harness h;
    std::vector<int> order;
    h.Run([&](Harness& h) {
        ::SetForegroundWindow(h.Main());
        order.push_back(FocusedControl(h.Main()));
        for (int i = 0; i < 14; ++i) {
            h.RealKey(VK_TAB);
            order.push_back(FocusedControl(h.Main()));
        }
    });
    EXPECT_EQ(order,
              (std::vector<int>{IDC_TITLE, IDC_TARGET, IDC_SORTORDER, IDC_BROWSE, IDOK, IDC_TEST,
                                IDC_ADD, IDC_REMOVE, IDC_UPDATE, IDC_CLEAR, IDC_CLEARALL,
                                IDC_HELPBUTTON, IDC_LIST, IDC_COUNT, IDC_TITLE}));
}

TEST(Win32Accessibility, TheAboutBoxIconIsNotNamedByItsResourceReference) {
    Harness h;
    std::string iconName = "<not read>";
    std::string iconText = "<not read>";
    std::string versionName;
    h.onDialog = [&](HWND about) {
        const HWND icon = ::GetDlgItem(about, IDC_ABOUT_ICON);
        iconName = AccessibleName(icon);
        char text[64] = {};
        ::GetWindowTextA(icon, text, sizeof text);
        iconText = text;
        versionName = AccessibleName(::GetDlgItem(about, IDC_ABOUT_VERSION));
    };
    h.Run([](Harness& h) { ::SendMessageA(h.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0); });
    // A picture with no name is passed over; "#128" would be read out.
    EXPECT_EQ(iconName, "");
    EXPECT_EQ(iconText, "");
    EXPECT_EQ(versionName, "Brindlecot Version 1.0");  // the reading itself works
}

}  // namespace
}  // namespace brindlecot::win32::testing
