#pragma once

#include "ui/RankingChart.h"
#include "ui/table/PaperTable.h"

#include <QString>

#include <vector>

class QPainter;
class QPdfWriter;

namespace tessalyn {

// One rubric row of the result table as the report lists it: its text and
// the marks of its entry (weight, elimination), which stand in a column of
// their own between the number and the text.
struct ReportRubric {
    QString text;
    QString marks;
};

// What the first page of the result view's PDF report shows.
struct ResultReport {
    QString name;                      // the evaluation's name; may be empty
    QString date;                      // "dd.MM.yyyy"
    std::vector<ReportRubric> rubrics; // the rows of the result table, in its order
    std::vector<RankingBar> bars;      // the ranking in the table's order
};

// How many remedies the report's chart shows.
inline constexpr int kReportChartBars = 20;

// The title the report's pages carry: the evaluation's name, or
// "Auswertung" without one.
QString resultReportTitle(const ResultReport& report);

// The pages the front takes (see paintResultReportFront), counted without
// painting.
int resultReportFrontPages(const ResultReport& report);

// Paints the report's front onto `writer`, whose painter is active and on
// its first page (upright): the title with the date, the ranking of the first
// kReportChartBars remedies as a bar chart and the numbered list of rubrics
// with their marks, which continues on further pages when it is long. Each
// page gets its frame (`frame`, numbered from 1; the first page without the
// heading line, its title says the same). Everything is drawn as lines,
// areas and text, no picture. Returns false when a new page was refused.
bool paintResultReportFront(QPainter& painter, QPdfWriter& writer, const ResultReport& report,
                            const PageFrame& frame);

} // namespace tessalyn
