// What both trip windows share: limits, the Enter walk, tab order, opening steps, Clear and validation.
#include "support/MsgBoxScript.h"
#include "trips/TripTestUtil.h"
#include "trips/frmAddTrip.h"
#include "trips/frmEditTrip.h"

#include "platform/MousePointer.h"
#include "shell/modGlobal.h"

#include <QAccessible>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace {

enum class Window { Add, Edit };

std::unique_ptr<TripForm> open(Window w) {
    if (w == Window::Add)
        return std::make_unique<frmAddTrip>();
    return std::make_unique<frmEditTrip>();
}

const char* windowName(Window w) {
    return w == Window::Add ? "Add" : "Edit";
}

struct LimitCase {
    Window window;
    int field;
    int max;
};

class TypingLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(TypingLimit, StopsAtTheWindowsMaximum) {
    AppFolder app;
    auto form = open(GetParam().window);
    showActive(*form);
    TripTextBox* box = form->txtBox[static_cast<std::size_t>(GetParam().field)];
    box->setFocus();
    QTest::keyClicks(box, "1234567890123456789012345678901234567890");
    EXPECT_EQ(box->text().size(), GetParam().max);
    // Pasting stops at the limit too.
    box->clear();
    QGuiApplication::clipboard()->setText("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz");
    QTest::keySequence(box, QKeySequence::Paste);
    EXPECT_EQ(box->text().size(), GetParam().max);
    // So does dropping text dragged from elsewhere, in front of what is there.
    box->setText("9");
    QMimeData dragged;
    dragged.setText("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz");
    const QPoint at(1, box->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &move);
    QDropEvent drop(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
    EXPECT_EQ(box->text(),
              QString("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz").left(GetParam().max - 1) + "9");
    // Text the program puts there is kept whole, and can still be shortened by the user.
    box->setText("1,234,567,890,123,456,789,012,345,678,901.00");
    EXPECT_EQ(box->text(), "1,234,567,890,123,456,789,012,345,678,901.00");
    box->setFocus();
    box->end(false);
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "1,234,567,890,123,456,789,012,345,678,901.0");
    QTest::keyClick(box, Qt::Key_5);
    EXPECT_EQ(box->text(), "1,234,567,890,123,456,789,012,345,678,901.0");
}

std::vector<LimitCase> limitCases() {
    const int add[kTripFieldCount] = {7, 7, 7, 7, 9, 7, 7, 7, 7, 7, 7, 7, 34};
    const int edit[kTripFieldCount] = {6, 6, 6, 6, 9, 7, 7, 7, 7, 7, 7, 7, 34};
    std::vector<LimitCase> cases;
    for (int i = 0; i < kTripFieldCount; ++i) {
        cases.push_back({Window::Add, i, add[i]});
        cases.push_back({Window::Edit, i, edit[i]});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Fields, TypingLimit, ::testing::ValuesIn(limitCases()),
                         [](const ::testing::TestParamInfo<LimitCase>& info) {
                             return std::string(windowName(info.param.window)) + "_txtBox_" +
                                    std::to_string(info.param.field);
                         });

class BothWindows : public ::testing::TestWithParam<Window> {};

TEST_P(BothWindows, EnterWalksTheFieldsAndTypesNothing) {
    AppFolder app;
    auto form = open(GetParam());
    showActive(*form);
    const int walk[] = {12, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    form->txtBox[12]->setFocus();
    for (std::size_t step = 0; step < std::size(walk); ++step) {
        TripTextBox* box = form->txtBox[static_cast<std::size_t>(walk[step])];
        ASSERT_EQ(QApplication::focusWidget(), box) << "step " << step;
        QTest::keyClicks(box, "7");
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(box->text(), "7");
    }
    EXPECT_EQ(QApplication::focusWidget(), form->rtBox);
    EXPECT_TRUE(form->rtBox->toPlainText().isEmpty());
    // The keypad's Enter walks too.
    form->txtBox[3]->setFocus();
    QTest::keyClick(form->txtBox[3], Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), form->txtBox[4]);
    EXPECT_EQ(form->txtBox[3]->text(), "7");
}

TEST_P(BothWindows, TabOrderFollowsTheFields) {
    AppFolder app;
    auto form = open(GetParam());
    showActive(*form);
    std::vector<QWidget*> order = {form->txtBox[12]};
    for (std::size_t i = 0; i <= 11; ++i)
        order.push_back(form->txtBox[i]);
    order.push_back(form->rtBox);
    order.push_back(form->cmdSave);
    order.push_back(form->cmdClear);
    if (GetParam() == Window::Edit)
        order.push_back(form->cmdDelete);
    order.push_back(form->cmdExit);
    order.front()->setFocus();
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), order[i]) << "tab stop " << i;
    }
    // Before Destination: the date picker, and before it the list on the editing window.
    QWidget* first = form->datBox;
    if (GetParam() == Window::Edit)
        first = static_cast<frmEditTrip*>(form.get())->lvTrip;
    first->setFocus();
    if (first != form->datBox) {
        QTest::keyClick(first, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), form->datBox);
    }
    for (int i = 0; i < 5 && QApplication::focusWidget() == form->datBox; ++i)
        QTest::keyClick(form->datBox, Qt::Key_Tab); // the picker's sections first
    EXPECT_EQ(QApplication::focusWidget(), form->txtBox[12]);
}

TEST_P(BothWindows, OpensWithTheFocusOnTheFirstTabStop) {
    AppFolder app;
    auto form = open(GetParam());
    showActive(*form);
    QWidget* first = form->datBox;
    if (GetParam() == Window::Edit)
        first = static_cast<frmEditTrip*>(form.get())->lvTrip;
    EXPECT_EQ(QApplication::focusWidget(), first);
}

TEST_P(BothWindows, CaptionsAreBuddiesThatNameTheirFields) {
    AppFolder app;
    auto form = open(GetParam());
    std::vector<std::pair<QWidget*, QString>> fields = {{form->datBox, "Trip Date"}, {form->rtBox, "Notes"}};
    const char* const captions[kTripFieldCount] = {
        "Rate Per Mile", "Odometer (Start)",  "Odometer (End)", "Total Miles", "Fuel Cost",      "Parking Fee", "Meals",
        "Lodging",       "Telephone Charges", "Repairs",        "Towing",      "Misc. Expenses", "Destination"};
    for (std::size_t i = 0; i < kTripFieldCount; ++i)
        fields.emplace_back(form->txtBox[i], captions[i]);
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    for (const auto& [field, caption] : fields) {
        const auto buddy = std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->buddy() == field; });
        ASSERT_NE(buddy, labels.end()) << caption.toStdString();
        EXPECT_EQ((*buddy)->text(), " " + caption);
        // What a screen reader announces.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), caption);
    }
}

TEST_P(BothWindows, OpeningStepsAndControls) {
    AppFolder app;
    QGuiApplication::clipboard()->setText("something the user copied");
    auto form = open(GetParam());
    const bool adding = GetParam() == Window::Add;
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_EQ(form->windowTitle(), App::Caption());
    EXPECT_EQ(form->windowTitle(), "Odomark  -  3.0");
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_FALSE(form->imgBox[0]->pixmap().isNull());
    EXPECT_FALSE(form->imgBox[1]->pixmap().isNull());
    EXPECT_EQ(form->datBox->date(), QDate::currentDate());
    EXPECT_TRUE(form->datBox->calendarPopup());
    EXPECT_EQ(form->datBox->minimumDate(), QDate(2007, 6, 1));
    EXPECT_EQ(form->datBox->maximumDate(), QDate(9999, 12, 31));
    form->datBox->setDate(QDate(2007, 5, 31));
    EXPECT_EQ(form->datBox->date(), QDate(2007, 6, 1));
    EXPECT_EQ(form->findChild<QPlainTextEdit*>("rtBox"), form->rtBox);
    for (int i = 0; i < kTripFieldCount; ++i)
        EXPECT_EQ(form->findChild<QLineEdit*>(QString("txtBox_%1").arg(i)), form->txtBox[static_cast<std::size_t>(i)]);
    EXPECT_EQ(form->txtBox[12]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(form->txtBox[0]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(form->txtBox[2]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(form->txtBox[4]->toolTip(), " Total fuel coast for current day ");
    EXPECT_EQ(form->txtBox[0]->toolTip(), adding ? " Mileage (rate per mile) paid or charged  -  Example:  .475"
                                                 : " Mileage (rate per mile)  -  (Example:  .475)");
    EXPECT_EQ(form->findChild<QLabel*>("lblCaption_0")->toolTip(),
              adding ? " Mileage (rate per mile) paid or charged " : " Mileage (rate per mile) ");
    EXPECT_EQ(form->findChild<QLabel*>("lblCaption_11")->text(), " Misc. Expenses");
    EXPECT_EQ(form->cmdExit->text(), "e&Xit");
    EXPECT_EQ(form->findChild<QLabel*>("lbldata_0") != nullptr, adding);
    if (adding) {
        EXPECT_EQ(form->findChild<QLabel*>("lbldata_1")->text(), "Expenses");
    }
    EXPECT_EQ(form->findChild<QPushButton*>("cmdDelete") != nullptr, !adding);
}

TEST_P(BothWindows, ClearResetsTheFieldsAndTheDate) {
    AppFolder app;
    auto form = open(GetParam());
    showActive(*form);
    form->datBox->setDate(QDate(2008, 1, 2));
    typeFields(*form, {{12, "Peoria"}, {0, ".5"}, {11, "3"}});
    form->rtBox->setPlainText("note");
    QTest::mouseClick(form->cmdClear, Qt::LeftButton);
    EXPECT_EQ(form->datBox->date(), QDate::currentDate());
    for (TripTextBox* box : form->txtBox)
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(form->rtBox->toPlainText().isEmpty());
    QWidget* expected = form->txtBox[12];
    if (GetParam() == Window::Edit)
        expected = static_cast<frmEditTrip*>(form.get())->lvTrip;
    EXPECT_EQ(QApplication::focusWidget(), expected);
}

TEST_P(BothWindows, OpensWithoutThePicturesItCannotLoad) {
    AppFolder app;
    QFile::remove(app.path() + "/images/earth.ico");
    QFile::remove(app.path() + "/images/hwy.wmf");
    QFile(app.path() + "/images/trip.wmf").resize(7); // damaged
    auto form = open(GetParam());
    EXPECT_TRUE(form->imgBox[0]->pixmap().isNull());
    EXPECT_TRUE(form->imgBox[1]->pixmap().isNull());
    EXPECT_EQ(form->windowTitle(), "Odomark  -  3.0");
    EXPECT_EQ(form->datBox->date(), QDate::currentDate());
    EXPECT_NE(objTrip, nullptr);
}

TEST_P(BothWindows, ExitClosesWithoutAsking) {
    AppFolder app;
    MsgBoxScript script;
    auto form = open(GetParam());
    showActive(*form);
    typeFields(*form, {{12, "Peoria"}});
    QTest::mouseClick(form->cmdExit, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(script.count(), 0);
}

TEST_P(BothWindows, ExitInsideTheMainWindowClosesItsFrame) {
    AppFolder app;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.show();
    QPointer<TripForm> form = open(GetParam()).release();
    ShowChild(form);
    ASSERT_EQ(area->subWindowList().size(), 1);
    QPointer<QMdiSubWindow> frame = area->subWindowList().first();
    QTest::mouseClick(form->cmdExit, Qt::LeftButton);
    for (int i = 0; i < 50 && !frame.isNull(); ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_TRUE(frame.isNull());
    EXPECT_TRUE(form.isNull());
}

INSTANTIATE_TEST_SUITE_P(Windows, BothWindows, ::testing::Values(Window::Add, Window::Edit),
                         [](const ::testing::TestParamInfo<Window>& info) { return windowName(info.param); });

struct ValidationCase {
    const char* name;
    std::map<int, QString> typed;
    int focus;
    const char* message;
};

class WindowValidation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(WindowValidation, MessageFocusAndFieldsKept) {
    AppFolder app;
    MsgBoxScript script;
    frmAddTrip form;
    showActive(form);
    typeFields(form, GetParam().typed);
    const TripFieldTexts before = form.fieldTexts();
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text.toStdString(), GetParam().message);
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(script.last().title, App::Title());
    TripTextBox* failing = form.txtBox[static_cast<std::size_t>(GetParam().focus)];
    EXPECT_EQ(QApplication::focusWidget(), failing);
    EXPECT_FALSE(failing->hasSelectedText());
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(form.txtBox[i]->text(), before[i].trimmed());
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WindowValidation,
    ::testing::Values(
        ValidationCase{"blank_destination", {{12, "   "}, {3, "10"}}, 12, "Destination is missing! "},
        ValidationCase{
            "first_of_several", {{12, "X"}, {1, "a"}, {4, "b"}}, 1, "Odometer Reading (Start) must be a number! "},
        ValidationCase{"miles_missing", {{12, "X"}, {1, "100"}, {2, "250"}}, 3, "Total Miles is missing! "},
        ValidationCase{"lodging", {{12, "X"}, {3, "1"}, {7, "12 50"}}, 7, "Lodging Cost must be a number! "},
        ValidationCase{"miles_range", {{12, "X"}, {3, "40000"}}, 3, "Total Miles is out of range! "},
        ValidationCase{
            "odometer_range", {{12, "X"}, {3, "1"}, {2, "9999999"}, {1, "1"}}, 2, "Total Miles is out of range! "},
        ValidationCase{"fuel_range", {{12, "X"}, {3, "1"}, {4, "9e99"}}, 4, "Fuel Cost is out of range! "}),
    [](const ::testing::TestParamInfo<ValidationCase>& info) { return std::string(info.param.name); });

} // namespace
