// Buttons and captions of the trip, profile and selection windows read well under light and dark palettes,
// as drawn: the contrast between a control's background and its text is measured in its rendered pixels.
#include "ShellFixture.h"

#include "platform/Look.h"
#include "profile/frmAddOwner.h"
#include "profile/frmEditOwner.h"
#include "reports/frmReport.h"
#include "support/MsgBoxScript.h"
#include "support/Rendered.h"
#include "trips/frmAddTrip.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {
QPalette darkPalette() {
    QPalette p;
    const QColor window(53, 53, 53), base(42, 42, 42);
    for (auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase})
        p.setColor(role, window);
    for (auto role : {QPalette::Base, QPalette::ToolTipBase})
        p.setColor(role, base);
    for (auto role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText, QPalette::BrightText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    return p;
}

// Inside the control's edge: frames and bevels are not text.
double renderedContrast(QWidget* w, QRgb* shown = nullptr) {
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return RenderedContrast(image, image.rect().adjusted(4, 4, -4, -4), shown);
}

struct ColourCase {
    const char* window;
    bool dark;
};

void PrintTo(const ColourCase& c, std::ostream* out) {
    *out << c.window << (c.dark ? " dark" : " light");
}

class WindowColours : public ShellFixture, public ::testing::WithParamInterface<ColourCase> {
protected:
    void TearDown() override {
        QApplication::setPalette(QPalette());
        ShellFixture::TearDown();
    }
};

TEST_P(WindowColours, ButtonsAndCaptionsAreReadable) {
    const ColourCase& c = GetParam();
    folder.addOwner();
    folder.addTrip("Peoria");
    if (c.dark)
        QApplication::setPalette(darkPalette());
    MsgBoxScript script;
    script.allowUnscripted();
    std::unique_ptr<QWidget> window;
    const std::string name = c.window;
    if (name == "frmAddTrip")
        window = std::make_unique<frmAddTrip>();
    else if (name == "frmEditOwner")
        window = std::make_unique<frmEditOwner>();
    else if (name == "frmAddOwner")
        window = std::make_unique<frmAddOwner>();
    else
        window = std::make_unique<frmReport>();
    window->show();
    // A profile caption turns blue while its field has the focus.
    if (auto* box = window->findChild<QLineEdit*>("txtBox_0"); box && name.find("Owner") != std::string::npos) {
        window->activateWindow();
        box->setFocus();
        QApplication::processEvents();
    }
    int checked = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QPushButton*>(w);
        const QString text = label ? label->text() : button ? button->text() : QString();
        if (text.trimmed().isEmpty() || !w->isVisible())
            continue;
        ++checked;
        QRgb background = 0;
        EXPECT_GE(renderedContrast(w, &background), 4.5)
            << c.window << (c.dark ? " dark " : " light ") << text.toStdString();
        // The buttons keep their colours.
        if (button) {
            EXPECT_GT(QColor(background).hsvSaturation(), 20) << c.window << " " << text.toStdString();
        }
    }
    EXPECT_GE(checked, 5);
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, WindowColours,
                         ::testing::Values(ColourCase{"frmAddTrip", false}, ColourCase{"frmAddTrip", true},
                                           ColourCase{"frmEditOwner", false}, ColourCase{"frmEditOwner", true},
                                           ColourCase{"frmAddOwner", false}, ColourCase{"frmAddOwner", true},
                                           ColourCase{"frmReport", false}, ColourCase{"frmReport", true}));
} // namespace
