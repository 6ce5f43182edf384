#pragma once
// Shared steps of the report tests: the callers' run sequences, and reading an exported PDF back.

#include "common/ChildWindows.h"
#include "common/modGlobal.h"
#include "reports/ReportPreview.h"
#include "reports/dataReport.h"
#include "support/AppFolder.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The main window's "Trip List" steps after its record check.
inline void runTripList() {
    if (dataReport().rscmdTrip().isOpen()) {
        dataReport().rscmdTrip().Close();
        rptTrips::Unload();
    }
    dataReport().cmdTrip();
    rptTrips::Show();
    Arrange(0);
}

// The selection window's "Select" steps for a chosen trip.
inline void runTripReport(const QString& id) {
    if (dataReport().rscmdReport().isOpen()) {
        dataReport().rscmdReport().Close();
        rptReport::Unload();
    }
    dataReport().cmdReport(id);
    rptReport::Show();
    Arrange(0);
}

inline int previewWindowCount() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<ReportPreview*>(w) && w->isVisible())
            ++count;
    }
    return count;
}

struct PdfContent {
    int pages = 0;
    QString text;
};

// pdftotext -layout over the given pages (all when first is 0), and pdfinfo's page count.
inline PdfContent readPdf(const QString& file, int first = 0, int last = 0) {
    PdfContent pdf;
    QProcess info;
    info.start("pdfinfo", {file});
    info.waitForFinished(30000);
    const QRegularExpressionMatch m = QRegularExpression("^Pages:\\s+(\\d+)", QRegularExpression::MultilineOption)
                                          .match(info.readAllStandardOutput());
    if (m.hasMatch())
        pdf.pages = m.captured(1).toInt();
    QStringList args{"-layout"};
    if (first > 0)
        args << "-f" << QString::number(first) << "-l" << QString::number(last > 0 ? last : first);
    args << file << "-";
    QProcess text;
    text.start("pdftotext", args);
    text.waitForFinished(60000);
    pdf.text = QString::fromUtf8(text.readAllStandardOutput());
    return pdf;
}

// The fonts a PDF embeds, as pdffonts lists them.
inline QString pdfFonts(const QString& file) {
    QProcess fonts;
    fonts.start("pdffonts", {file});
    fonts.waitForFinished(30000);
    return QString::fromUtf8(fonts.readAllStandardOutput());
}

// Exports the open preview of a report and reads it back.
inline PdfContent exportPreview(ReportPreview* preview, const QTemporaryDir& dir, const QString& name) {
    if (!preview) {
        ADD_FAILURE() << "no preview is open";
        return PdfContent();
    }
    const QString file = dir.filePath(name);
    EXPECT_TRUE(preview->exportPdf(file));
    // ODOMARK_KEEP_PDF=folder keeps a copy of every exported report to look at.
    const QString keep = qEnvironmentVariable("ODOMARK_KEEP_PDF");
    if (!keep.isEmpty()) {
        QFile::remove(keep + "/" + name);
        QFile::copy(file, keep + "/" + name);
    }
    return readPdf(file);
}

inline bool containsPattern(const QString& text, const QString& pattern) {
    return QRegularExpression(pattern).match(text).hasMatch();
}
