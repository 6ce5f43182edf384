// A window size comes back from the settings file as stored; a file that holds no size gives none.
#include "platform/LayoutMemory.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(StoredWindowSize, ComesBackAsStoredAndNeverFromAValueThatIsNoSize) {
    QTemporaryDir dir;
    const QString file = dir.filePath("odomark.conf");
    EXPECT_FALSE(StoredWindowSize(file, "frmEditTrip").isValid());
    StoreWindowSize(file, "frmEditTrip", QSize(700, 500));
    EXPECT_EQ(StoredWindowSize(file, "frmEditTrip"), QSize(700, 500));
    for (const char* value : {"@Size(0 500)", "@Size(-5 5)", "@Size(999999 5)", "wide", ""}) {
        QFile edited(file);
        ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
        edited.write(QByteArray("[Windows]\nfrmEditTrip=") + value + "\n");
        edited.close();
        EXPECT_FALSE(StoredWindowSize(file, "frmEditTrip").isValid()) << value;
    }
}
