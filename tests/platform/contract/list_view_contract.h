// What every display of the entry table must do: show the rows and cells it is given where it
// is told, byte for byte; show one highlighted and one focused row; report the user's
// selection and never a change it was told to make; fit its columns. The rules about the rows
// (the mark, selection travelling with its row) are the list control object's, tested in the
// core, and not asked of a display.
//
// An implementation joins by giving a factory and instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Mine, ListViewContract, ::testing::Values(&myFactory),
//                            contract::FactoryName());
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/contract/contract_factory.h"
#include "platform/list_view.h"

namespace brindlecot::contract {

// One display made for one test, and what a user would see on it, read from the display's own
// widgets rather than from anything it was given.
class ListViewSubject {
  public:
    virtual ~ListViewSubject() = default;
    virtual platform::IListView& View() = 0;

    virtual int ShownRowCount() = 0;
    virtual std::string ShownCell(int row, int column) = 0;
    // Whether the cell shows the characters `bytes` stand for: the bytes themselves where the
    // display holds bytes.
    virtual bool ShowsCell(int row, int column, const std::string& bytes) {
        return ShownCell(row, column) == bytes;
    }
    virtual int ShownSelected() = 0;  // -1 for none
    virtual int ShownFocused() = 0;   // -1 for none
    // Selects a row the way the user's click on it would reach the display.
    virtual void UserSelects(int row) = 0;
    // The user's click on a row (its selection, then the click), Space on the focused row, and
    // a click on a column's header, as each reaches the display.
    virtual void UserClicksRow(int row) = 0;
    virtual void UserPressesSpace() = 0;
    virtual void UserClicksHeader(int column) = 0;

    // A column's width once the display has drawn, or nullopt for a display that measures no
    // text; and the measures it is checked against: a text's width in the list's font, and the
    // width the columns fill together when the last fills the rest.
    virtual std::optional<int> FittedWidth(int column) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int ClientWidth() = 0;
};

class ListViewFactory : public Factory {
  public:
    // A new display with no columns and no rows, wide enough for a few short columns and tall
    // enough for ten rows.
    virtual std::unique_ptr<ListViewSubject> Make() const = 0;
};

// Test listings show the implementation's name rather than an address.
inline void PrintTo(const ListViewFactory* factory, std::ostream* os) {
    *os << factory->Name();
}

// The reports a display makes, as they come: the selections, and every report in order.
class SelectionRecorder : public platform::IListViewEvents {
  public:
    struct Report {
        int selected;
        int focused;
    };
    void OnUserSelection(int selected, int focused) override {
        reports.push_back({selected, focused});
        all.push_back("select " + std::to_string(selected) + " " + std::to_string(focused));
    }
    void OnUserClick() override { all.push_back("click"); }
    void OnUserKey(std::uint16_t key) override { all.push_back("key " + std::to_string(key)); }
    void OnUserColumnClick(int column) override {
        all.push_back("column " + std::to_string(column));
    }
    std::vector<Report> reports;
    std::vector<std::string> all;
};

class ListViewContract : public ::testing::TestWithParam<const ListViewFactory*> {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Three columns, "Title", "Target", "Sort", and `rows` rows "r0".."rN" whose second and
    // third cells are "t0".., "s0"..
    void Fill(int rows);
    // The rows' first cells as shown, top to bottom.
    std::vector<std::string> Titles();

    std::unique_ptr<ListViewSubject> m_subject;
    platform::IListView* list = nullptr;
    SelectionRecorder events;
};

}  // namespace brindlecot::contract
