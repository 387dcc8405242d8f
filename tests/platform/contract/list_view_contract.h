// The entry table's list view as every implementation must keep it: rows inserted and deleted,
// the selection mark through both (clamped to the last row when the marked last row goes, as
// the common controls do), the selected and focused bits moving with their rows, cells that do
// not exist, and the auto-size widths.
//
// An implementation joins by giving a factory and instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Mine, ListViewContract, ::testing::Values(&myFactory),
//                            contract::FactoryName());
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/contract/contract_factory.h"
#include "platform/list_view.h"
#include "platform/win_values.h"

namespace brindlecot::contract {

// One list view made for one test, and the measures its auto-sizing is checked against.
class ListViewSubject {
  public:
    virtual ~ListViewSubject() = default;
    virtual platform::IListView& View() = 0;
    // The pixel width of a text in the list's font, without any room around it.
    virtual int TextWidth(const std::string& text) = 0;
    // The width that the columns fill together when the last one fills the rest: the inside
    // of the control, less a vertical scroll bar while the rows need one.
    virtual int ClientWidth() = 0;
};

class ListViewFactory : public Factory {
  public:
    // A new list view with a header, no columns and no rows, wide enough for a few short
    // columns and tall enough for ten rows.
    virtual std::unique_ptr<ListViewSubject> Make() const = 0;
};

// Test listings show the implementation's name rather than an address.
inline void PrintTo(const ListViewFactory* factory, std::ostream* os) {
    *os << factory->Name();
}

class ListViewContract : public ::testing::TestWithParam<const ListViewFactory*> {
  protected:
    void SetUp() override;

    // Three columns, "Title", "Target", "Sort", and `rows` rows "r0".."rN" whose second and
    // third cells are "t0".., "s0"..
    void Fill(int rows);
    // The rows' first cells, top to bottom.
    std::vector<std::string> Titles() const;

    std::unique_ptr<ListViewSubject> m_subject;
    platform::IListView* list = nullptr;
};

}  // namespace brindlecot::contract
