// The two dialog templates, in dialog units: one table that both front ends lay out from.
#pragma once

#include <string_view>
#include <vector>

namespace brindlecot::resources {

enum class ControlKind {
    Edit,           // single-line edit
    ComboDropDown,  // editable drop-down combo box
    PushButton,
    DefPushButton,
    ListView,  // report view
    Static,    // static text
    Icon,      // static icon
};

enum ControlStyle : unsigned {
    kStyleNone = 0,
    kTabStop = 1u << 0,
    kBorder = 1u << 1,
    kAutoHScroll = 1u << 2,
    kReadOnly = 1u << 3,
    kVScroll = 1u << 4,
    kSingleSel = 1u << 5,
    kNoPrefix = 1u << 6,  // ampersands shown as they stand
};

struct ControlTemplate {
    int id;  // -1 for a static without an identifier
    ControlKind kind;
    std::string_view text;  // caption; empty for fields
    int x, y, cx, cy;
    unsigned style;
};

struct DialogTemplate {
    int id;
    std::string_view caption;
    std::string_view fontName;
    int fontPoints;
    int cx, cy;
    bool appWindow;                         // own taskbar button although owned
    std::vector<ControlTemplate> controls;  // template order, which is the tab order
};

const DialogTemplate& MainDialogTemplate();   // template 102
const DialogTemplate& AboutDialogTemplate();  // template 100
// The template of an identifier; nullptr for one the program does not have.
const DialogTemplate* FindDialogTemplate(int templateId);

// A dialog's initialisation data: strings added to a combo box's list, in order.
struct DialogInitItem {
    int controlId;
    std::string_view text;
};
std::vector<DialogInitItem> DialogInitData(int templateId);

}  // namespace brindlecot::resources
