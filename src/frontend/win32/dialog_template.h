// The in-memory dialog templates the Win32 dialog manager creates the two dialogs from, built
// from the shared layout table, so that the layout is written down once for every front end.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/dialog_layout.h"

namespace brindlecot::win32 {

// Window styles of a template and its controls, as the dialog manager gets them.
struct DialogStyles {
    std::uint32_t style;
    std::uint32_t exStyle;
};
DialogStyles StylesOf(const resources::DialogTemplate& t);
DialogStyles StylesOf(const resources::ControlTemplate& c);

// A DLGTEMPLATE with its items, DWORD-aligned, ready for DialogBoxIndirectParam. Texts are
// taken as bytes of the ANSI code page.
std::vector<std::uint16_t> BuildDialogTemplate(const resources::DialogTemplate& t);

}  // namespace brindlecot::win32
