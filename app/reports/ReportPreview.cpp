#include "reports/ReportPreview.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/FileDialog.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "reports/ReportPageView.h"
#include "tripdata/TripCsv.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// A printer that cannot print as close to the edge as the report's margins keeps its own minimum.
void applyLayout(QPrinter& printer, const QPageLayout& layout) {
    if (printer.setPageLayout(layout))
        return;
    printer.setPageSize(layout.pageSize());
    printer.setPageOrientation(layout.orientation());
    const QMarginsF wanted = layout.margins(QPageLayout::Point);
    const QMarginsF least = printer.pageLayout().minimumMargins();
    printer.setPageMargins(QMarginsF(qMax(wanted.left(), least.left()), qMax(wanted.top(), least.top()),
                                     qMax(wanted.right(), least.right()), qMax(wanted.bottom(), least.bottom())),
                           QPageLayout::Point);
}

} // namespace

PageRun PageRunOf(const QPrinter& printer, int pageCount) {
    PageRun run;
    if (printer.printRange() == QPrinter::PageRange) {
        run.fromPage = std::clamp(printer.fromPage(), 1, std::max(pageCount, 1));
        run.toPage = std::clamp(printer.toPage(), run.fromPage, std::max(pageCount, 1));
    }
    run.reverse = printer.pageOrder() == QPrinter::LastPageFirst;
    if (!printer.supportsMultipleCopies()) {
        run.copies = std::max(printer.copyCount(), 1);
        run.collate = printer.collateCopies();
    }
    return run;
}

namespace {
QToolButton* toolButton(QToolBar* bar, const QString& name, const QString& text, const QString& tip) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}
} // namespace

ReportPreview::ReportPreview(std::shared_ptr<const ReportRenderer> renderer, QWidget* parent)
    : QWidget(parent, Qt::Window), renderer_(std::move(renderer)) {
    setObjectName(renderer_->definition().name);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("tbrPreview"));
    cmdFirst_ = toolButton(bar, QStringLiteral("cmdFirst"), QStringLiteral("|<"), tr("First page"));
    cmdPrevious_ = toolButton(bar, QStringLiteral("cmdPrevious"), QStringLiteral("<"), tr("Previous page"));
    txtPage_ = new QSpinBox(bar);
    txtPage_->setObjectName(QStringLiteral("txtPage"));
    txtPage_->setRange(1, 1);
    txtPage_->setToolTip(tr("Page"));
    bar->addWidget(txtPage_);
    lblPages_ = new QLabel(bar);
    lblPages_->setObjectName(QStringLiteral("lblPages"));
    lblPages_->setContentsMargins(4, 0, 4, 0);
    bar->addWidget(lblPages_);
    cmdNext_ = toolButton(bar, QStringLiteral("cmdNext"), QStringLiteral(">"), tr("Next page"));
    cmdLast_ = toolButton(bar, QStringLiteral("cmdLast"), QStringLiteral(">|"), tr("Last page"));
    bar->addSeparator();
    cboZoom_ = new QComboBox(bar);
    cboZoom_->setObjectName(QStringLiteral("cboZoom"));
    cboZoom_->addItems({tr("Fit Page"), tr("Fit Width"), QStringLiteral("50%"), QStringLiteral("75%"),
                        QStringLiteral("100%"), QStringLiteral("150%"), QStringLiteral("200%")});
    cboZoom_->setToolTip(tr("Zoom"));
    bar->addWidget(cboZoom_);
    bar->addSeparator();
    auto* cmdPrint = toolButton(bar, QStringLiteral("cmdPrint"), tr("&Print..."), tr("Print the report (Ctrl+P)"));
    auto* cmdExport =
        toolButton(bar, QStringLiteral("cmdExport"), tr("&Export to PDF..."), tr("Save the report as a PDF file"));
    bar->addSeparator();
    auto* cmdClose = cmdClose_ = toolButton(bar, QStringLiteral("cmdClose"), tr("&Close"), tr("Close the preview"));

    view_ = new ReportPageView(renderer_, this);
    view_->setObjectName(QStringLiteral("pvwReport"));
    view_->setZoomMode(ReportPageView::FitWidth);
    cboZoom_->setCurrentIndex(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(view_, 1);

    connect(view_, &ReportPageView::currentPageChanged, this, &ReportPreview::pageChanged);
    connect(cmdFirst_, &QToolButton::clicked, this, &ReportPreview::cmdFirst_Click);
    connect(cmdPrevious_, &QToolButton::clicked, this, &ReportPreview::cmdPrevious_Click);
    connect(cmdNext_, &QToolButton::clicked, this, &ReportPreview::cmdNext_Click);
    connect(cmdLast_, &QToolButton::clicked, this, &ReportPreview::cmdLast_Click);
    connect(txtPage_, &QSpinBox::valueChanged, this, [this](int page) { view_->setCurrentPage(page); });
    connect(cboZoom_, &QComboBox::currentTextChanged, this, &ReportPreview::setZoom);
    connect(cmdPrint, &QToolButton::clicked, this, &ReportPreview::cmdPrint_Click);
    connect(cmdExport, &QToolButton::clicked, this, &ReportPreview::cmdExport_Click);
    connect(cmdClose, &QToolButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &ReportPreview::cmdPrint_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    view_->setFocus(); // the page keys and arrows scroll the pages at once

    QSize size(1000, 720);
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size()); // the window's edges stay on the screen
    resize(size);
    pageChanged();
}

ReportPreview::~ReportPreview() = default;

int ReportPreview::pageCount() const {
    return renderer_->pageCount();
}

int ReportPreview::currentPage() const {
    return view_->currentPage();
}

void ReportPreview::setCurrentPage(int page) {
    view_->setCurrentPage(qBound(1, page, pageCount()));
}

void ReportPreview::pageChanged() {
    const int pages = pageCount();
    const int page = qBound(1, view_->currentPage(), pages);
    {
        const QSignalBlocker block(txtPage_);
        txtPage_->setRange(1, pages);
        txtPage_->setValue(page);
    }
    lblPages_->setText(tr("of %1").arg(pages));
    cmdFirst_->setEnabled(page > 1);
    cmdPrevious_->setEnabled(page > 1);
    cmdNext_->setEnabled(page < pages);
    cmdLast_->setEnabled(page < pages);
}

void ReportPreview::setZoom(const QString& zoom) {
    if (zoom == tr("Fit Page")) {
        view_->setZoomMode(ReportPageView::FitPage);
    } else if (zoom == tr("Fit Width")) {
        view_->setZoomMode(ReportPageView::FitWidth);
    } else {
        QString percent = zoom;
        percent.remove(QLatin1Char('%'));
        bool ok = false;
        const double factor = percent.trimmed().toDouble(&ok);
        if (ok && factor > 0)
            view_->setZoomFactor(factor / 100.0);
    }
    if (cboZoom_->currentText() != zoom) {
        const QSignalBlocker block(cboZoom_);
        const int index = cboZoom_->findText(zoom);
        if (index >= 0)
            cboZoom_->setCurrentIndex(index);
    }
}

void ReportPreview::cmdFirst_Click() {
    setCurrentPage(1);
}
void ReportPreview::cmdPrevious_Click() {
    setCurrentPage(currentPage() - 1);
}
void ReportPreview::cmdNext_Click() {
    setCurrentPage(currentPage() + 1);
}
void ReportPreview::cmdLast_Click() {
    setCurrentPage(pageCount());
}

void ReportPreview::cmdPrint_Click() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setDocName(renderer_->definition().documentName);
        applyLayout(*printer_, PageLayoutOf(renderer_->definition()));
    }
    QPrinter& printer = *printer_;
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    SetMousePointer(this, vbHourglass);
    RenderReport(*renderer_, printer, PageRunOf(printer, pageCount()));
    SetMousePointer(this, vbDefault);
}

bool ReportPreview::exportPdf(const QString& fileName) const {
    return ExportReportPdf(*renderer_, fileName);
}

void ReportPreview::cmdExport_Click() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(renderer_->definition().documentName + QStringLiteral(".pdf"));
    QString fileName =
        GetFileName(this, FileDialogMode::Save, tr("Export to PDF"), tr("PDF files (*.pdf);;All files (*)"), suggested);
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) && !QFileInfo(fileName).fileName().contains('.'))
        fileName += QStringLiteral(".pdf");
    SetMousePointer(this, vbHourglass);
    const bool written = exportPdf(fileName);
    SetMousePointer(this, vbDefault);
    if (!written)
        MsgBox(tr("The report could not be written to %1 ").arg(QDir::toNativeSeparators(fileName)),
               vbExclamation | vbOKOnly, App::Title());
}

void ReportPreview::addCsvExport(std::function<QByteArray()> csv) {
    csv_ = std::move(csv);
    if (findChild<QToolButton*>(QStringLiteral("cmdExportCsv")))
        return;
    auto* bar = findChild<QToolBar*>(QStringLiteral("tbrPreview"));
    auto* button = new QToolButton(bar);
    button->setObjectName(QStringLiteral("cmdExportCsv"));
    button->setText(tr("Export CS&V..."));
    button->setToolTip(tr("Save the report's trips as a CSV file for a spreadsheet"));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Beside the PDF export, before the separator and Close.
    QAction* before = nullptr;
    const QList<QAction*> actions = bar->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (bar->widgetForAction(actions[i]) == cmdClose_) {
            before = i > 0 ? actions[i - 1] : actions[i];
            break;
        }
    }
    bar->insertWidget(before, button);
    connect(button, &QToolButton::clicked, this, &ReportPreview::cmdExportCsv_Click);
}

void ReportPreview::cmdExportCsv_Click() {
    if (!csv_)
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(renderer_->definition().documentName + QStringLiteral(".csv"));
    const QString fileName =
        GetFileName(this, FileDialogMode::Save, tr("Export Trips"), tr("CSV files (*.csv);;All files (*)"), suggested);
    if (fileName.isEmpty())
        return;
    SetMousePointer(this, vbHourglass);
    QString error;
    const bool written = WriteTripsCsv(fileName, csv_(), &error);
    SetMousePointer(this, vbDefault);
    if (!written)
        MsgBox(QStringLiteral("The trips were NOT exported! \r\n\r\n") + error, vbCritical | vbOKOnly);
}
