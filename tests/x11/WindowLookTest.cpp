// The child windows opened from the menu on a small screen, at scale 2 and under the dark desktop theme itself:
// buttons in view without scrolling; texts, field borders and list values readable as drawn; sizes kept.
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

// The main window shown over a profile and trips with every value filled in.
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
        QTest::qWait(50); // the frame's first layout
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
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    EXPECT_GE(buttons.size(), 2);
    for (QPushButton* button : buttons) {
        // Every widget from the button up to the client area shows it whole.
        bool whole = button->isVisible();
        for (QWidget* p = button->parentWidget(); whole && p != client->parentWidget(); p = p->parentWidget())
            whole = p->rect().contains(QRect(button->mapTo(p, QPoint(0, 0)), button->size()));
        EXPECT_TRUE(whole) << button->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(SmallScreen, ChildWindowFits, ::testing::ValuesIn(kCommands));
INSTANTIATE_TEST_SUITE_P(DoubleScale, ChildWindowFits, ::testing::ValuesIn(kCommands));

// What the screen shows of a part of a widget (in its own coordinates): the pixels of its window as drawn there.
QImage onScreen(QWidget* widget, const QRect& part) {
    QWidget* top = widget->window();
    const QImage all = top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    return all.copy(QRect(widget->mapTo(top, part.topLeft()), part.size()));
}

class DarkDesktopWindow : public ChildWindow, public ::testing::WithParamInterface<Command> {};

// Texts read at 4.5:1, the borders of text fields stand out at 3:1 from the window, list values show whole.
TEST_P(DarkDesktopWindow, TextsBordersAndListValuesRead) {
    QWidget* window = open(GetParam());
    ASSERT_TRUE(window);
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(widget);
        auto* button = qobject_cast<QPushButton*>(widget);
        if (!widget->isVisible() || !widget->isEnabled())
            continue; // a disabled control is meant to fade
        if ((label && !label->text().trimmed().isEmpty()) || button) {
            const QImage image = onScreen(widget, widget->rect());
            EXPECT_GE(RenderedContrast(image, image.rect().adjusted(3, 3, -3, -3)), 4.5)
                << (label ? label->text() : button->text()).toStdString();
        }
        if ((qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parent())) ||
            qobject_cast<QPlainTextEdit*>(widget)) {
            // The field's outer two pixels at the middle of each side, against the window around it.
            const QImage image = onScreen(widget, widget->rect().adjusted(-3, -3, 3, 3));
            QRgb around = 0;
            RenderedContrast(image, QRect(0, 0, image.width(), 2), &around);
            const int right = image.width() - 4, bottom = image.height() - 4;
            for (const QRect& edge : {QRect(right / 2, 3, 1, 2), QRect(right / 2, bottom - 1, 1, 2),
                                      QRect(3, bottom / 2, 2, 1), QRect(right - 1, bottom / 2, 2, 1)}) {
                double best = 1;
                for (const QPoint& p : {edge.topLeft(), edge.bottomRight()})
                    best = std::max(best, ContrastRatio(QColor(around), QColor(image.pixel(p))));
                EXPECT_GE(best, 3.0) << widget->objectName().toStdString() << " at " << edge.x() << "," << edge.y();
            }
        }
        if (auto* list = qobject_cast<QTreeView*>(widget)) {
            const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
            for (int c = 0; c < list->model()->columnCount(); ++c) {
                const QString header = list->model()->headerData(c, Qt::Horizontal).toString();
                for (int row = 0; row < 10 && header != "Destination" && header != "Notes"; ++row) {
                    const QModelIndex index = list->model()->index(row, c);
                    const QString text = index.data().toString();
                    EXPECT_EQ(list->fontMetrics().elidedText(text, Qt::ElideRight,
                                                             list->visualRect(index).width() - margins),
                              text);
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, DarkDesktopWindow, ::testing::ValuesIn(kCommands));

using DarkDesktopAbout = ChildWindow;

// Each line of the about text (the rows where its ink is) reads at 4.5:1 on the box's own background.
TEST_F(DarkDesktopAbout, EveryLineOfTheTextReads) {
    QImage text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            QWidget* viewport = box->findChild<QTextEdit*>("rtBox")->viewport();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
            QTest::qWait(100); // drawn
            text = onScreen(viewport, viewport->rect());
            box->accept();
        }
    });
    poll.start(50);
    chooseFromMenu(*w, Qt::Key_H, 2);
    QRgb paper = 0;
    RenderedContrast(text, text.rect(), &paper);
    std::vector<double> lines;
    bool inLine = false;
    for (int y = 0; y < text.height(); ++y) {
        double ink = 1;
        for (int x = 0; x < text.width(); ++x)
            ink = std::max(ink, ContrastRatio(QColor(paper), QColor(text.pixel(x, y))));
        if (ink > 1.3 && !inLine)
            lines.push_back(1);
        if ((inLine = ink > 1.3))
            lines.back() = std::max(lines.back(), ink);
    }
    ASSERT_GE(lines.size(), 4u);
    for (std::size_t i = 0; i < lines.size(); ++i)
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
