// The numeric values of window messages, notification codes, styles and flags that the core
// exchanges with its front ends. They are the Win32 values, so the Win32 front end passes them
// through unchanged and every other front end translates its native events into them.
//
// The names carry a k prefix so that they never collide with the macros of <windows.h>, which
// the Win32 front end includes next to this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace brindlecot::win {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Window messages.
constexpr UINT kWmDestroy = 0x0002;
constexpr UINT kWmSetRedraw = 0x000B;
constexpr UINT kWmPaint = 0x000F;
constexpr UINT kWmEndSession = 0x0016;
constexpr UINT kWmIconEraseBkgnd = 0x0027;
constexpr UINT kWmQueryDragIcon = 0x0037;
constexpr UINT kWmNotify = 0x004E;
constexpr UINT kWmInitDialog = 0x0110;
constexpr UINT kWmCommand = 0x0111;
constexpr UINT kWmSysCommand = 0x0112;
constexpr UINT kWmMouseMove = 0x0200;
constexpr UINT kWmLButtonDown = 0x0201;
constexpr UINT kWmLButtonUp = 0x0202;
constexpr UINT kWmLButtonDblClk = 0x0203;
constexpr UINT kWmRButtonDown = 0x0204;
constexpr UINT kWmRButtonUp = 0x0205;
constexpr UINT kWmRButtonDblClk = 0x0206;
constexpr UINT kWmMButtonDown = 0x0207;
constexpr UINT kWmMButtonUp = 0x0208;
constexpr UINT kWmMButtonDblClk = 0x0209;
constexpr UINT kWmUser = 0x0400;
constexpr UINT kWmApp = 0x8000;  // the first of the messages a program defines for itself

// Button and list-view notification codes.
constexpr UINT kBnClicked = 0;
constexpr UINT kNmClick = static_cast<UINT>(-2);
constexpr UINT kLvnColumnClick = static_cast<UINT>(-108);
constexpr UINT kLvnKeyDown = static_cast<UINT>(-155);

// Virtual-key codes.
constexpr std::uint16_t kVkSpace = 0x20;

// Dialog results and message-box answers.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Message-box types.
constexpr UINT kMbOk = 0x0000;
constexpr UINT kMbYesNo = 0x0004;
constexpr UINT kMbTypeMask = 0x000F;
constexpr UINT kMbIconHand = 0x0010;
constexpr UINT kMbIconQuestion = 0x0020;
constexpr UINT kMbIconExclamation = 0x0030;
constexpr UINT kMbIconAsterisk = 0x0040;
constexpr UINT kMbIconMask = 0x00F0;

// Show commands and window placement.
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;
constexpr int kSwShowMaximized = 3;
constexpr int kSwShow = 5;
constexpr int kSwRestore = 9;
constexpr UINT kSwpNoSize = 0x0001;
constexpr UINT kSwpNoMove = 0x0002;
constexpr UINT kSwpShowWindow = 0x0040;

// System-menu commands (the low four bits are the system's own).
constexpr UINT kScMinimize = 0xF020;
constexpr UINT kScMaximize = 0xF030;
constexpr UINT kScClose = 0xF060;
constexpr UINT kScRestore = 0xF120;

// Menus.
constexpr UINT kMfString = 0x0000;
constexpr UINT kMfSeparator = 0x0800;
constexpr UINT kMfByPosition = 0x0400;
constexpr UINT kTpmLeftAlign = 0x0000;
constexpr UINT kTpmTopAlign = 0x0000;
constexpr UINT kTpmRightButton = 0x0002;

// The standard Help command that F1 raises.
constexpr UINT kIdHelp = 0xE146;

// List view.
constexpr int kLvscwAutosize = -1;
constexpr int kLvscwAutosizeUseHeader = -2;
constexpr UINT kLvsExFullRowSelect = 0x0020;
constexpr UINT kLvisFocused = 0x0001;
constexpr UINT kLvisSelected = 0x0002;

// File-open dialog flags.
constexpr UINT kOfnOverwritePrompt = 0x0002;
constexpr UINT kOfnHideReadOnly = 0x0004;
constexpr UINT kOfnFileMustExist = 0x1000;

// Icons.
constexpr int kIconSmall = 0;
constexpr int kIconBig = 1;

// Sockets.
constexpr std::uint16_t kWinsockVersion11 = 0x0101;

constexpr UINT LoWord(WPARAM w) {
    return static_cast<UINT>(w & 0xFFFF);
}
constexpr UINT HiWord(WPARAM w) {
    return static_cast<UINT>((w >> 16) & 0xFFFF);
}
constexpr WPARAM MakeWParam(UINT lo, UINT hi) {
    return static_cast<WPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}

// The notification records that WM_NOTIFY carries. The core reads WM_NOTIFY's lParam as a
// pointer to one of these portable records, never to a native one: each front end builds the
// record from its native notification and passes its address for the length of the call. The
// Win32 front end copies idFrom and code from the real NMHDR, for LVN_COLUMNCLICK iItem and
// iSubItem from the real NMLISTVIEW, and for LVN_KEYDOWN wVKey and flags from the real
// NMLVKEYDOWN; its layout differs (24 bytes of NMHDR on x64), so passing
// the native lParam through would match no handler.
struct NmHdr {
    UINT idFrom = 0;  // the control's identifier
    UINT code = 0;    // NM_CLICK, LVN_COLUMNCLICK, LVN_KEYDOWN, ...
};

// Begins with its NmHdr, so that a pointer to the header is a pointer to the whole record.
struct NmListView {
    NmHdr hdr;
    int iItem = -1;
    int iSubItem = 0;  // the column of LVN_COLUMNCLICK
};
static_assert(std::is_standard_layout_v<NmListView> && offsetof(NmListView, hdr) == 0,
              "a handler casts the NmHdr it gets to the NmListView around it");

// LVN_KEYDOWN: a key pressed while the list view has the focus, before the list view acts on it.
struct NmLvKeyDown {
    NmHdr hdr;
    std::uint16_t wVKey = 0;  // the virtual-key code, VK_SPACE, ...
    UINT flags = 0;           // as the native record carries it (Windows leaves it 0)
};
static_assert(std::is_standard_layout_v<NmLvKeyDown> && offsetof(NmLvKeyDown, hdr) == 0,
              "a handler casts the NmHdr it gets to the NmLvKeyDown around it");

}  // namespace brindlecot::win
