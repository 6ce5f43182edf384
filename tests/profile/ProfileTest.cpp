// The two profile windows: fields, keyboard, highlighting, validation, and storing the profile.
#include "common/modGlobal.h"
#include "platform/SingleInstance.h"
#include "profile/ProfileFields.h"
#include "profile/frmAddOwner.h"
#include "profile/frmEditOwner.h"
#include "support/AppFolder.h"
#include "support/MsgBoxScript.h"
#include "tripdata/TripLoader.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
const QStringList kAnne = {"Smith", "Anne", "1 Main St", "Springfield", "IL", "62701", ""};

void fill(ProfileFields* f, const QStringList& texts) {
    for (int i = 0; i < ProfileRules::kFieldCount; ++i)
        f->txtBox(i)->setText(i < texts.size() ? texts[i] : QString());
}

bool libraryWorks(const QString& folder) {
    int err = 0;
    return CreateTripObject(folder, &err) != nullptr;
}
} // namespace

// Both windows, made the same way for the tests they share.
struct WindowKind {
    const char* name;
    const char* heading;
    std::function<QWidget*()> make;
};
std::ostream& operator<<(std::ostream& os, const WindowKind& k) {
    return os << k.name;
}

class ProfileWindowTest : public ::testing::TestWithParam<WindowKind> {
protected:
    void SetUp() override {
        SetFinalExit([this](int code) { exits.append(code); });
        ResetProgramEnded();
        strFullName = "Before";
        window.reset(GetParam().make());
        fields = window->findChild<ProfileFields*>();
        ASSERT_NE(fields, nullptr);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        window.reset();
        SetFinalExit({});
        ResetProgramEnded();
    }
    void save() { window->findChild<QPushButton*>("cmdSave")->click(); }

    AppFolder folder;
    QList<int> exits;
    std::unique_ptr<QWidget> window;
    ProfileFields* fields = nullptr;
};

TEST_P(ProfileWindowTest, FieldsHaveTheirNamesCaptionsAndMaximumLengths) {
    const QStringList captions = {"Last Name",  "First Name",  "Address",      "City",
                                  "State/Prov", "Postal Code", "Email Address"};
    const int lengths[] = {35, 35, 35, 35, 3, 10, 45};
    for (int i = 0; i < 7; ++i) {
        auto* box = window->findChild<QLineEdit*>(QString("txtBox_%1").arg(i));
        auto* label = window->findChild<QLabel*>(QString("lblData_%1").arg(i));
        ASSERT_TRUE(box && label) << i;
        EXPECT_EQ(label->text(), captions[i]);
        // Typing stops at the field's maximum length.
        box->setFocus();
        QTest::keyClicks(box, "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz");
        EXPECT_EQ(box->text().size(), lengths[i]) << i;
        box->clear();
    }
    EXPECT_EQ(window->findChild<QPushButton*>("cmdSave")->text(), "&Save");
    EXPECT_EQ(window->findChild<QPushButton*>("cmdExit")->text(), "e&Xit");
    auto* heading = window->findChild<QLabel*>("lblHeading");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), GetParam().heading);
    EXPECT_TRUE(heading->font().bold());

    // Bold sans-serif boxes; where Verdana is missing the face that stands in is sans-serif too.
    for (int i = 0; i < 7; ++i) {
        const QFont font = fields->txtBox(i)->font();
        EXPECT_TRUE(font.bold()) << i;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 9.75) << i;
        EXPECT_EQ(font.family(), "Verdana") << i;
        EXPECT_EQ(font.styleHint(), QFont::SansSerif) << i;
    }
    // The state box is narrow with its text centred.
    EXPECT_TRUE(fields->txtBox(4)->alignment() & Qt::AlignHCenter);
    EXPECT_LT(fields->txtBox(4)->width() * 2, fields->txtBox(3)->width());
}

TEST_P(ProfileWindowTest, EnterWalksTheFieldsToSaveWithoutTypingAndASecondEnterSaves) {
    fields->txtBox(0)->setFocus();
    for (int i = 0; i < 7; ++i) {
        ASSERT_EQ(QApplication::focusWidget(), fields->txtBox(i)) << i;
        QTest::keyClick(fields->txtBox(i), Qt::Key_Return);
        EXPECT_TRUE(fields->txtBox(i)->text().isEmpty()) << i;
    }
    auto* cmdSave = window->findChild<QPushButton*>("cmdSave");
    EXPECT_EQ(QApplication::focusWidget(), cmdSave);
    EXPECT_TRUE(window->isVisible()); // the walk pressed nothing
    MsgBoxScript script;
    QTest::keyClick(cmdSave, Qt::Key_Return);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Last Name is missing! ");
}

TEST_P(ProfileWindowTest, OnlyTheFocusedFieldsCaptionIsBoldAndBlue) {
    QTest::mouseClick(fields->txtBox(2), Qt::LeftButton);
    QTest::keyClick(fields->txtBox(2), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), fields->txtBox(3));
    for (int i = 0; i < 7; ++i) {
        const QLabel* label = fields->lblData(i);
        const bool focused = i == 3;
        EXPECT_EQ(label->font().bold(), focused) << i;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), focused ? QColor(0, 0, 255) : QColor(0, 0, 0)) << i;
    }
    fields->txtBox(5)->setFocus();
    EXPECT_FALSE(fields->lblData(3)->font().bold());
    EXPECT_TRUE(fields->lblData(5)->font().bold());
}

struct ValidationCase {
    QStringList texts;
    int focus;
    const char* message;
};

TEST_P(ProfileWindowTest, ValidationRunsInOrderWithItsMessagesAndFocus) {
    const QList<ValidationCase> cases = {
        {{"", "", "", "", "", "", ""}, 0, "Last Name is missing! "},
        {{"   ", "Anne", "1 Main St", "Springfield", "IL", "62701", ""}, 0, "Last Name is missing! "},
        {{"Smith", "", "", "", "", "", ""}, 1, "First Name is missing! "},
        {{"Smith", "Anne", "", "", "", "", ""}, 2, "Address is missing! "},
        {{"Smith", "Anne", "1 Main St", "  ", "IL", "62701", ""}, 3, "City Name is missing! "},
        {{"Smith", "Anne", "1 Main St", "Springfield", "I", "62701", ""}, 4, "State/Prov is incomplete! "},
        {{"Smith", "Anne", "1 Main St", "Springfield", " I ", "62701", ""}, 4, "State/Prov is incomplete! "},
        {{"Smith", "Anne", "1 Main St", "Springfield", "IL", "6270", ""}, 5, "Postal (ZIP) Code is incomplete! "},
        // Lengths are characters as seen: an accented letter of two code units and an emoji are one each.
        {{"Smith", "Anne", "1 Main St", "Springfield", QString::fromUtf16(u"E\u0301"), "62701", ""},
         4,
         "State/Prov is incomplete! "},
        {{"Smith", "Anne", "1 Main St", "Springfield", "IL", QString::fromUtf16(u"627\U0001F600"), ""},
         5,
         "Postal (ZIP) Code is incomplete! "},
    };
    for (const ValidationCase& c : cases) {
        fill(fields, c.texts);
        fields->txtBox(6)->setFocus();
        MsgBoxScript script;
        save();
        ASSERT_EQ(script.count(), 1) << c.message;
        EXPECT_EQ(script.last().text, c.message);
        EXPECT_EQ(script.last().title, "Odomark");
        EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
        EXPECT_EQ(QApplication::focusWidget(), fields->txtBox(c.focus)) << c.message;
        EXPECT_EQ(strFullName, "Before");
    }
    EXPECT_TRUE(ProfileRules::Validate(kAnne).message.isEmpty()); // two letters, five digits, no e-mail pass
}

TEST_P(ProfileWindowTest, AProfileThatIsNotStoredLeavesTheNameAlone) {
    objTrip.reset(); // the library call cannot be made
    fill(fields, kAnne);
    MsgBoxScript script;
    script.allowUnscripted();
    // The window made its own object on load; without it the save fails.
    window->findChild<QPushButton*>("cmdSave")->click();
    ASSERT_GE(script.count(), 1);
    EXPECT_EQ(script.last().text, "Profile Record was NOT Saved! ");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(strFullName, "Before");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(fields->txtBox(0)->text(), "Smith");
}

TEST_P(ProfileWindowTest, ABoldCaptionHasItsRoomFromTheStart) {
    // The focused field's caption turns bold: no caption is clipped and nothing moves or resizes.
    fields->txtBox(6)->setFocus();
    QApplication::processEvents();
    const QSize windowSize = window->size();
    const QPoint windowAt = window->pos();
    const int boxLeft = fields->txtBox(0)->x();
    for (int i = 0; i < ProfileRules::kFieldCount; ++i) {
        fields->txtBox(i)->setFocus();
        QApplication::processEvents();
        const QLabel* label = fields->lblData(i);
        ASSERT_TRUE(label->font().bold()) << i;
        EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(label->text())) << i;
        EXPECT_EQ(fields->txtBox(i)->x(), boxLeft) << i;
        EXPECT_EQ(window->size(), windowSize) << i;
        EXPECT_EQ(window->pos(), windowAt) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, ProfileWindowTest,
                         ::testing::Values(WindowKind{"frmAddOwner", "User Profile", [] { return new frmAddOwner; }},
                                           WindowKind{"frmEditOwner", "Update User Profile",
                                                      [] { return new frmEditOwner; }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileRules, FullNameAndIdentifier) {
    EXPECT_EQ(ProfileRules::FullName("Anne", "Smith"), "Anne Smith");
    EXPECT_EQ(ProfileRules::OwnerId("Smith"), "Smith - 431");
    ProfileFields f;
    fill(&f, kAnne);
    const auto first = f.ProfileText(true);
    ASSERT_EQ(first.size(), 9u);
    EXPECT_EQ(first[4], "IL");
    EXPECT_EQ(first[7], "Anne Smith");
    EXPECT_EQ(first[8], "Smith - 431");
    EXPECT_EQ(f.ProfileText(false)[8], ""); // the editing window never changes the identifier
}

TEST(ProfileRules, InputChangedIgnoresBlanksSaveTrims) {
    const QStringList loaded{"Smith", "Anne", "", "Springfield"};
    EXPECT_FALSE(ProfileRules::InputChanged(loaded, {"Smith ", "Anne", "  ", "Springfield"}));
    EXPECT_TRUE(ProfileRules::InputChanged(loaded, {"Smyth", "Anne", "", "Springfield"}));
    EXPECT_TRUE(ProfileRules::InputChanged(loaded, {"Smith", "Anne", "x", "Springfield"}));
}

// With the library: storing and reading the profile row.
class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A library that cannot create Trip must fail these tests, not skip them.
        ASSERT_TRUE(libraryWorks(folder.path()));
        SetFinalExit([this](int code) { exits.append(code); });
        ResetProgramEnded();
        strFullName.clear();
    }
    void TearDown() override {
        SetFinalExit({});
        ResetProgramEnded();
    }
    AppFolder folder;
    QList<int> exits;
};

TEST_F(ProfileStoreTest, FirstUseStoresNameAndIdentifierAndHidesTheWindow) {
    for (const QString& last : {QString("Smith"), QString("O'Brien")}) {
        folder.exec("DELETE FROM tblOwner");
        frmAddOwner w;
        w.show();
        QStringList texts = kAnne;
        texts[0] = "  " + last + "  ";
        fill(w.fields(), texts);
        MsgBoxScript script;
        w.cmdSave_Click();
        ASSERT_EQ(script.count(), 1) << last.toStdString();
        EXPECT_EQ(script.last().text, "Profile Information Saved! ");
        EXPECT_EQ(script.last().title, "Record Saved Successfully");
        EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
        EXPECT_TRUE(w.profileStored());
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(exits.isEmpty()); // hidden, not unloaded
        EXPECT_EQ(strFullName, "Anne " + last);
        EXPECT_EQ(folder.scalar("SELECT FullName FROM tblOwner").toString(), "Anne " + last);
        EXPECT_EQ(folder.scalar("SELECT OwnerID FROM tblOwner").toString(), last + " - 431");
        EXPECT_EQ(folder.scalar("SELECT LName FROM tblOwner").toString(), last);
    }
}

TEST_F(ProfileStoreTest, ExitFromTheFirstUseWindowEndsTheProgramWithoutStoring) {
    frmAddOwner w;
    w.show();
    fill(w.fields(), kAnne);
    QTest::keyClick(&w, Qt::Key_Escape); // Escape does not leave the window
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(exits.isEmpty());
    w.findChild<QPushButton*>("cmdExit")->click();
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_EQ(folder.scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 0);
}

TEST_F(ProfileStoreTest, EditingShowsTheStoredProfileAndUpdatesItKeepingTheIdentifier) {
    folder.addOwner("Anne", "Smith");
    auto* w = new frmEditOwner;
    QPointer<frmEditOwner> alive = w;
    w->show();
    const QStringList shown = {"Smith", "Anne", "1 Main St", "Springfield", "IL", "62701", ""};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w->fields()->txtBox(i)->text(), shown[i]) << i;
    EXPECT_EQ(w->windowTitle(), "Odomark  -  3.0");
    w->fields()->txtBox(1)->setText("Ann");
    MsgBoxScript script;
    w->cmdSave_Click();
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Profile Information Saved! ");
    EXPECT_EQ(strFullName, "Ann Smith");
    EXPECT_EQ(folder.scalar("SELECT FullName FROM tblOwner").toString(), "Ann Smith");
    EXPECT_EQ(folder.scalar("SELECT OwnerID FROM tblOwner").toString(), "Smith - 431");
    EXPECT_FALSE(w->isVisible()); // closed after the save
    delete alive.data();
}

TEST_F(ProfileStoreTest, LongStoredValuesSurviveASaveOfAnotherField) {
    // Rows from an older or imported file may hold more than the fields let the user type.
    folder.addOwner("Anne", "Smith");
    const QString address = "1234 North Lake Shore Drive, Apartment 5607";
    const QString email = "anne.smith.expense-reports@springfield-consulting.example.com";
    folder.exec("UPDATE tblOwner SET State = 'Illinois', Address = '" + address + "', Email = '" + email + "';");
    frmEditOwner w;
    w.show();
    EXPECT_EQ(w.fields()->txtBox(4)->text(), "Illinois");
    EXPECT_EQ(w.fields()->txtBox(2)->text(), address);
    QLineEdit* first = w.fields()->txtBox(1);
    first->setFocus();
    first->selectAll();
    QTest::keyClicks(first, "Ann");
    MsgBoxScript script;
    w.cmdSave_Click();
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Profile Information Saved! ");
    EXPECT_EQ(folder.scalar("SELECT FName FROM tblOwner").toString(), "Ann");
    EXPECT_EQ(folder.scalar("SELECT State FROM tblOwner").toString(), "Illinois");
    EXPECT_EQ(folder.scalar("SELECT Address FROM tblOwner").toString(), address);
    EXPECT_EQ(folder.scalar("SELECT Email FROM tblOwner").toString(), email);
}

TEST_F(ProfileStoreTest, EditingShowsTheLastRowAndANullAsAnEmptyBox) {
    folder.addOwner("Anne", "Smith");
    folder.exec("INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,Zip,Email) VALUES "
                "('Jones - 431','Jones','Bob',NULL,'Ames','IA','50010',NULL);");
    folder.exec("UPDATE tblOwner SET Email = 'anne@example.com' WHERE LName = 'Smith';");
    frmEditOwner w;
    const QStringList shown = {"Jones", "Bob", "", "Ames", "IA", "50010", ""};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w.fields()->txtBox(i)->text(), shown[i]) << i;
    EXPECT_EQ(rsTrip, nullptr);
}
