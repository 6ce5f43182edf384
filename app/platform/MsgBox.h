#pragma once
// The one function through which every message box of the program and of the library is shown.

#include "MsgBoxStyle.h"

#include <QString>

#include <functional>

// Beside the shared styles, the program's question about input that closing a window would lose: Save (the
// default), Discard and Cancel (Escape), answered vbSave, vbDiscard or vbCancel.
constexpr int vbSaveDiscardCancel = 6;
constexpr int vbSave = 8;
constexpr int vbDiscard = 9;

struct MsgBoxCall {
    QString text;
    QString title; // as shown: the application title when the caller gave none
    int style = 0; // buttons | icon | default button
};

// Shows a modal message box and returns the answer (vbOK, vbYes, vbNo, ...).
// An empty title shows the application title.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());

// Tests answer boxes through a handler instead of the screen; an empty handler restores the screen.
using MsgBoxHandler = std::function<int(const MsgBoxCall&)>;
void SetMsgBoxHandler(MsgBoxHandler handler);

// Routes the library's boxes through MsgBox (the program installs this once the library is loaded).
extern "C" int WendloMsgBoxBridge(const char* text, const char* title, int style, void* context);
