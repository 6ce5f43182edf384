#include "reports/frmYearSummary.h"

#include "common/ChildWindows.h"
#include "common/TripDateBox.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/DateBox.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "reports/YearSummary.h"
#include "reports/dataReport.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

frmYearSummary::frmYearSummary(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmYearSummary"));
    setAttribute(Qt::WA_DeleteOnClose);

    optYear_ = new QRadioButton(tr("Calendar &year"), this);
    optYear_->setObjectName(QStringLiteral("optYear"));
    cboYear_ = new QComboBox(this);
    cboYear_->setObjectName(QStringLiteral("cboYear"));
    optRange_ = new QRadioButton(tr("&Dates"), this);
    optRange_->setObjectName(QStringLiteral("optRange"));
    const auto dateBox = [this](const char* name) {
        DateBox* box = NewTripDateBox(this);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    dtpFrom_ = dateBox("dtpFrom");
    dtpTo_ = dateBox("dtpTo");
    auto* lblFrom = new QLabel(tr("Fro&m"), this);
    lblFrom->setBuddy(dtpFrom_);
    auto* lblTo = new QLabel(tr("&To"), this);
    lblTo->setBuddy(dtpTo_);
    cmdPreview_ = new QPushButton(tr("&Preview"), this);
    cmdPreview_->setObjectName(QStringLiteral("cmdPreview"));
    cmdExit_ = new QPushButton(tr("e&Xit"), this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->addWidget(optYear_, 0, 0);
    grid->addWidget(cboYear_, 0, 1, 1, 3);
    grid->addWidget(optRange_, 1, 0);
    grid->addWidget(lblFrom, 1, 1);
    grid->addWidget(dtpFrom_, 1, 2, 1, 2);
    grid->addWidget(lblTo, 2, 1);
    grid->addWidget(dtpTo_, 2, 2, 1, 2);
    grid->setRowMinimumHeight(3, 10);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPreview_);
    buttons->addWidget(cmdExit_);
    grid->addLayout(buttons, 4, 0, 1, 4);

    setTabOrder(optYear_, cboYear_);
    setTabOrder(cboYear_, optRange_);
    setTabOrder(optRange_, dtpFrom_);
    setTabOrder(dtpFrom_, dtpTo_);
    setTabOrder(dtpTo_, cmdPreview_);
    setTabOrder(cmdPreview_, cmdExit_);

    connect(optYear_, &QRadioButton::toggled, this, &frmYearSummary::optionChanged);
    connect(cmdPreview_, &QPushButton::clicked, this, &frmYearSummary::cmdPreview_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &frmYearSummary::cmdExit_Click);

    Form_Load();
    adjustSize();
    setFixedSize(sizeHint());
}

void frmYearSummary::Form_Load() {
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);
    setWindowTitle(App::Caption());
    SetMousePointer(this, vbHourglass);
    const std::shared_ptr<const SummaryTrips> trips = dataReport().cmdSummary();
    const std::vector<int> years = trips ? TripYears(*trips) : std::vector<int>();
    fillYears(years);
    // The range starts as the newest year with trips, ready to be narrowed.
    const int year = years.empty() ? QDate::currentDate().year() : years.front();
    dtpFrom_->setDate(QDate(year, 1, 1));
    dtpTo_->setDate(QDate(year, 12, 31));
    (years.empty() ? optRange_ : optYear_)->setChecked(true);
    optionChanged();
    SetMousePointer(this, vbDefault);
}

void frmYearSummary::fillYears(const std::vector<int>& years) {
    const QVariant chosen = cboYear_->currentData();
    cboYear_->clear();
    for (int year : years)
        cboYear_->addItem(QString::number(year), year);
    if (chosen.isValid() && cboYear_->findData(chosen) >= 0)
        cboYear_->setCurrentIndex(cboYear_->findData(chosen));
    optYear_->setEnabled(!years.empty());
}

void frmYearSummary::optionChanged() {
    const bool year = optYear_->isChecked();
    cboYear_->setEnabled(year);
    dtpFrom_->setEnabled(!year);
    dtpTo_->setEnabled(!year);
}

void frmYearSummary::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!cmdExit_->hasFocus()) {
            cmdPreview_Click();
            return;
        }
    } else if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmYearSummary::cmdPreview_Click() {
    QDate from = dtpFrom_->date();
    QDate to = dtpTo_->date();
    if (optYear_->isChecked()) {
        const int year = cboYear_->currentData().toInt();
        from = QDate(year, 1, 1);
        to = QDate(year, 12, 31);
    } else if (!from.isValid() || !to.isValid()) {
        MsgBox(QStringLiteral("Enter the dates as month/day/year, for example 5/31/2010. "), vbExclamation | vbOKOnly,
               App::Title());
        (from.isValid() ? dtpTo_ : dtpFrom_)->setFocus();
        return;
    } else if (from > to) {
        MsgBox(QStringLiteral("The From date is after the To date! "), vbExclamation | vbOKOnly, App::Title());
        dtpFrom_->setFocus();
        return;
    }
    SetMousePointer(this, vbHourglass);
    const std::shared_ptr<const SummaryTrips> trips = dataReport().cmdSummary();
    if (!trips) {
        SetMousePointer(this, vbDefault);
        MsgBox(QStringLiteral("The Trip records could not be read! "), vbCritical | vbOKOnly, App::Title());
        return;
    }
    // Trips stored since the window opened may bring a year of their own.
    fillYears(TripYears(*trips));
    const YearSummary summary = SummarizeTrips(*trips, from, to);
    SetMousePointer(this, vbDefault);
    if (summary.totals.trips == 0) {
        MsgBox(QStringLiteral("No Trip records were found for this period! "), vbExclamation | vbOKOnly, App::Title());
        return;
    }
    rptSummary::Show(summary);
    Arrange(0);
}

void frmYearSummary::cmdExit_Click() {
    close();
}
