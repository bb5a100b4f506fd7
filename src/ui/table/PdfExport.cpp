#include "ui/table/PdfExport.h"

#include "settings/SettingsKeys.h"
#include "ui/history/HistoryFiles.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <string>
#include <utility>

namespace tessalyn {

namespace {

constexpr double kPdfMarginMm = 10.0;

QString dialogTitle() {
    return QStringLiteral("Als PDF speichern");
}

QString failedMessage(const QString& path, const QString& reason) {
    QString text = QStringLiteral("Die PDF-Datei konnte nicht gespeichert werden: %1")
                       .arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty()) {
        text += QStringLiteral("\n\n") + reason;
    }
    return text;
}

} // namespace

QString suggestedPdfFileName(const QString& name, const QDate& date) {
    QString base = name.trimmed();
    if (base.isEmpty()) {
        base = QStringLiteral("Auswertung");
    }
    // A slash would name a folder; control characters have no place in a name.
    for (QChar& c : base) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c.category() == QChar::Other_Control) {
            c = QLatin1Char('-');
        }
    }
    return base + QLatin1Char(' ') + date.toString(QStringLiteral("dd.MM.yyyy")) +
           QStringLiteral(".pdf");
}

PdfPathHook& pdfPathHook() {
    static PdfPathHook hook;
    return hook;
}

QString askPdfPath(QWidget* parent, const QString& fileName, SettingsStore& store) {
    QString folder =
        toQString(store.readString(settings::kSettingsSection, settings::kPdfDirectory, ""));
    // A folder that is gone: the dialog starts in the current one.
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QDir::currentPath();
    }
    const QString offered = QDir(folder).filePath(fileName);
    QString chosen;
    if (pdfPathHook()) {
        chosen = pdfPathHook()(dialogTitle(), offered);
    } else {
        QFileDialog dialog(parent, dialogTitle());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("PDF-Dateien (*.pdf)"));
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.setDirectory(folder);
        dialog.selectFile(fileName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().constFirst();
        }
    }
    if (chosen.isEmpty()) {
        return QString();
    }
    if (QFileInfo(chosen).suffix().isEmpty()) {
        chosen += QStringLiteral(".pdf");
    }
    store.writeString(settings::kSettingsSection, settings::kPdfDirectory,
                      fromQString(QFileInfo(chosen).absolutePath()));
    return chosen;
}

QPageLayout pdfPageLayout(QPageLayout::Orientation orientation) {
    return QPageLayout(QPageSize(QPageSize::A4), orientation,
                       QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                       QPageLayout::Millimeter);
}

void setUpPdfWriter(QPdfWriter& writer, const QString& title,
                    QPageLayout::Orientation orientation) {
    writer.setResolution(kPdfResolution);
    writer.setTitle(title);
    writer.setCreator(programTitle());
    writer.setPageLayout(pdfPageLayout(orientation));
}

bool writePdfFile(const QString& path, const QString& title, const PdfPainting& paint,
                  QWidget* parent, FileLayer& files, QPageLayout::Orientation firstOrientation) {
    // The document is made in memory and then replaces the file in one step.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString failure;
    bool painted = false;
    {
        QPdfWriter writer(&buffer);
        setUpPdfWriter(writer, title, firstOrientation);
        QPainter painter;
        if (!painter.begin(&writer)) {
            failure = QStringLiteral("Das Dokument ließ sich nicht anlegen.");
        } else {
            painted = paint(writer, painter, failure);
            painter.end();
        }
    }
    if (!painted) {
        MessageBoxes::error(parent, failedMessage(path, failure));
        return false;
    }
    std::string error;
    std::string notice;
    const QByteArray& bytes = buffer.data();
    if (!replaceFile(files, QFile::encodeName(path).toStdString(),
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                     &error, &notice)) {
        // The reason is core text (Windows-1252), its paths included.
        MessageBoxes::error(parent, failedMessage(path, toQString(error)));
        return false;
    }
    reportSaveNotice(notice, parent);
    return true;
}

} // namespace tessalyn
