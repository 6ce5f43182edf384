// The splash window: its texts, picture and progress steps, and once its real timing.
#include "ShellFixture.h"

#include "platform/MousePointer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>

using SplashTest = ShellFixture;

namespace {
QList<int> runAndRecord(frmSplash& splash) {
    QList<int> values;
    auto* bar = splash.findChild<QProgressBar*>("proBar");
    QObject::connect(bar, &QProgressBar::valueChanged, [&values](int v) { values << v; });
    splash.Form_Load();
    return values;
}
} // namespace

TEST_F(SplashTest, ShowsItsTextsAndStepsTheBarFromZeroToSixteenByTwo) {
    frmSplash splash;
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version");
    const QList<int> values = runAndRecord(splash);
    EXPECT_EQ(values, (QList<int>{0, 2, 4, 6, 8, 10, 12, 14, 16}));
    auto* bar = splash.findChild<QProgressBar*>("proBar");
    EXPECT_EQ(bar->maximum(), 16);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "3.0");
    EXPECT_EQ(splash.findChild<QLabel*>("lblProductName")->text(), "Odomark");
    EXPECT_EQ(splash.findChild<QLabel*>("lblCompanyProduct")->text(), "Quorvale Software");
    EXPECT_EQ(splash.findChild<QLabel*>("lblCompany")->text(), "Quorvale Software and Web Design");
    EXPECT_EQ(splash.findChild<QLabel*>("Label1")->text(), "Initializing...");
    EXPECT_EQ(Screen::MousePointer(), vbDefault);

    struct Face {
        const char* label;
        const char* family;
        double points;
        bool bold;
    };
    for (const Face& f :
         {Face{"lblCompanyProduct", "Comic Sans MS", 18, true}, Face{"lblProductName", "Comic Sans MS", 27.75, true},
          Face{"lblVersion", "Verdana", 9, false}, Face{"lblCompany", "MS Sans Serif", 8.25, false},
          Face{"Label1", "MS Sans Serif", 8.25, false}}) {
        const QFont font = splash.findChild<QLabel*>(f.label)->font();
        EXPECT_EQ(font.family(), f.family) << f.label;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), f.points) << f.label;
        EXPECT_EQ(font.bold(), f.bold) << f.label;
    }
}

TEST_F(SplashTest, TakesSevenToEightSecondsAndNeedsNoPicture) {
    QFile::remove(folder.path() + "/images/trip.wmf");
    frmSplash::setWaiting(true);
    frmSplash splash;
    QElapsedTimer wall;
    wall.start();
    const QList<int> values = runAndRecord(splash);
    EXPECT_GE(wall.elapsed(), 6900);
    EXPECT_LE(wall.elapsed(), 8600);
    EXPECT_EQ(values.size(), 9);
    EXPECT_TRUE(splash.findChild<QLabel*>("Image1")->pixmap().isNull());
}
