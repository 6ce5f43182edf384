#include "platform/MsgBox.h"

#include "platform/AppInfo.h"
#include "platform/MousePointer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
MsgBoxHandler& handler() {
    static MsgBoxHandler h;
    return h;
}

QMessageBox::Icon qtIcon(int style) {
    switch (MsgBoxIcon(style)) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonDef {
    int answer;
    QMessageBox::StandardButton button;
};

QList<ButtonDef> buttonsOf(int style) {
    switch (MsgBoxButtons(style)) {
    case vbOKCancel:
        return {{vbOK, QMessageBox::Ok}, {vbCancel, QMessageBox::Cancel}};
    case vbAbortRetryIgnore:
        return {{vbAbort, QMessageBox::Abort}, {vbRetry, QMessageBox::Retry}, {vbIgnore, QMessageBox::Ignore}};
    case vbYesNoCancel:
        return {{vbYes, QMessageBox::Yes}, {vbNo, QMessageBox::No}, {vbCancel, QMessageBox::Cancel}};
    case vbYesNo:
        return {{vbYes, QMessageBox::Yes}, {vbNo, QMessageBox::No}};
    case vbRetryCancel:
        return {{vbRetry, QMessageBox::Retry}, {vbCancel, QMessageBox::Cancel}};
    case vbSaveDiscardCancel:
        return {{vbSave, QMessageBox::Save}, {vbDiscard, QMessageBox::Discard}, {vbCancel, QMessageBox::Cancel}};
    default:
        return {{vbOK, QMessageBox::Ok}};
    }
}
} // namespace

void SetMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    MsgBoxCall call{prompt, title.isEmpty() ? App::Title() : title, style};
    if (handler())
        return handler()(call);

    QMessageBox box(qtIcon(style), call.title, call.text, QMessageBox::NoButton, QApplication::activeWindow());
    const QList<ButtonDef> defs = buttonsOf(style);
    for (const ButtonDef& def : defs)
        box.addButton(def.button);
    const int defaultIndex = MsgBoxDefaultButton(style) >> 8;
    if (defaultIndex < defs.size())
        box.setDefaultButton(defs[defaultIndex].button);
    // Escape answers like the box's close button would: Cancel or No where there is one, else OK.
    for (const ButtonDef& def : defs) {
        if (def.answer == vbCancel || (def.answer == vbNo && defs.size() == 2) || defs.size() == 1)
            box.setEscapeButton(def.button);
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonDef& def : defs) {
        if (def.button == clicked)
            return def.answer;
    }
    return MsgBoxDefaultAnswer(style);
}

extern "C" int WendloMsgBoxBridge(const char* text, const char* title, int style, void*) {
    return MsgBox(QString::fromUtf8(text), style, QString::fromUtf8(title));
}
