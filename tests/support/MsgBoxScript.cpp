#include "support/MsgBoxScript.h"

#include <gtest/gtest.h>

MsgBoxScript::MsgBoxScript() {
    SetMsgBoxHandler([this](const MsgBoxCall& call) {
        shown_.append(call);
        if (!answers_.isEmpty())
            return answers_.takeFirst();
        if (!allowUnscripted_ && MsgBoxButtons(call.style) != vbOKOnly)
            ADD_FAILURE() << "unscripted message box: " << call.text.toStdString();
        return MsgBoxDefaultAnswer(call.style);
    });
}

void InstallUnscriptedFailure() {
    SetMsgBoxHandler([](const MsgBoxCall& call) {
        ADD_FAILURE() << "message box shown without a script: " << call.text.toStdString();
        return MsgBoxDefaultAnswer(call.style);
    });
}

MsgBoxScript::~MsgBoxScript() {
    InstallUnscriptedFailure();
    EXPECT_TRUE(answers_.isEmpty()) << answers_.size() << " scripted answers were not used";
}

MsgBoxScript& MsgBoxScript::answer(int reply) {
    answers_.append(reply);
    return *this;
}
