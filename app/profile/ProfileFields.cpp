#include "profile/ProfileFields.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/Look.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace ProfileRules {
namespace {
struct Field {
    const char* caption;
    int maxLength;
    const char* column;
};
const Field kFields[kFieldCount] = {
    {"Last Name", 35, "LName"}, {"First Name", 35, "FName"}, {"Address", 35, "Address"},     {"City", 35, "City"},
    {"State/Prov", 3, "State"}, {"Postal Code", 10, "Zip"},  {"Email Address", 45, "Email"},
};
} // namespace

QString Caption(int index) {
    return QString::fromLatin1(kFields[index].caption);
}
int MaxLength(int index) {
    return kFields[index].maxLength;
}
const char* Column(int index) {
    return kFields[index].column;
}

Failure Validate(const QStringList& texts) {
    const auto text = [&texts](int i) { return i < texts.size() ? texts[i] : QString(); };
    if (text(0).isEmpty())
        return {0, QStringLiteral("Last Name is missing! ")};
    if (text(1).isEmpty())
        return {1, QStringLiteral("First Name is missing! ")};
    if (text(2).isEmpty())
        return {2, QStringLiteral("Address is missing! ")};
    if (text(3).isEmpty())
        return {3, QStringLiteral("City Name is missing! ")};
    if (VisibleLength(text(4)) < 2)
        return {4, QStringLiteral("State/Prov is incomplete! ")};
    if (VisibleLength(text(5)) < 5)
        return {5, QStringLiteral("Postal (ZIP) Code is incomplete! ")};
    return {};
}

bool InputChanged(const QStringList& loaded, const QStringList& shown) {
    if (loaded.size() != shown.size())
        return true;
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        if (loaded[i].trimmed() != shown[i].trimmed())
            return true;
    }
    return false;
}

QString FullName(const QString& firstName, const QString& lastName) {
    return firstName + QStringLiteral(" ") + lastName;
}
QString OwnerId(const QString& lastName) {
    return lastName + QStringLiteral(" - 431");
}
} // namespace ProfileRules

namespace {
// A caption that turns bold on focus asks for its bold size from the start, whatever its font, so
// neither the column nor the window changes size and no caption is clipped.
class CaptionLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override { return withBoldRoom(QLabel::sizeHint()); }
    QSize minimumSizeHint() const override { return withBoldRoom(QLabel::minimumSizeHint()); }

private:
    QSize withBoldRoom(QSize size) const {
        QFont bold = font();
        bold.setBold(true);
        const QSize boldText = QFontMetrics(bold).size(Qt::TextSingleLine, text());
        const int chrome = 2 * (frameWidth() + margin()) + 2; // 2: rounding between metrics and drawing
        return size.expandedTo(boldText + QSize(chrome, chrome));
    }
};
} // namespace

ProfileFields::ProfileFields(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProfileFields"));
    QFont boxFont(QStringLiteral("Verdana"));
    boxFont.setStyleHint(QFont::SansSerif); // where Verdana is not installed, another sans-serif face
    boxFont.setPointSizeF(9.75);
    boxFont.setBold(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < ProfileRules::kFieldCount; ++i) {
        lblData_[i] = new CaptionLabel(ProfileRules::Caption(i), this);
        lblData_[i]->setObjectName(QStringLiteral("lblData_%1").arg(i));
        txtBox_[i] = new LimitedLineEdit(this);
        txtBox_[i]->setObjectName(QStringLiteral("txtBox_%1").arg(i));
        txtBox_[i]->setMaxTyped(ProfileRules::MaxLength(i));
        txtBox_[i]->setFont(boxFont);
        txtBox_[i]->setAccessibleName(ProfileRules::Caption(i));
        txtBox_[i]->installEventFilter(this);
        lblData_[i]->setBuddy(txtBox_[i]);
        txtBox_LostFocus(i); // captions start plain black
        lblData_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(lblData_[i], i, 0, Qt::AlignRight);
        if (i == 4) { // the state is a narrow box with its text centred
            txtBox_[i]->setAlignment(Qt::AlignCenter);
            txtBox_[i]->setFixedWidth(txtBox_[i]->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 12);
            grid->addWidget(txtBox_[i], i, 1, Qt::AlignLeft);
        } else {
            grid->addWidget(txtBox_[i], i, 1);
        }
        if (i > 0)
            setTabOrder(txtBox_[i - 1], txtBox_[i]);
    }
    grid->setColumnMinimumWidth(1, 300);
}

QStringList ProfileFields::texts() const {
    QStringList out;
    for (const LimitedLineEdit* box : txtBox_)
        out << box->text();
    return out;
}

int ProfileFields::indexOf(const QObject* box) const {
    for (int i = 0; i < ProfileRules::kFieldCount; ++i) {
        if (txtBox_[i] == box)
            return i;
    }
    return -1;
}

void ProfileFields::txtBox_GotFocus(int index) {
    if (index < 0 || index >= ProfileRules::kFieldCount)
        return;
    QFont font = lblData_[index]->font();
    font.setBold(true);
    lblData_[index]->setFont(font);
    SetColours(lblData_[index], QColor(), QColor(0, 0, 255));
}

void ProfileFields::txtBox_LostFocus(int index) {
    if (index < 0 || index >= ProfileRules::kFieldCount)
        return;
    QFont font = lblData_[index]->font();
    font.setBold(false);
    lblData_[index]->setFont(font);
    SetColours(lblData_[index], QColor()); // the palette's text colour, readable on light and dark
}

void ProfileFields::txtBox_KeyPress(int index, int& keyAscii) {
    if (keyAscii != 13 || index < 0 || index >= ProfileRules::kFieldCount)
        return;
    keyAscii = 0;
    if (index < ProfileRules::kFieldCount - 1)
        txtBox_[index + 1]->setFocus(Qt::TabFocusReason);
    else if (cmdSave_)
        cmdSave_->setFocus(Qt::TabFocusReason);
}

bool ProfileFields::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index >= 0) {
        switch (event->type()) {
        case QEvent::FocusIn:
            txtBox_GotFocus(index);
            break;
        case QEvent::FocusOut:
            txtBox_LostFocus(index);
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                int keyAscii = 13;
                txtBox_KeyPress(index, keyAscii);
                if (keyAscii == 0)
                    return true; // swallowed: no character, no beep, no default button
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ProfileFields::ValidateProfile(QWidget* window) {
    const ProfileRules::Failure failure = ProfileRules::Validate(texts());
    if (failure.index < 0)
        return true;
    SetMousePointer(window, vbDefault);
    MsgBox(failure.message, vbCritical | vbOKOnly, App::Title());
    txtBox_[failure.index]->setFocus(Qt::OtherFocusReason);
    return false;
}

std::vector<std::string> ProfileFields::ProfileText(bool withOwnerId) const {
    std::vector<std::string> strText(9);
    const QStringList t = texts();
    for (int i = 0; i < ProfileRules::kFieldCount; ++i)
        strText[static_cast<std::size_t>(i)] = t[i].toStdString();
    strText[7] = ProfileRules::FullName(t[1], t[0]).toStdString();
    if (withOwnerId)
        strText[8] = ProfileRules::OwnerId(t[0]).toStdString();
    return strText;
}

QLabel* MakeProfileHeading(QWidget* parent, const QString& text) {
    auto* heading = new QLabel(text, parent);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(16);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    return heading;
}

QWidget* MakeProfileButtons(ProfileFields* fields, QWidget* parent, QPushButton** cmdSave, QPushButton** cmdExit) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto button = [row](const char* name, const QString& caption, const QColor& colour) {
        auto* b = new QPushButton(caption, row);
        b->setObjectName(QString::fromLatin1(name));
        // Enter presses the button that has the focus, in a child window as in a dialog.
        b->setAutoDefault(true);
        SetColours(b, colour);
        b->setMinimumWidth(110);
        return b;
    };
    *cmdSave = button("cmdSave", QStringLiteral("&Save"), QColor(0x80, 0xFF, 0x80));
    *cmdExit = button("cmdExit", QStringLiteral("e&Xit"), QColor(0xFF, 0xC0, 0x80));
    layout->addStretch();
    layout->addWidget(*cmdSave);
    layout->addWidget(*cmdExit);
    layout->addStretch();
    fields->setSaveButton(*cmdSave);
    QWidget::setTabOrder(fields->txtBox(ProfileRules::kFieldCount - 1), *cmdSave);
    QWidget::setTabOrder(*cmdSave, *cmdExit);
    return row;
}

bool SaveProfile(QWidget* window, ProfileFields* fields, bool firstUse) {
    TrimTextFields(window);
    if (!fields->ValidateProfile(window))
        return false;
    std::vector<std::string> strText = fields->ProfileText(firstUse);
    const bool saved = objTrip && (firstUse ? objTrip->AddOwner(strText) : objTrip->UpdateOwner(strText));
    // The reports print this name, so it changes only with the stored profile.
    if (saved)
        strFullName = QString::fromStdString(strText[7]);
    strText.clear();
    if (saved)
        MsgBox(QStringLiteral("Profile Information Saved! "), vbExclamation | vbOKOnly,
               QStringLiteral("Record Saved Successfully"));
    else
        MsgBox(QStringLiteral("Profile Record was NOT Saved! "), vbCritical | vbOKOnly, App::Title());
    return saved;
}
