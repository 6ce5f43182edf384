// The child windows opened from the menu on a small screen, at scale 2 and under the dark desktop theme itself:
// buttons in view without scrolling; texts, field borders and list values readable as the screen shows them.
#include "shell/ShellFixture.h"

#include "support/MsgBoxScript.h"
#include "support/Rendered.h"
#include "x11/MenuKeys.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

namespace {

struct Command {
    const char* window;
    Qt::Key menu;
    int downPresses;
};
void PrintTo(const Command& c, std::ostream* out) {
    *out << c.window;
}
const Command kCommands[] = {
    {"frmAddTrip", Qt::Key_F, 0},     {"frmEditTrip", Qt::Key_U, 0},    {"frmEditOwner", Qt::Key_U, 1},
    {"frmTripHistory", Qt::Key_U, 2}, {"frmImportTrips", Qt::Key_U, 3}, {"frmReport", Qt::Key_R, 1},
    {"frmYearSummary", Qt::Key_R, 2},
};

// What the screen shows of a part of a widget (in the widget's coordinates).
QImage onScreen(QWidget* widget, const QRect& part) {
    QWidget* top = widget->window();
    const QImage all = top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    return all.copy(QRect(widget->mapTo(top, part.topLeft()), part.size()));
}

// The main window over a profile and trips with every value filled in; windows opened by the keyboard.
class ChildWindow : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        folder.addOwner();
        folder.exec("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 30) "
                    "INSERT INTO tblMain (TripID, Destination, Rate, StartOdometer, EndOdometer, Miles, Fuel, Parking, "
                    "Meals, Motel, Phone, Repairs, Towing, Expense, Mileage, TotalTrip, StartDate, Notes) SELECT "
                    "'T-' || x, 'Springfield ' || x, 0.575, 104000, 104312, 312, 1234.5, 12, 23.75, 110, 3.2, 0, 0, 5, "
                    "179.4, 1568.25, '10/' || (10 + x % 18) || '/2020', 'Client visit' FROM n");
        w = new frmMain; // the fixture's tear-down deletes it
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    QWidget* open(const Command& c) {
        chooseFromMenu(*w, c.menu, c.downPresses);
        QWidget* window = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (window = w->mdiArea()->findChild<QWidget*>(c.window)) && window->isVisible(); }, 3000));
        QTest::qWait(100); // laid out and drawn
        return window;
    }
    MsgBoxScript script;
    QPointer<frmMain> w;
};

class ChildWindowFits : public ChildWindow, public ::testing::WithParamInterface<Command> {};

TEST_P(ChildWindowFits, ItsButtonsShowWithoutScrolling) {
    const bool scaled =
        std::string(::testing::UnitTest::GetInstance()->current_test_suite()->name()) == "DoubleScale/ChildWindowFits";
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), scaled ? QSize(1280, 800) : QSize(1024, 768))
        << "ctest gives these cases their screen";
    open(std::string(GetParam().window) == kCommands[0].window ? kCommands[2] : kCommands[0]); // cascaded below
    QWidget* window = open(GetParam());
    ASSERT_TRUE(window);
    QWidget* client = w->mdiArea()->viewport();
    EXPECT_TRUE(client->rect().contains(window->parentWidget()->geometry()));
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        bool whole = button->isVisible(); // and every widget up to the client area shows all of it
        for (QWidget* p = button->parentWidget(); whole && p != client->parentWidget(); p = p->parentWidget())
            whole = p->rect().contains(QRect(button->mapTo(p, QPoint(0, 0)), button->size()));
        EXPECT_TRUE(whole) << button->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(SmallScreen, ChildWindowFits, ::testing::ValuesIn(kCommands));
INSTANTIATE_TEST_SUITE_P(DoubleScale, ChildWindowFits, ::testing::ValuesIn(kCommands));

class DarkDesktopWindow : public ChildWindow, public ::testing::WithParamInterface<Command> {};

// Texts read at 4.5:1, the borders of text fields stand out at 3:1 from the window, list values show whole.
TEST_P(DarkDesktopWindow, TextsBordersAndListValuesRead) {
    QWidget* window = open(GetParam());
    ASSERT_TRUE(window);
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(widget);
        if (!widget->isVisible() || !widget->isEnabled()) // a disabled control is meant to fade
            continue;
        if ((label && !label->text().trimmed().isEmpty()) || qobject_cast<QPushButton*>(widget)) {
            const QImage image = onScreen(widget, widget->rect());
            EXPECT_GE(RenderedContrast(image, image.rect().adjusted(3, 3, -3, -3)), 4.5)
                << widget->objectName().toStdString() << (label ? " " + label->text().toStdString() : "");
        }
        if ((qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parent())) ||
            qobject_cast<QPlainTextEdit*>(widget)) {
            // Across the middle of each side: three pixels of the window, then the field's outer two.
            const int x = widget->width() / 2, y = widget->height() / 2, r = widget->width(), b = widget->height();
            for (const QRect& across :
                 {QRect(x, -3, 1, 5), QRect(x, b - 2, 1, 5), QRect(-3, y, 5, 1), QRect(r - 2, y, 5, 1)})
                EXPECT_GE(RenderedContrast(onScreen(widget, across), QRect(QPoint(), across.size())), 3.0)
                    << widget->objectName().toStdString() << " at " << across.x() << "," << across.y();
        }
        if (auto* list = qobject_cast<QTreeView*>(widget)) {
            const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
            for (int c = 0; c < list->model()->columnCount(); ++c) {
                const QString header = list->model()->headerData(c, Qt::Horizontal).toString();
                for (int row = 0; row < 10 && header != "Destination" && header != "Notes"; ++row) {
                    const QModelIndex at = list->model()->index(row, c);
                    const int room = list->visualRect(at).width() - margins;
                    EXPECT_EQ(list->fontMetrics().elidedText(at.data().toString(), Qt::ElideRight, room),
                              at.data().toString());
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, DarkDesktopWindow, ::testing::ValuesIn(kCommands));

using DarkDesktopAbout = ChildWindow;

// Each line of the about text (a run of rows with ink) reads at 4.5:1 on the box's own background.
TEST_F(DarkDesktopAbout, EveryLineOfTheTextReads) {
    QImage text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
            QTest::qWait(100); // drawn
            QWidget* page = box->findChild<QTextEdit*>("rtBox")->viewport();
            text = onScreen(page, page->rect());
            box->accept();
        }
    });
    poll.start(50);
    chooseFromMenu(*w, Qt::Key_H, 2);
    std::vector<double> lines{1};
    for (int y = 0; y < text.height(); ++y) {
        const double ink = RenderedContrast(text, QRect(0, y, text.width(), 1));
        if (ink > 1.3)
            lines.back() = std::max(lines.back(), ink);
        else if (lines.back() > 1)
            lines.push_back(1);
    }
    EXPECT_GE(lines.size(), 5u);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_GE(lines[i], 4.5) << "line " << i;
}

void drag(QWidget* widget, const QPoint& from, const QPoint& by) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(widget, from + by * step / 4);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, from + by);
}

TEST_F(ChildWindow, TheSizesTheUserGivesComeBackAtTheNextOpening) {
    QWidget* window = open(kCommands[1]);
    ASSERT_TRUE(window);
    auto* splitter = window->findChild<QSplitter*>();
    QWidget* frame = window->parentWidget();
    const int listHeight = splitter->sizes().at(0);
    drag(splitter->handle(1), splitter->handle(1)->rect().center(), QPoint(0, 60));
    drag(frame, QPoint(frame->width() - 2, frame->height() - 2), QPoint(-80, -80));
    const QSize size = frame->size();
    const int moved = splitter->sizes().at(0);
    EXPECT_GT(moved, listHeight + 30);
    window->findChild<QPushButton*>("cmdExit")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->mdiArea()->findChild<QWidget*>("frmEditTrip"); }, 3000));

    window = open(kCommands[1]);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->parentWidget()->size(), size);
    EXPECT_NEAR(window->findChild<QSplitter*>()->sizes().at(0), moved, 2);
}

} // namespace
