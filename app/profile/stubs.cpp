#include "profile/frmEditOwner.h"

frmEditOwner::frmEditOwner(QWidget* parent) : QWidget(parent) { setObjectName("frmEditOwner"); }
