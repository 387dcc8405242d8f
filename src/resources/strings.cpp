#include "resources/strings.h"

#include "resources/resource.h"

#ifndef BRINDLECOT_HELP_URL
#error "BRINDLECOT_HELP_URL is set by the build (the cache variable of that name)"
#endif

namespace brindlecot::resources {

const std::string_view kHelpPageUrl = BRINDLECOT_HELP_URL;

std::string LoadStringResource(int id) {
    switch (id) {
        case IDS_ABOUTBOX:
            return "&About Brindlecot...";
        case IDP_SOCKETS_INIT_FAILED:
            return "Windows sockets initialization failed.";
        default:
            return {};
    }
}

const std::array<std::string, kSortOrderItemCount>& SortOrderItems() {
    static const auto items = [] {
        std::array<std::string, kSortOrderItemCount> list;
        for (int i = 0; i < kSortOrderItemCount; ++i) {
            const int n = i + 1;
            list[i] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
        }
        return list;
    }();
    return items;
}

}  // namespace brindlecot::resources
