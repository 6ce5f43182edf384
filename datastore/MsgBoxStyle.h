#pragma once
// Message box style bits and answers shared by the library and the program.
// A style is buttons | icon | default button, as the message functions take it.

enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,

    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,

    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

constexpr int MsgBoxButtons(int style) { return style & 0x0F; }
constexpr int MsgBoxIcon(int style) { return style & 0xF0; }
constexpr int MsgBoxDefaultButton(int style) { return style & 0xF00; }

// The answer a box gives when nobody is there to press a button: its default button.
constexpr int MsgBoxDefaultAnswer(int style) {
    const int index = MsgBoxDefaultButton(style) >> 8;
    switch (MsgBoxButtons(style)) {
    case vbOKCancel:
        return index == 0 ? vbOK : vbCancel;
    case vbAbortRetryIgnore:
        return index == 0 ? vbAbort : index == 1 ? vbRetry : vbIgnore;
    case vbYesNoCancel:
        return index == 0 ? vbYes : index == 1 ? vbNo : vbCancel;
    case vbYesNo:
        return index == 0 ? vbYes : vbNo;
    case vbRetryCancel:
        return index == 0 ? vbRetry : vbCancel;
    default:
        return vbOK;
    }
}
