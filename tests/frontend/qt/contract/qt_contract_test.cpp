// The Qt list display and the Qt dialog window, as real widgets on screen (offscreen), held to
// the contracts that the in-memory platform and every other front end keep.
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>
#include <QWidget>

#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_list_view.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/text_codec.h"
#include "platform/contract/dialog_window_contract.h"
#include "platform/contract/list_view_contract.h"
#include "resources/dialog_layout.h"
#include "resources/resource.h"

namespace brindlecot::contract {
namespace {

class QtListViewSubject : public ListViewSubject {
  public:
    QtListViewSubject() {
        m_window.resize(620, 260);
        m_list = new qt::QtListView(&m_window);  // owned by it
        m_list->setGeometry(10, 10, 600, 240);
        m_window.show();
        m_exposed = QTest::qWaitForWindowExposed(&m_window);
    }
    platform::IListView& View() override { return *m_list; }

    int ShownRowCount() override { return m_list->topLevelItemCount(); }
    std::string ShownCell(int row, int column) override {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        if (!item)
            return {};
        return qt::FromQString(item->text(column));
    }
    bool ShowsCell(int row, int column, const std::string& bytes) override {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        return item && item->text(column) == qt::ToQString(bytes);
    }
    int ShownSelected() override {
        const QList<QTreeWidgetItem*> items = m_list->selectedItems();
        return items.isEmpty() ? -1 : m_list->indexOfTopLevelItem(items.front());
    }
    int ShownFocused() override {
        return m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    }
    void UserSelects(int row) override {
        const QRect rect = m_list->visualItemRect(m_list->topLevelItem(row));
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void UserClicksRow(int row) override { UserSelects(row); }
    void UserPressesSpace() override { QTest::keyClick(m_list, Qt::Key_Space); }
    void UserClicksHeader(int column) override {
        QHeaderView* header = m_list->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    std::optional<int> FittedWidth(int column) override {
        // The window draws now, as it would at the next turn of the event loop.
        QEvent update(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(&m_window, &update);
        return m_list->columnWidth(column);
    }
    int TextWidth(const std::string& text) override {
        return QFontMetrics(m_list->font()).horizontalAdvance(qt::ToQString(text));
    }
    int ClientWidth() override {
        // The scroll bars come and go as the view lays itself out, which it does late and
        // shows through queued events: lay out now and let them arrive.
        m_list->doItemsLayout();
        QCoreApplication::processEvents();
        return m_list->viewport()->width();
    }
    bool Exposed() const { return m_exposed; }

  private:
    QWidget m_window;
    qt::QtListView* m_list = nullptr;
    bool m_exposed = false;
};

class QtListViewFactory : public ListViewFactory {
  public:
    std::string Name() const override { return "Qt"; }
    std::unique_ptr<ListViewSubject> Make() const override {
        auto subject = std::make_unique<QtListViewSubject>();
        if (!subject->Exposed())
            return nullptr;
        return subject;
    }
};

class QtDialogWindowSubject : public DialogWindowSubject {
  public:
    QtDialogWindowSubject()
        : m_window(m_platform, resources::MainDialogTemplate(), 0x100, m_handler, nullptr) {
        m_window.show();
        m_exposed = QTest::qWaitForWindowExposed(&m_window);
    }
    platform::IDialogWindow& Window() override { return m_window; }
    bool Exposed() const { return m_exposed; }

  private:
    IgnoringHandler m_handler;
    qt::QtPlatform m_platform;
    qt::QtDialogWindow m_window;
    bool m_exposed = false;
};

class QtDialogWindowFactory : public DialogWindowFactory {
  public:
    std::string Name() const override { return "Qt"; }
    std::unique_ptr<DialogWindowSubject> Make() const override {
        auto subject = std::make_unique<QtDialogWindowSubject>();
        if (!subject->Exposed())
            return nullptr;
        return subject;
    }
};

const QtListViewFactory kListViews;
const QtDialogWindowFactory kDialogWindows;

INSTANTIATE_TEST_SUITE_P(Qt, ListViewContract, ::testing::Values(&kListViews), FactoryName());
INSTANTIATE_TEST_SUITE_P(Qt, DialogWindowContract, ::testing::Values(&kDialogWindows),
                         FactoryName());

}  // namespace
}  // namespace brindlecot::contract
