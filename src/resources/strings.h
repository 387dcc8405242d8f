// The program's own texts and list data, shared by the core and both front ends.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace brindlecot::resources {

constexpr std::string_view kProductName = "Brindlecot";
#define BRINDLECOT_NOTICE "(C) 2026 The Brindlecot developers"
constexpr std::string_view kMakerNotice = BRINDLECOT_NOTICE;
// The product line with the notice on the same line, as the main window's footer shows it.
constexpr std::string_view kFooterLine =
    "Brindlecot - v1.02 - System Tray Launcher - " BRINDLECOT_NOTICE;
constexpr std::string_view kAboutVersionLine = "Brindlecot Version 1.0";
constexpr std::string_view kAboutCaption = "About Brindlecot";
constexpr std::string_view kTrayTip = "Brindlecot";

// The help page the Help button opens. Its address is chosen when the program is built
// (BRINDLECOT_HELP_URL), so it is held in one translation unit and nowhere else.
extern const std::string_view kHelpPageUrl;

// The string table: empty for an identifier it does not hold.
std::string LoadStringResource(int id);

// The sort-order field's list, "01" to "50", in this order.
constexpr int kSortOrderItemCount = 50;
const std::array<std::string, kSortOrderItemCount>& SortOrderItems();

}  // namespace brindlecot::resources
