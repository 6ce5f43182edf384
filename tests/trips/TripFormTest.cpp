// What both trip windows share: limits, the Enter walk, tab order, opening steps, Clear and validation.
#include "common/ChildWindows.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/MousePointer.h"
#include "support/MsgBoxScript.h"
#include "trips/TripTestUtil.h"
#include "trips/frmAddTrip.h"
#include "trips/frmEditTrip.h"

#include <QAccessible>
#include <QCalendarWidget>
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
#include <QTreeView>

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
        EXPECT_EQ(box->text(), walk[step] == 3 ? "07" : "7"); // Total Miles shows the readings' 0 miles first
    }
    EXPECT_EQ(QApplication::focusWidget(), form->rtBox);
    EXPECT_TRUE(form->rtBox->toPlainText().isEmpty());
    // The keypad's Enter walks too.
    form->txtBox[3]->setFocus();
    QTest::keyClick(form->txtBox[3], Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), form->txtBox[4]);
    EXPECT_EQ(form->txtBox[3]->text(), "07");
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
    if (GetParam() == Window::Edit) {
        auto* edit = static_cast<frmEditTrip*>(form.get());
        order.insert(order.end(), {edit->cmdDelete, edit->cmdPrint, edit->cmdExport});
    }
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
    QTest::keyClick(form->datBox, Qt::Key_Tab); // the date is one stop
    EXPECT_EQ(QApplication::focusWidget(), form->txtBox[12]);
    QTest::keyClick(form->txtBox[12], Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), form->datBox);
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

// A typed new trip is asked about; the editing window without a loaded trip holds nothing Save could store.
TEST_P(BothWindows, ExitAsksOnlyAboutInputSaveCouldStore) {
    AppFolder app;
    MsgBoxScript script;
    auto form = open(GetParam());
    showActive(*form);
    typeFields(*form, {{12, "Peoria"}});
    const bool adding = GetParam() == Window::Add;
    if (adding)
        script.answer(vbDiscard);
    QTest::mouseClick(form->cmdExit, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(script.count(), adding ? 1 : 0);
}

TEST_P(BothWindows, ExitInsideTheMainWindowClosesItsFrame) {
    AppFolder app;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    SetChildArea(area);
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

struct TypedDateCase {
    const char* name;
    Window window;
    const char* typed;
    QDate shown;         // a date shown first: only its month is replaced by the typed text
    const char* stored;  // nullptr: refused with message
    const char* message; // the refusal
};

class TypedDate : public ::testing::TestWithParam<TypedDateCase> {};

const char* const notADate =
    "Trip Date is not a valid date! \r\n\r\nEnter the date as month/day/year, for example 5/31/2010. ";

// Typed with real keys into the date box, one Tab to Destination, Save: the stored date is the typed one,
// or the save is refused with a message naming Trip Date and the focus back on the date.
TEST_P(TypedDate, IsStoredAsTypedOrRefused) {
    const TypedDateCase& c = GetParam();
    AppFolder app;
    app.addTrip("Peoria");
    app.addTrip("Elgin", "1/2/2008");
    const QString other = app.trips("ID = 2");
    MsgBoxScript script;
    auto form = open(c.window);
    showActive(*form);
    if (c.window == Window::Edit) {
        auto* edit = static_cast<frmEditTrip*>(form.get());
        edit->lvTrip->setCurrentIndex(edit->lvTrip->model()->index(0, 0));
        edit->lvTrip_Click();
    } else {
        typeFields(*form, {{12, "Joliet"}, {3, "10"}});
    }
    if (c.shown.isValid()) {
        form->datBox->setDate(c.shown);
        form->datBox->setFocus();
        QTest::keyClick(form->datBox, Qt::Key_Home);
        QTest::keyClick(form->datBox, Qt::Key_Right, Qt::ShiftModifier);
    } else {
        form->txtBox[12]->setFocus();
        QTest::keyClick(form->txtBox[12], Qt::Key_Backtab); // a Tab into the date selects all of it
        ASSERT_EQ(QApplication::focusWidget(), form->datBox);
    }
    if (!*c.typed)
        QTest::keyClick(form->datBox, Qt::Key_Delete);
    QTest::keyClicks(form->datBox, QString::fromUtf8(c.typed));
    QTest::keyClick(form->datBox, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->txtBox[12]);
    if (c.stored)
        script.answer(vbNo);
    QTest::mouseClick(form->cmdSave, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    const QString where = c.window == Window::Add ? " WHERE Destination = 'Joliet'" : " WHERE ID = 1";
    EXPECT_EQ(app.trips("ID = 2"), other);
    if (c.stored) {
        EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
        EXPECT_EQ(app.scalar("SELECT StartDate FROM tblMain" + where).toString(), c.stored);
        return;
    }
    EXPECT_EQ(script.last().text.toStdString(), c.message);
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(QApplication::focusWidget(), form->datBox);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
    EXPECT_EQ(app.scalar("SELECT StartDate FROM tblMain WHERE ID = 1").toString(), "10/18/2007");
}

INSTANTIATE_TEST_SUITE_P(
    Dates, TypedDate,
    ::testing::Values(
        TypedDateCase{"add_plain", Window::Add, "5/31/2010", {}, "5/31/2010", nullptr},
        TypedDateCase{"add_leading_zeros", Window::Add, "05/31/2010", {}, "5/31/2010", nullptr},
        TypedDateCase{"add_two_digit_year", Window::Add, "5/31/10", {}, "5/31/2010", nullptr},
        TypedDateCase{"add_december", Window::Add, "12/25/2010", {}, "12/25/2010", nullptr},
        TypedDateCase{"add_short_parts", Window::Add, "2/3/2011", {}, "2/3/2011", nullptr},
        TypedDateCase{"add_year_first", Window::Add, "2010-05-31", {}, "5/31/2010", nullptr},
        TypedDateCase{"add_month_11_in_2007", Window::Add, "11", QDate(2007, 6, 15), "11/15/2007", nullptr},
        TypedDateCase{"add_month_1_in_2007", Window::Add, "1", QDate(2007, 6, 15), nullptr,
                      "Trip Date is out of range! \r\n\r\nEnter a date from 6/1/2007 to 12/31/9999. "},
        TypedDateCase{"add_impossible", Window::Add, "2/30/2010", {}, nullptr, notADate},
        TypedDateCase{"add_empty", Window::Add, "", {}, nullptr, notADate},
        TypedDateCase{"edit_plain", Window::Edit, "5/31/2010", {}, "5/31/2010", nullptr},
        TypedDateCase{"edit_two_digit_year", Window::Edit, "6/15/09", {}, "6/15/2009", nullptr},
        TypedDateCase{"edit_month_10_in_2007", Window::Edit, "10", QDate(2007, 6, 15), "10/15/2007", nullptr},
        TypedDateCase{"edit_impossible", Window::Edit, "2/30/2010", {}, nullptr, notADate}),
    [](const ::testing::TestParamInfo<TypedDateCase>& info) { return std::string(info.param.name); });

TEST_P(BothWindows, DateArrowKeysStepThePartUnderTheCursorAndTheCalendarPicks) {
    AppFolder app;
    auto form = open(GetParam());
    showActive(*form);
    DateBox* box = form->datBox;
    // The window opens with the date selected, and a click into a date not yet edited selects all of it,
    // so typing replaces it; once edited, a click places the caret.
    if (GetParam() == Window::Add) {
        ASSERT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(box->selectedText(), box->text());
    }
    for (int click = 0; click < 2; ++click) {
        if (click == 1)
            form->txtBox[12]->setFocus();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 3, box->height() / 2));
        EXPECT_EQ(box->selectedText(), box->text()) << "click " << click;
    }
    QTest::keyClicks(box, "5/31/2010");
    EXPECT_EQ(box->text(), "5/31/2010");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_FALSE(box->hasSelectedText());
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->text(), "6/30/2010");
    QTest::keyClick(box, Qt::Key_Up); // the month stays selected
    EXPECT_EQ(box->text(), "7/30/2010");
    box->setCursorPosition(3);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->text(), "7/31/2010");
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->text(), "8/1/2010");
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->text(), "8/1/2009");
    box->setDate(QDate(2007, 6, 1));
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Down); // never below the earliest date
    EXPECT_EQ(box->date(), QDate(2007, 6, 1));

    // F4 drops the calendar down at the shown date; Escape leaves the date alone, Enter picks.
    QTest::keyClick(box, Qt::Key_F4);
    ASSERT_TRUE(box->isCalendarShown());
    EXPECT_EQ(box->calendarWidget()->selectedDate(), QDate(2007, 6, 1));
    EXPECT_EQ(box->calendarWidget()->minimumDate(), QDate(2007, 6, 1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(box->isCalendarShown());
    EXPECT_EQ(box->text(), "6/1/2007");
    QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(box->isCalendarShown());
    box->calendarWidget()->setSelectedDate(QDate(2011, 2, 3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(box->isCalendarShown());
    EXPECT_EQ(box->text(), "2/3/2011");
    EXPECT_EQ(QApplication::focusWidget(), box);
}

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
        ValidationCase{"miles_missing", {{12, "X"}, {1, "0"}, {2, "250"}}, 3, "Total Miles is missing! "},
        ValidationCase{"end_below_start",
                       {{12, "X"}, {1, "49148"}, {2, "49140"}, {3, "152"}},
                       2,
                       "Odometer Reading (End) is less than Odometer Reading (Start)! "},
        ValidationCase{"meals_misgrouped", {{12, "X"}, {3, "1"}, {6, "12,50"}}, 6, "Meals must be a number! "},
        ValidationCase{"lodging", {{12, "X"}, {3, "1"}, {7, "12 50"}}, 7, "Lodging Cost must be a number! "},
        ValidationCase{"miles_range", {{12, "X"}, {3, "40000"}}, 3, "Total Miles is out of range! "},
        ValidationCase{"odometer_range",
                       {{12, "X"}, {3, "1"}, {2, "9999999"}, {1, "1"}},
                       2,
                       "Odometer Reading (End) is out of range! \r\n\r\n"
                       "The two odometer readings are more than 32767 miles apart. "},
        ValidationCase{"fuel_range", {{12, "X"}, {3, "1"}, {4, "9e99"}}, 4, "Fuel Cost is out of range! "}),
    [](const ::testing::TestParamInfo<ValidationCase>& info) { return std::string(info.param.name); });

} // namespace
