#include "trips/TripForm.h"

#include "common/ChildWindows.h"
#include "common/TripDateBox.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/FitScrollArea.h"
#include "platform/Look.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

struct FieldInfo {
    const char* caption;
    Qt::Alignment align;
    int maxAdd;
    int maxEdit;
    const char* tip;
};

// By txtBox index; the Rate's tool-tips differ between the windows and are set apart.
const FieldInfo fieldInfo[kTripFieldCount] = {
    {" Rate Per Mile", Qt::AlignRight, 7, 6, nullptr},
    {" Odometer (Start)", Qt::AlignHCenter, 7, 6, " Odometer reading at start of current day "},
    {" Odometer (End)", Qt::AlignHCenter, 7, 6, " Odometer reading at end of current day "},
    {" Total Miles", Qt::AlignHCenter, 7, 6, " Total miles for current day "},
    {" Fuel Cost", Qt::AlignRight, 9, 9, " Total fuel coast for current day "},
    {" Parking Fee", Qt::AlignRight, 7, 7, " Parking costs for current day "},
    {" Meals", Qt::AlignRight, 7, 7, " Meals cost for current day "},
    {" Lodging", Qt::AlignRight, 7, 7, " Lodging costs for current day "},
    {" Telephone Charges", Qt::AlignRight, 7, 7, " Telephone charges for current day "},
    {" Repairs", Qt::AlignRight, 7, 7, " Repair cost for current day "},
    {" Towing", Qt::AlignRight, 7, 7, " Towing costs for current day "},
    {" Misc. Expenses", Qt::AlignRight, 7, 7, " Miscellaneous expenses for current day "},
    {" Destination", Qt::AlignLeft, 34, 34, nullptr},
};

const char* const notesTip = " Miscellaneous notes (250 characters max!) ";

QLabel* captionLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    const QPalette& palette = label->palette();
    SetColours(label, palette.color(QPalette::ToolTipBase), palette.color(QPalette::ToolTipText));
    return label;
}

QLabel* heading(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QPushButton* button(const QString& text, const QString& name, const char* colour, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    SetColours(b, QColor(QLatin1String(colour)));
    return b;
}

} // namespace

TripForm::TripForm(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    const bool adding = kind == Kind::Add;
    QFont fieldFont = font();
    fieldFont.setFamily(QStringLiteral("Sans Serif"));
    fieldFont.setBold(true);

    datBox = NewTripDateBox(this);
    datBox->setObjectName(QStringLiteral("datBox"));
    datBox->setDateRange(TripDateMinimum(), TripDateMaximum());
    datBox->setToolTip(QStringLiteral(" Click the down-arrow for drop-down calendar "));
    datBox->setFont(fieldFont);

    for (int i = 0; i < kTripFieldCount; ++i) {
        auto* box = new TripTextBox(this);
        box->setObjectName(QStringLiteral("txtBox_%1").arg(i));
        box->setAlignment(fieldInfo[i].align | Qt::AlignVCenter);
        box->setMaxTyped(adding ? fieldInfo[i].maxAdd : fieldInfo[i].maxEdit);
        if (fieldInfo[i].tip)
            box->setToolTip(QString::fromLatin1(fieldInfo[i].tip));
        box->setFont(fieldFont);
        box->installEventFilter(this);
        txtBox[static_cast<std::size_t>(i)] = box;
    }
    txtBox[fldRate]->setToolTip(adding ? QStringLiteral(" Mileage (rate per mile) paid or charged  -  Example:  .475")
                                       : QStringLiteral(" Mileage (rate per mile)  -  (Example:  .475)"));

    rtBox = new QPlainTextEdit(this);
    rtBox->setObjectName(QStringLiteral("rtBox"));
    rtBox->setToolTip(QString::fromLatin1(notesTip));
    rtBox->setTabChangesFocus(true);
    rtBox->setFont(fieldFont);
    rtBox->setFixedHeight(70);

    for (int i = 0; i < 2; ++i) {
        auto* picture = new QLabel(this);
        picture->setObjectName(QStringLiteral("imgBox_%1").arg(i));
        picture->setAlignment(Qt::AlignCenter);
        imgBox[static_cast<std::size_t>(i)] = picture;
    }

    cmdSave = button(QStringLiteral("&Save"), QStringLiteral("cmdSave"), "#9be59b", this);
    cmdClear = button(QStringLiteral("&Clear"), QStringLiteral("cmdClear"), "#ffffc0", this);
    cmdClear->setToolTip(QStringLiteral(" Clears all fields and resets the form "));
    if (!adding)
        cmdDelete = button(QStringLiteral("&Delete"), QStringLiteral("cmdDelete"), "#ff8c8c", this);
    cmdExit = button(QStringLiteral("e&Xit"), QStringLiteral("cmdExit"), "#ffd8a8", this);

    // Layout: captions left of their fields, the pictures right of the numeric fields; the fields scroll
    // inside the window when it is too small for them, the buttons below them always show.
    auto* outer = outer_ = new QVBoxLayout(this);
    auto* fields = new QWidget(this);
    fields->setObjectName(QStringLiteral("fields"));
    auto* grid = new QGridLayout(fields);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnMinimumWidth(1, 130);
    grid->setColumnStretch(2, 1);
    int row = 0;
    // Each caption is its field's buddy and names it, so screen readers announce the field.
    const auto addRow = [&](const QString& caption, const QString& name, QWidget* field, bool wide) {
        QLabel* label = captionLabel(caption, name, this);
        label->setBuddy(field);
        field->setAccessibleName(caption.trimmed());
        grid->addWidget(label, row, 0);
        if (wide)
            grid->addWidget(field, row, 1, 1, 2);
        else
            grid->addWidget(field, row, 1);
        ++row;
    };
    if (adding)
        grid->addWidget(heading(QStringLiteral("Trip Details"), QStringLiteral("lbldata_0"), this), row++, 0, 1, 3);
    addRow(QStringLiteral(" Trip Date"), QStringLiteral("lblCaption_datBox"), datBox, false);
    addRow(QString::fromLatin1(fieldInfo[fldDestination].caption), QStringLiteral("lblCaption_12"),
           txtBox[fldDestination], true);
    const int firstPictureRow = row;
    for (int i = fldRate; i <= fldMiles; ++i)
        addRow(QString::fromLatin1(fieldInfo[i].caption), QStringLiteral("lblCaption_%1").arg(i), txtBox[i], false);
    grid->addWidget(imgBox[0], firstPictureRow, 2, row - firstPictureRow, 1);
    if (adding)
        grid->addWidget(heading(QStringLiteral("Expenses"), QStringLiteral("lbldata_1"), this), row++, 0, 1, 3);
    const int secondPictureRow = row;
    for (int i = fldFuel; i <= fldMisc; ++i)
        addRow(QString::fromLatin1(fieldInfo[i].caption), QStringLiteral("lblCaption_%1").arg(i), txtBox[i], false);
    grid->addWidget(imgBox[1], secondPictureRow, 2, row - secondPictureRow, 1);
    QLabel* notesCaption = captionLabel(QStringLiteral(" Notes"), QStringLiteral("lblCaption_rtBox"), this);
    notesCaption->setToolTip(QString::fromLatin1(notesTip));
    notesCaption->setBuddy(rtBox);
    rtBox->setAccessibleName(QStringLiteral("Notes"));
    grid->addWidget(notesCaption, row, 0, Qt::AlignTop);
    grid->addWidget(rtBox, row++, 1, 1, 2);
    findChild<QLabel*>(QStringLiteral("lblCaption_0"))
        ->setToolTip(adding ? QStringLiteral(" Mileage (rate per mile) paid or charged ")
                            : QStringLiteral(" Mileage (rate per mile) "));

    fieldArea_ = new FitScrollArea(fields, this);
    outer->addWidget(fieldArea_, 1);

    auto* buttons = buttons_ = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClear);
    if (cmdDelete)
        buttons->addWidget(cmdDelete);
    buttons->addWidget(cmdExit);
    outer->addLayout(buttons);

    // Tab order: date, Destination, the numeric fields by index, notes, the buttons.
    QWidget* previous = datBox;
    const auto chain = [&previous, this](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    chain(txtBox[fldDestination]);
    for (int i = fldRate; i <= fldMisc; ++i)
        chain(txtBox[static_cast<std::size_t>(i)]);
    chain(rtBox);
    chain(cmdSave);
    chain(cmdClear);
    if (cmdDelete)
        chain(cmdDelete);
    chain(cmdExit);

    connect(cmdSave, &QPushButton::clicked, this, &TripForm::cmdSave_Click);
    connect(cmdClear, &QPushButton::clicked, this, &TripForm::cmdClear_Click);
    connect(cmdExit, &QPushButton::clicked, this, &TripForm::cmdExit_Click);
    // The miles both readings give show in Total Miles as they are typed: the number Save stores.
    const auto showOdometerMiles = [this] {
        const TripValueSet v = GatherTrip(fieldTexts(), QString(), QDate(), QString());
        if (v.milesFromOdometers && v.intMiles >= 0)
            txtBox[fldMiles]->setText(QString::number(v.intMiles));
    };
    connect(txtBox[fldStartOdometer], &QLineEdit::textEdited, this, showOdometerMiles);
    connect(txtBox[fldEndOdometer], &QLineEdit::textEdited, this, showOdometerMiles);
}

void TripForm::placeAbove(QWidget* widget) {
    // The widget and the fields share the height; the user moves the handle between them.
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("splTrip"));
    splitter_->setChildrenCollapsible(false);
    outer_->replaceWidget(fieldArea_, splitter_);
    splitter_->addWidget(widget);
    splitter_->addWidget(fieldArea_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    setTabOrder(widget, datBox);
}

void TripForm::addButtonsBeforeExit(const QList<QPushButton*>& more) {
    QWidget* previous = cmdDelete ? cmdDelete : cmdClear;
    for (QPushButton* b : more) {
        buttons_->insertWidget(buttons_->indexOf(cmdExit), b);
        setTabOrder(previous, b);
        previous = b;
    }
    setTabOrder(previous, cmdExit);
}

void TripForm::ClearClipboard() {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

void TripForm::LoadFormIcon() {
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);
}

void TripForm::LoadPictures(const QString& first, const QString& second) {
    const QString folder = App::Path() + QStringLiteral("/images/");
    const QString files[2] = {first, second};
    for (std::size_t i = 0; i < 2; ++i) {
        const QPixmap picture = LoadPicture(folder + files[i], QSize(150, 150), imgBox[i]->devicePixelRatioF());
        if (!picture.isNull())
            imgBox[i]->setPixmap(picture);
    }
}

void TripForm::SetFormCaption() {
    setWindowTitle(App::Caption());
}

void TripForm::clearFields() {
    datBox->setDate(QDate::currentDate());
    for (TripTextBox* box : txtBox)
        box->clear();
    rtBox->clear();
}

void TripForm::cmdExit_Click() {
    close(); // asks first when the fields hold unsaved input
}

void TripForm::closeForm() {
    // The main window removes the frame of a child window that closes itself.
    closing_ = true;
    close();
    closing_ = false;
}

void TripForm::markLoaded() {
    loaded_ = TripInput{datBox->text(), fieldTexts(), rtBox->toPlainText()};
}

bool TripForm::HasUnsavedInput() const {
    return TripInputChanged(loaded_, TripInput{datBox->text(), fieldTexts(), rtBox->toPlainText()});
}

bool TripForm::Form_QueryUnload() {
    if (!HasUnsavedInput())
        return true;
    ShowChild(this); // the user sees which window asks
    const int answer = MsgBox(UnsavedQuestion(), vbSaveDiscardCancel | vbExclamation);
    return answer == vbDiscard || (answer == vbSave && SaveBeforeClose());
}

void TripForm::closeEvent(QCloseEvent* event) {
    if (closing_ || Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

void TripForm::txtBox_KeyPress(int Index, int& KeyAscii) {
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    QWidget* next = nullptr;
    if (Index == fldDestination)
        next = txtBox[fldRate];
    else if (Index == fldMisc)
        next = rtBox;
    else if (Index >= fldRate && Index < fldMisc)
        next = txtBox[static_cast<std::size_t>(Index + 1)];
    if (next)
        next->setFocus(Qt::OtherFocusReason);
}

bool TripForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < kTripFieldCount; ++i) {
            if (watched != txtBox[static_cast<std::size_t>(i)])
                continue;
            auto* key = static_cast<QKeyEvent*>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (!enter && key->text().isEmpty())
                break;
            int KeyAscii = enter ? 13 : key->text().at(0).unicode();
            txtBox_KeyPress(i, KeyAscii);
            if (KeyAscii == 0)
                return true;
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

TripFieldTexts TripForm::fieldTexts() const {
    TripFieldTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = txtBox[i]->text();
    return texts;
}

void TripForm::setFieldTexts(const TripFieldTexts& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        txtBox[i]->setText(texts[i]);
}

bool TripForm::ValidateTripFields() {
    const std::optional<TripCheck> failure = CheckTripFields(fieldTexts());
    if (!failure)
        return true;
    SetMousePointer(this, vbDefault);
    MsgBox(failure->message, vbCritical | vbOKOnly);
    txtBox[static_cast<std::size_t>(failure->field)]->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TripForm::ValidateTripDate() {
    const std::optional<QString> failure = CheckTripDate(datBox->text(), datBox->storedDate());
    if (!failure)
        return true;
    SetMousePointer(this, vbDefault);
    MsgBox(*failure, vbCritical | vbOKOnly);
    datBox->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TripForm::GatherAndStore(const std::function<std::optional<QString>()>& tripId, bool update) {
    SetMousePointer(this, vbHourglass);
    bool stored = false;
    if (const std::optional<QString> id = tripId()) {
        TripValueSet v = GatherTrip(fieldTexts(), rtBox->toPlainText(), datBox->date(), *id);
        if (v.milesFromOdometers)
            txtBox[fldMiles]->setText(QString::number(v.intMiles));
        if (objTrip) {
            try {
                stored =
                    update ? objTrip->UpdateTrip(v.strText, v.datDate, v.intMiles, v.lngNumbers, v.sngMoney, v.sngRate)
                           : objTrip->AddTrip(v.strText, v.datDate, v.intMiles, v.lngNumbers, v.sngMoney, v.sngRate);
            } catch (...) {
                stored = false; // a call that fails counts as not stored
            }
        }
    }
    if (stored)
        markLoaded();
    SetMousePointer(this, vbDefault);
    return stored;
}
