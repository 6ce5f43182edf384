#pragma once
// Answers message boxes from a script and records what was shown. A box nobody queued an answer
// for fails the test and takes its default button instead of blocking.

#include "platform/MsgBox.h"

#include <QList>

class MsgBoxScript {
public:
    MsgBoxScript();
    ~MsgBoxScript();

    MsgBoxScript& answer(int reply); // queue the answer for the next box
    const QList<MsgBoxCall>& shown() const { return shown_; }
    int count() const { return static_cast<int>(shown_.size()); }
    const MsgBoxCall& last() const { return shown_.back(); }
    void clear() { shown_.clear(); }
    // Lets unscripted boxes take their default button without failing (for flows that show several).
    void allowUnscripted(bool allow = true) { allowUnscripted_ = allow; }

private:
    QList<int> answers_;
    QList<MsgBoxCall> shown_;
    bool allowUnscripted_ = false;
};

// Outside a script, a box never blocks a test: it fails it.
void InstallUnscriptedFailure();
