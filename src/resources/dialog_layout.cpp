#include "resources/dialog_layout.h"

#include "resources/resource.h"
#include "resources/strings.h"

namespace brindlecot::resources {

const DialogTemplate& MainDialogTemplate() {
    using K = ControlKind;
    static const DialogTemplate tmpl{
        IDD_BRINDLECOT_DIALOG,
        "Brindlecot",
        "MS Sans Serif",
        8,
        320,
        183,
        true,
        {
            // Each label stands immediately before its field: Windows names a field from the
            // static text before it in this order, and the Qt front end makes it the field's
            // buddy. The count box and the list have no visible label, so a zero-size one
            // names them; labels are no tab stops, so the tab order is that of the fields.
            {-1, K::Static, "Title:", 21, 16, 16, 8, kStyleNone},
            {IDC_TITLE, K::Edit, "", 69, 12, 132, 14, kBorder | kTabStop | kAutoHScroll},
            {-1, K::Static, "Program/URL:", 20, 33, 47, 8, kStyleNone},
            {IDC_TARGET, K::Edit, "", 69, 28, 131, 14, kBorder | kTabStop | kAutoHScroll},
            {-1, K::Static, "Sort", 202, 14, 14, 8, kStyleNone},
            {IDC_SORTORDER, K::ComboDropDown, "", 218, 12, 30, 177, kVScroll | kTabStop},
            {IDC_BROWSE, K::PushButton, "Browse", 200, 28, 47, 14, kTabStop},
            {1, K::DefPushButton, "Quit", 260, 7, 50, 14, kTabStop},
            {IDC_TEST, K::PushButton, "Test", 260, 23, 50, 14, kTabStop},
            {IDC_ADD, K::PushButton, "Add", 260, 37, 50, 14, kTabStop},
            {IDC_REMOVE, K::PushButton, "Remove", 260, 51, 50, 14, kTabStop},
            {IDC_UPDATE, K::PushButton, "Update", 260, 65, 50, 14, kTabStop},
            {IDC_CLEAR, K::PushButton, "Clear", 260, 81, 50, 14, kTabStop},
            {IDC_CLEARALL, K::PushButton, "Clear All", 260, 95, 50, 14, kTabStop},
            {IDC_HELPBUTTON, K::PushButton, "Help", 260, 124, 50, 14, kTabStop},
            {-1, K::Static, "Entries", 19, 45, 0, 0, kStyleNone},
            {IDC_LIST, K::ListView, "", 19, 45, 229, 121, kSingleSel | kBorder | kTabStop},
            {-1, K::Static, "Number of entries", 260, 153, 0, 0, kStyleNone},
            {IDC_COUNT, K::Edit, "", 260, 153, 50, 14,
             kReadOnly | kBorder | kTabStop | kAutoHScroll},
            {IDC_FOOTER, K::Static, kFooterLine, 8, 169, 305, 8, kStyleNone},
        },
    };
    return tmpl;
}

const DialogTemplate* FindDialogTemplate(int templateId) {
    if (templateId == IDD_BRINDLECOT_DIALOG)
        return &MainDialogTemplate();
    if (templateId == IDD_ABOUTBOX)
        return &AboutDialogTemplate();
    return nullptr;
}

const DialogTemplate& AboutDialogTemplate() {
    using K = ControlKind;
    static const DialogTemplate tmpl{
        IDD_ABOUTBOX,
        "About Brindlecot",
        "MS Sans Serif",
        8,
        235,
        55,
        false,
        {
            {IDC_ABOUT_ICON, K::Icon, "", 11, 17, 20, 20, kStyleNone},
            {IDC_ABOUT_VERSION, K::Static, "Brindlecot Version 1.0", 40, 10, 119, 8, kNoPrefix},
            {IDC_ABOUT_NOTICE, K::Static, kMakerNotice, 40, 25, 119, 8, kStyleNone},
            {1, K::DefPushButton, "OK", 178, 7, 50, 14, kTabStop},
        },
    };
    return tmpl;
}

std::vector<DialogInitItem> DialogInitData(int templateId) {
    std::vector<DialogInitItem> items;
    if (templateId == IDD_BRINDLECOT_DIALOG) {
        for (const std::string& text : SortOrderItems()) {
            items.push_back({IDC_SORTORDER, text});
        }
    }
    return items;
}

}  // namespace brindlecot::resources
