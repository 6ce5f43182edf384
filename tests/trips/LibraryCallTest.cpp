// The trip windows around their library calls: the pointer while a call runs and when a box is shown,
// and reads or writes that fail or throw.
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/MousePointer.h"
#include "support/MsgBoxScript.h"
#include "trips/TripTestUtil.h"
#include "trips/frmAddTrip.h"
#include "trips/frmEditTrip.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <stdexcept>

namespace {

// Passes every call on to the real Trip and notes the window's pointer while it runs; chosen calls
// fail instead.
class WatchedTrip : public _Trip {
public:
    WatchedTrip(std::shared_ptr<_Trip> real, const QWidget* window) : real_(std::move(real)), window_(window) {}

    bool failNewTripID = false; // GetNewTripID returns no record set
    bool throwOnWrite = false;  // AddTrip, UpdateTrip and DeleteTrip throw
    QStringList calls;          // "name:pointer"

    RecordsetPtr LoadTrip() override {
        note("LoadTrip");
        return real_->LoadTrip();
    }
    RecordsetPtr LoadTripReport(std::string& strID) override { return real_->LoadTripReport(strID); }
    RecordsetPtr RefreshTrip() override { return real_->RefreshTrip(); }
    bool AddTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                 std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) override {
        note("AddTrip");
        if (throwOnWrite)
            throw std::runtime_error("AddTrip");
        return real_->AddTrip(strText, datDate, intMiles, lngNumbers, sngMoney, sngRate);
    }
    bool DeleteTrip(std::string& strID) override {
        note("DeleteTrip");
        if (throwOnWrite)
            throw std::runtime_error("DeleteTrip");
        return real_->DeleteTrip(strID);
    }
    bool UpdateTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                    std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) override {
        note("UpdateTrip");
        if (throwOnWrite)
            throw std::runtime_error("UpdateTrip");
        return real_->UpdateTrip(strText, datDate, intMiles, lngNumbers, sngMoney, sngRate);
    }
    RecordsetPtr GetNewTripID() override {
        note("GetNewTripID");
        return failNewTripID ? nullptr : real_->GetNewTripID();
    }
    RecordsetPtr LoadOwner() override { return real_->LoadOwner(); }
    bool AddOwner(std::vector<std::string>& strText) override { return real_->AddOwner(strText); }
    bool UpdateOwner(std::vector<std::string>& strText) override { return real_->UpdateOwner(strText); }
    std::string Clean(std::string& strText) override { return real_->Clean(strText); }

private:
    void note(const char* name) { calls << QStringLiteral("%1:%2").arg(name).arg(MousePointerOf(window_)); }

    std::shared_ptr<_Trip> real_;
    const QWidget* window_;
};

// Records each box with the window's pointer at the moment it is shown, answering from a queue.
struct Boxes {
    explicit Boxes(const QWidget* window, QList<int> answers = {}) : answers_(std::move(answers)) {
        SetMsgBoxHandler([this, window](const MsgBoxCall& call) {
            shown.append(call);
            pointers.append(MousePointerOf(window));
            return answers_.isEmpty() ? MsgBoxDefaultAnswer(call.style) : answers_.takeFirst();
        });
    }
    QList<MsgBoxCall> shown;
    QList<int> pointers;

private:
    QList<int> answers_;
};

std::shared_ptr<WatchedTrip> watch(const QWidget& window) {
    auto watched = std::make_shared<WatchedTrip>(objTrip, &window);
    objTrip = watched;
    return watched;
}

const QString hourglass = QString::number(vbHourglass);

TEST(TripLibraryCalls, AddTripRunsUnderTheHourglassAndEveryBoxUnderTheArrow) {
    AppFolder app;
    MsgBoxScript guard; // an unexpected box fails the test
    frmAddTrip form;
    showActive(form);
    auto trip = watch(form);
    Boxes boxes(&form, {vbYes});
    typeFields(form, {{3, "10"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton); // Destination missing
    typeFields(form, {{12, "Peoria"}, {3, "10"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(trip->calls, (QStringList{"GetNewTripID:" + hourglass, "AddTrip:" + hourglass}));
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text, "Destination is missing! ");
    EXPECT_EQ(boxes.shown[1].title, "Record Saved Successfully");
    EXPECT_EQ(boxes.pointers, (QList<int>{vbDefault, vbDefault}));
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
}

struct AddFailure {
    const char* name;
    bool failNewTripID;
    bool throwOnWrite;
    QStringList calls;
};

class AddTripFailure : public ::testing::TestWithParam<AddFailure> {};

// No identifier, or a library call that throws: the trip is not saved, and what was typed stays.
TEST_P(AddTripFailure, ReportsNotSavedAndKeepsTheFields) {
    AppFolder app;
    MsgBoxScript guard;
    frmAddTrip form;
    showActive(form);
    auto trip = watch(form);
    trip->failNewTripID = GetParam().failNewTripID;
    trip->throwOnWrite = GetParam().throwOnWrite;
    Boxes boxes(&form);
    form.datBox->setDate(QDate(2008, 3, 4));
    typeFields(form, {{12, "Peoria"}, {0, ".5"}, {3, "10"}, {4, "12.50"}});
    form.rtBox->setPlainText("kept");
    const TripFieldTexts typed = form.fieldTexts();
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(trip->calls, GetParam().calls);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "Trip Record was NOT Saved! ");
    EXPECT_EQ(boxes.shown[0].title, " ERROR");
    EXPECT_EQ(boxes.shown[0].style, vbCritical | vbOKOnly);
    EXPECT_EQ(boxes.pointers, QList<int>{vbDefault});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.fieldTexts(), typed);
    EXPECT_EQ(form.rtBox->toPlainText(), "kept");
    EXPECT_EQ(form.datBox->date(), QDate(2008, 3, 4));
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
    EXPECT_EQ(rsTrip, nullptr); // the identifier's record set was released
}

INSTANTIATE_TEST_SUITE_P(
    Calls, AddTripFailure,
    ::testing::Values(AddFailure{"no_identifier", true, false, {"GetNewTripID:" + hourglass}},
                      AddFailure{"add_throws", false, true, {"GetNewTripID:" + hourglass, "AddTrip:" + hourglass}}),
    [](const ::testing::TestParamInfo<AddFailure>& info) { return std::string(info.param.name); });

TEST(TripLibraryCalls, EditWindowCallsAndBoxes) {
    AppFolder app;
    app.addTrip("Peoria");
    app.addTrip("Elgin");
    const QString other = app.trips("ID = 2");
    MsgBoxScript guard;
    frmEditTrip form;
    showActive(form);
    auto trip = watch(form);
    Boxes boxes(&form, {vbYes});
    form.lvTrip->setCurrentIndex(form.lvTrip->model()->index(0, 0));
    form.lvTrip_Click();
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
    typeFields(form, {{12, "Joliet"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton); // updated; Yes rebuilds the list
    EXPECT_EQ(trip->calls, (QStringList{"UpdateTrip:" + hourglass, "LoadTrip:" + hourglass}));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].title, "Record Updated Successfully");
    EXPECT_EQ(boxes.pointers, QList<int>{vbDefault});
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
    ASSERT_EQ(form.lvTrip->model()->rowCount(), 2);
    EXPECT_EQ(form.lvTrip->model()->index(0, 2).data().toString(), "Joliet");
    EXPECT_EQ(app.trips("ID = 2"), other);
}

// An update or delete call that throws counts as not done: the update keeps the loaded trip, the
// delete clears the fields; the list keeps its rows either way.
TEST(TripLibraryCalls, EditWindowWritesThatThrow) {
    AppFolder app;
    const QString id = app.addTrip("Peoria");
    app.addTrip("Elgin");
    const QString all = app.trips("1");
    MsgBoxScript guard;
    frmEditTrip form;
    showActive(form);
    auto trip = watch(form);
    trip->throwOnWrite = true;
    Boxes boxes(&form);
    form.lvTrip->setCurrentIndex(form.lvTrip->model()->index(0, 0));
    form.lvTrip_Click();
    typeFields(form, {{12, "Joliet"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "Trip Record was NOT Updated! ");
    EXPECT_EQ(boxes.shown[0].title, " ERROR");
    EXPECT_EQ(boxes.shown[0].style, vbCritical | vbOKOnly);
    EXPECT_EQ(form.lblID->text(), id);
    EXPECT_EQ(form.txtBox[12]->text(), "Joliet");
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[1].text, "Trip Record was NOT Deleted! ");
    EXPECT_EQ(boxes.shown[1].title, App::Title());
    EXPECT_EQ(boxes.shown[1].style, vbExclamation | vbOKOnly);
    EXPECT_EQ(boxes.pointers, (QList<int>{vbDefault, vbDefault}));
    EXPECT_TRUE(form.lblID->text().isEmpty());
    EXPECT_TRUE(form.txtBox[12]->text().isEmpty());
    EXPECT_EQ(form.lvTrip->model()->rowCount(), 2);
    EXPECT_EQ(app.trips("1"), all);
}

} // namespace
