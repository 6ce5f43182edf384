// The shared routines: trimming text fields, releasing the record set, waiting.
#include "common/modGlobal.h"

#include <QDateEdit>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <ctime>

#include <gtest/gtest.h>

struct TrimCase {
    const char* before;
    const char* after;
};
class TrimTextFieldsTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimTextFieldsTest, RemovesOnlyOuterBlanksFromTextBoxesAndRichTextBoxes) {
    const TrimCase c = GetParam();
    QWidget frm;
    auto* layout = new QVBoxLayout(&frm);
    auto* box = new QLineEdit(QString::fromUtf8(c.before));
    auto* rich = new QTextEdit;
    rich->setPlainText(QString::fromUtf8(c.before));
    auto* label = new QLabel(QString::fromUtf8(c.before));
    auto* button = new QPushButton(QString::fromUtf8(c.before));
    auto* nested = new QWidget;
    auto* nestedBox = new QLineEdit(QString::fromUtf8(c.before), nested);
    for (QWidget* w : {static_cast<QWidget*>(box), static_cast<QWidget*>(rich), static_cast<QWidget*>(label),
                       static_cast<QWidget*>(button), nested})
        layout->addWidget(w);
    TrimTextFields(&frm);
    EXPECT_EQ(box->text(), QString::fromUtf8(c.after));
    EXPECT_EQ(rich->toPlainText(), QString::fromUtf8(c.after));
    EXPECT_EQ(nestedBox->text(), QString::fromUtf8(c.after));
    EXPECT_EQ(label->text(), QString::fromUtf8(c.before));
    EXPECT_EQ(button->text(), QString::fromUtf8(c.before));
}
INSTANTIATE_TEST_SUITE_P(Texts, TrimTextFieldsTest,
                         ::testing::Values(TrimCase{"  Des Moines  ", "Des Moines"}, TrimCase{"   ", ""},
                                           TrimCase{"", ""}, TrimCase{"\tTab kept\t", "\tTab kept\t"},
                                           TrimCase{" inner  blanks stay ", "inner  blanks stay"},
                                           TrimCase{"\xC3\xA9t\xC3\xA9 ", "\xC3\xA9t\xC3\xA9"}));

TEST(TrimTextFields, LeavesTheEditorInsideADatePickerAlone) {
    QWidget frm;
    auto* date = new QDateEdit(QDate(2007, 10, 18), &frm);
    const QString before = date->findChild<QLineEdit*>()->text();
    TrimTextFields(&frm);
    EXPECT_EQ(date->date(), QDate(2007, 10, 18));
    EXPECT_EQ(date->findChild<QLineEdit*>()->text(), before);
    TrimTextFields(nullptr); // never fails
}

TEST(CloseRecordset, ClosesAndReleasesAndDoesNothingTheSecondTime) {
    CloseRecordset(); // unset: nothing happens
    auto rs = std::make_shared<Recordset>(std::vector<std::string>{"A"},
                                          std::vector<std::vector<Value>>{{Value::integer(1)}});
    rsTrip = rs;
    CloseRecordset();
    EXPECT_EQ(rsTrip, nullptr);
    EXPECT_FALSE(rs->isOpen());
    CloseRecordset();
    EXPECT_EQ(rsTrip, nullptr);
}

namespace {
// Waits until the clock's second has just changed, so a Delay starts at a known point of the second.
void alignToSecondStart() {
    const qint64 s = QDateTime::currentSecsSinceEpoch();
    while (QDateTime::currentSecsSinceEpoch() == s)
        QThread::msleep(1);
}
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}
} // namespace

TEST(Delay, ZeroEndsAtTheNextSecondAndKeepsTheProcessorFree) {
    alignToSecondStart();
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    int timerFired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++timerFired; });
    timer.start(100);
    EXPECT_TRUE(Delay(0));
    const qint64 ms = wall.elapsed();
    EXPECT_GE(ms, 900);
    EXPECT_LE(ms, 1300);
    EXPECT_GE(timerFired, 5); // events run during the wait
    EXPECT_LT(cpuSeconds() - cpu0, 0.3 * ms / 1000.0);
}

TEST(Delay, ZeroJustBeforeTheSecondChangesReturnsAtOnce) {
    alignToSecondStart();
    QThread::msleep(950);
    QElapsedTimer wall;
    wall.start();
    Delay(0);
    EXPECT_LE(wall.elapsed(), 250);
}

TEST(Delay, OneSecondWaitsBetweenOneAndTwoSeconds) {
    alignToSecondStart();
    QThread::msleep(300);
    QElapsedTimer wall;
    wall.start();
    Delay(1);
    EXPECT_GE(wall.elapsed(), 1000);
    EXPECT_LE(wall.elapsed(), 1800);
}
