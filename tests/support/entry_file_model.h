// A plain model of the entry file for the tests and the fuzzer to check the program against:
// the layout the writer must produce, and what the next run must make of a saved table.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/framework.h"
#include "platform/platform.h"
#include "resources/strings.h"

namespace brindlecot::model {

using Row = std::array<std::string, 3>;  // title, target, sort order
using Rows = std::vector<Row>;

// The file's layout, written out plainly: the header, then the rows bottom-up, three lines
// each, an empty line between groups, every line ended with CR LF; nothing for no rows.
inline std::string Layout(const Rows& rows) {
    if (rows.empty())
        return "";
    std::string out = "CREATOR=Brindlecot 1.0\r\n";
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (row != rows.rbegin())
            out += "\r\n";
        out += "ST=" + (*row)[0] + "\r\nURL=" + (*row)[1] + "\r\nSORTORDER=" + (*row)[2] + "\r\n";
    }
    return out;
}

// The sort-order field's rule: the first list item that begins with the value, ignoring case,
// or the value itself when no item does.
inline std::string ThroughSortOrderField(const std::string& value) {
    for (const std::string& item : resources::SortOrderItems()) {
        if (StartsWithIgnoringCase(item, value))
            return item;
    }
    return value;
}

// What the next run loads from the file of a saved table: every sort order through the field,
// then the rows stably sorted by sort order, byte-wise.
inline Rows NextRunOf(Rows rows) {
    for (Row& row : rows)
        row[2] = ThroughSortOrderField(row[2]);
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return platform::CompareBytes(a[2], b[2]) < 0;
    });
    return rows;
}

}  // namespace brindlecot::model
