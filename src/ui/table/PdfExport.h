#pragma once

#include "history/SafeFile.h"
#include "settings/SettingsStore.h"
#include "ui/widgets/TestHook.h"

#include <QDate>
#include <QPageLayout>
#include <QString>

#include <functional>

class QPainter;
class QPdfWriter;
class QWidget;

namespace tessalyn {

// "Als PDF…": choosing the file and writing it. Every PDF the program writes
// goes through here: A4 portrait, through a temporary file that replaces the
// chosen one only when the whole document is written.

// The file name offered: "<name> <dd.MM.yyyy>.pdf", or "Auswertung
// <dd.MM.yyyy>.pdf" without a name; characters no file name may hold become "-".
QString suggestedPdfFileName(const QString& name, const QDate& date);

// Asks for the file with the platform's save dialog „Als PDF speichern“,
// offering `fileName` in the folder last used (kept in the settings; at first
// the current folder). Returns the chosen path with ".pdf" added when it has
// no suffix, or an empty string when the user cancelled.
QString askPdfPath(QWidget* parent, const QString& fileName, SettingsStore& store);

// For tests: called instead of the save dialog with its title and the path it
// offers; returns the chosen path (empty: cancelled).
using PdfPathHook = TestHook<QString(const QString& title, const QString& offeredPath)>;
PdfPathHook& pdfPathHook();

// The resolution every PDF is drawn at, that of a high-resolution printer.
inline constexpr int kPdfResolution = 1200; // dots per inch

// The paper of every PDF page: A4 with narrow margins, upright or turned.
QPageLayout pdfPageLayout(QPageLayout::Orientation orientation);

// Gives a PDF writer the paper (pdfPageLayout, its first page turned as
// `orientation` says), the resolution and the document's title.
void setUpPdfWriter(QPdfWriter& writer, const QString& title,
                    QPageLayout::Orientation orientation = QPageLayout::Portrait);

// Draws the document: the painter is active on the writer, pages are begun
// with writer.newPage(). Returns false when it could not finish, with the
// German reason in `failure`.
using PdfPainting = std::function<bool(QPdfWriter& writer, QPainter& painter, QString& failure)>;

// Writes the PDF `paint` draws to `path` (document title `title`). On any
// failure the file at `path` stays as it was, and a message over `parent`
// names the file and the reason. Returns whether the file was written.
// `firstOrientation` turns the first page (later ones are turned by `paint`
// with QPdfWriter::setPageOrientation before it begins them).
bool writePdfFile(const QString& path, const QString& title, const PdfPainting& paint,
                  QWidget* parent, FileLayer& files = systemFileLayer(),
                  QPageLayout::Orientation firstOrientation = QPageLayout::Portrait);

} // namespace tessalyn
