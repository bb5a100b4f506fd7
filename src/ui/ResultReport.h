#pragma once

#include "ui/RankingChart.h"

#include <QString>
#include <QStringList>

#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace tessalyn {

// What the first page of the result view's PDF report shows.
struct ResultReport {
    QString name;                 // the evaluation's name; may be empty
    QString date;                 // "dd.MM.yyyy"
    QStringList rubrics;          // the row texts of the result table, in its order
    std::vector<RankingBar> bars; // the ranking in the table's order
};

// How many remedies the report's chart shows.
inline constexpr int kReportChartBars = 20;

// Paints the report's front onto `device`, whose painter is active and on
// its first page: the title with the date, the ranking of the first
// kReportChartBars remedies as a bar chart and the numbered list of rubrics,
// which continues on further pages when it is long. Everything is drawn as
// lines, areas and text, no picture. Returns false when the device refuses a
// new page.
bool paintResultReportFront(QPainter& painter, QPagedPaintDevice& device,
                            const ResultReport& report);

} // namespace tessalyn
