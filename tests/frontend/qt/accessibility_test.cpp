// What a screen reader learns from the real widgets through Qt's accessibility interfaces: each
// field's name, role and label, the list as a table, the About box's icon; and the keyboard's
// way to load a row.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// The names of the labels that label the object.
QStringList LabelledBy(QAccessibleInterface* iface) {
    QStringList names;
    for (const auto& [label, relation] : iface->relations(QAccessible::Label)) {
        if (relation & QAccessible::Label)
            names << label->text(QAccessible::Name);
    }
    return names;
}

// Every object of the window's accessible tree, depth first.
void Collect(QAccessibleInterface* iface, QList<QAccessibleInterface*>& out) {
    out << iface;
    for (int i = 0; i < iface->childCount(); ++i) {
        if (QAccessibleInterface* child = iface->child(i))
            Collect(child, out);
    }
}

class NoHandler : public platform::IDialogHandler {
  public:
    void Attach(platform::IDialogWindow&) override {}
    void Detach() override {}
    bool OnMessage(win::UINT, win::WPARAM, win::LPARAM, win::LRESULT&) override { return false; }
};

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void everyFieldIsNamedByItsLabel() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "Calc", "calc.exe", "07");
            struct Field {
                int id;
                QAccessible::Role role;
                const char* label;
            };
            const Field fields[] = {
                {IDC_TITLE, QAccessible::EditableText, "Title:"},
                {IDC_TARGET, QAccessible::EditableText, "Program/URL:"},
                {IDC_SORTORDER, QAccessible::ComboBox, "Sort"},
                {IDC_LIST, QAccessible::Tree, "Entries"},
                {IDC_COUNT, QAccessible::EditableText, "Number of entries"},
            };
            for (const Field& f : fields) {
                QAccessibleInterface* iface = Accessible(w.Control(f.id));
                QVERIFY2(iface, f.label);
                QCOMPARE(iface->role(), f.role);
                // Qt 6.4's item views report no relations: the list has its name only.
                if (f.id != IDC_LIST)
                    QCOMPARE(LabelledBy(iface), QStringList(QString::fromLatin1(f.label)));
                // Qt 6.4 names an editable combo box by its value on Unix; screen readers read
                // its label from the relation above.
                if (f.id != IDC_SORTORDER)
                    QCOMPARE(iface->text(QAccessible::Name), QString::fromLatin1(f.label));
            }
            QCOMPARE(Accessible(w.Control(IDC_SORTORDER))->text(QAccessible::Value),
                     QStringLiteral("07"));
            QVERIFY(Accessible(w.Control(IDC_COUNT))->state().readOnly);
            QCOMPARE(Accessible(w.Control(IDC_COUNT))->text(QAccessible::Value),
                     QStringLiteral("1"));

            // The labels that have no size are in the tree for the relation, never on screen.
            for (QLabel* l : w.findChildren<QLabel*>()) {
                if (l->text() == QLatin1String("Entries") ||
                    l->text() == QLatin1String("Number of entries")) {
                    QVERIFY(Accessible(l)->state().invisible);
                }
            }

            // The list: a QTreeWidget is a tree to Qt 6.4, with the table interface that gives
            // its headers and cells.
            QAccessibleInterface* list = Accessible(w.Control(IDC_LIST));
            QAccessibleTableInterface* table = list->tableInterface();
            QVERIFY(table);
            QCOMPARE(table->columnCount(), 3);
            QTRY_COMPARE(table->rowCount(), 1);  // once the view has laid out its rows
            QStringList cells;
            for (int c = 0; c < 3; ++c)
                cells << table->cellAt(0, c)->text(QAccessible::Name);
            QCOMPARE(cells, QStringList({"Calc", "calc.exe", "07"}));
            QStringList headers;
            for (int i = 0; i < list->childCount(); ++i) {
                QAccessibleInterface* child = list->child(i);
                if (child && child->role() == QAccessible::ColumnHeader)
                    headers << child->text(QAccessible::Name);
            }
            QCOMPARE(headers, QStringList({"Site Title", "Program/Site URL", "Sort Order"}));

            // Buttons keep the names of their captions.
            for (QPushButton* b : w.findChildren<QPushButton*>()) {
                QCOMPARE(Accessible(b)->role(), QAccessible::Button);
                QCOMPARE(Accessible(b)->text(QAccessible::Name), b->text());
            }
        });
    }

    void theAboutBoxIconCarriesNoResourceReference() {
        QtPlatform platform;
        NoHandler handler;
        QtDialogWindow about(platform, resources::AboutDialogTemplate(), 0x200, handler, nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QList<QAccessibleInterface*> all;
        Collect(Accessible(&about), all);
        int graphics = 0;
        const QRegularExpression reference(QStringLiteral("^#?[0-9]+$|\\.(ico|png|svg)$"));
        for (QAccessibleInterface* iface : all) {
            const QString name = iface->text(QAccessible::Name);
            QVERIFY2(!reference.match(name).hasMatch(), qPrintable(name));
            if (iface->role() == QAccessible::Graphic) {
                ++graphics;
                QCOMPARE(name, QString());  // a picture beside the program's name says nothing
            }
        }
        QCOMPARE(graphics, 1);
    }

    void spaceLoadsTheFocusedRowAsAClickDoes() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "a", "a.exe", "01");
            AddEntry(w, "b", "b.exe", "02");
            AddEntry(w, "c", "c.exe", "03");
            Click(w.Control(IDC_CLEAR));
            const QStringList rows = Rows(w);
            auto* list = qobject_cast<QTreeWidget*>(w.Control(IDC_LIST));

            // Reached by Tab and the arrow keys, with no click on the list before.
            w.Control(IDC_COUNT)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget(), list);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Down);
            const int focused = list->indexOfTopLevelItem(list->currentItem());
            QVERIFY(focused >= 0);
            QCOMPARE(FieldText(w, IDC_TITLE), QString());  // moving loads nothing
            QTest::keyClick(list, Qt::Key_Space);
            const QStringList row = rows[focused].split(QLatin1Char('|'));
            QCOMPARE(FieldText(w, IDC_TITLE), row[0]);
            QCOMPARE(FieldText(w, IDC_TARGET), row[1]);
            QCOMPARE(FieldText(w, IDC_SORTORDER), row[2]);
            QCOMPARE(Rows(w), rows);
            QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>({list->currentItem()}));
            QCOMPARE(QApplication::focusWidget(), list);
            QVERIFY(!w.Ended());

            // Remove clears the mark and the focus passes to a row next to the removed one:
            // Space loads and marks that row, so a second Remove takes the row shown.
            Click(w.Control(IDC_REMOVE));
            QCOMPARE(Rows(w).size(), 2);
            list->setFocus(Qt::TabFocusReason);
            const int next = list->indexOfTopLevelItem(list->currentItem());
            QVERIFY(next >= 0);
            QTest::keyClick(list, Qt::Key_Space);
            const QString shown = FieldText(w, IDC_TITLE);
            QCOMPARE(shown, Rows(w)[next].section(QLatin1Char('|'), 0, 0));
            Click(w.Control(IDC_REMOVE));
            QCOMPARE(Rows(w).size(), 1);
            QVERIFY(!Rows(w)[0].startsWith(shown + QLatin1Char('|')));

            // Enter in the list still ends the run, as the default button does.
            list->setFocus(Qt::TabFocusReason);
            QTest::keyClick(list, Qt::Key_Return);
            QVERIFY(w.Ended());
            QCOMPARE(w.Result(), 1);
        });
    }
};

}  // namespace

std::unique_ptr<QObject> MakeAccessibilityTest() {
    return std::make_unique<AccessibilityTest>();
}

}  // namespace brindlecot::qt::test

#include "accessibility_test.moc"
