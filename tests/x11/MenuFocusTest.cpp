// Windows opened from the main window's menu by the keyboard, on a real X display: where the focus lands
// and what the first keys do there.
#include "shell/ShellFixture.h"

#include "support/MsgBoxScript.h"
#include "x11/MenuKeys.h"

#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTreeView>

namespace {

struct ListCommand {
    const char* name;
    Qt::Key accessKey;
    int downPresses; // from the menu's first item
};
void PrintTo(const ListCommand& command, std::ostream* os) { *os << command.name; }

class MenuOpensTheListWithTheFocus : public ShellFixture, public ::testing::WithParamInterface<ListCommand> {};

TEST_P(MenuOpensTheListWithTheFocus, TheFirstKeysMoveInTheList) {
    for (int i = 1; i <= 3; ++i)
        folder.addTrip(QString("Destination %1").arg(i));
    frmMain w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    MsgBoxScript script;
    chooseFromMenu(w, GetParam().accessKey, GetParam().downPresses);
    QTreeView* list = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (list = w.mdiArea()->findChild<QTreeView*>("lvTrip")) && list->isVisible(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == list; }, 3000))
        << "focus is on " << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "nothing");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), list->model()->rowCount() - 1);
    EXPECT_EQ(script.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, MenuOpensTheListWithTheFocus,
                         ::testing::Values(ListCommand{"UpdateTripRecords", Qt::Key_U, 0},
                                           ListCommand{"TripReport", Qt::Key_R, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
