#include "figures.h"

#include <algorithm>
#include <cstdio>

LatencySummary summarize(std::vector<std::int64_t> samplesNs)
{
    LatencySummary s;
    if (samplesNs.empty())
        return s;
    std::sort(samplesNs.begin(), samplesNs.end());
    // Nearest rank: the smallest sample with at least p of the samples at or below it.
    auto rank = [&](double p) {
        const auto k = std::size_t(std::max<double>(1, p * double(samplesNs.size()) + 0.999999));
        return double(samplesNs[std::min(k, samplesNs.size()) - 1]) / 1000.0;
    };
    s.count = samplesNs.size();
    s.p50Us = rank(0.50);
    s.p99Us = rank(0.99);
    s.maxUs = double(samplesNs.back()) / 1000.0;
    return s;
}

QString micro(double us)
{
    return QString::number(us, 'f', us < 100 ? 1 : 0);
}

FigureTable::FigureTable(QString title, std::vector<QString> columns)
    : m_title(std::move(title)), m_columns(std::move(columns))
{
}

void FigureTable::addRow(const QString &name, const std::vector<QString> &cells)
{
    std::vector<QString> row{name};
    row.insert(row.end(), cells.begin(), cells.end());
    m_rows.push_back(std::move(row));
}

void FigureTable::print() const
{
    std::vector<qsizetype> width(m_columns.size(), 0);
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        width[c] = m_columns[c].size();
    for (const auto &row : m_rows) {
        for (std::size_t c = 0; c < row.size() && c < width.size(); ++c)
            width[c] = std::max(width[c], row[c].size());
    }
    auto line = [&](const std::vector<QString> &cells) {
        QString text;
        for (std::size_t c = 0; c < cells.size() && c < width.size(); ++c) {
            // The name column reads left to right; figures line up on the right.
            text += c == 0 ? cells[c].leftJustified(width[c]) : cells[c].rightJustified(width[c]);
            text += QStringLiteral("  ");
        }
        std::printf("  %s\n", qPrintable(text.trimmed()));
    };
    std::printf("\n%s\n", qPrintable(m_title));
    line(m_columns);
    QString rule;
    for (qsizetype w : width)
        rule += QString(w, QLatin1Char('-')) + QStringLiteral("  ");
    std::printf("  %s\n", qPrintable(rule.trimmed()));
    for (const auto &row : m_rows)
        line(row);
    for (const QString &note : m_notes)
        std::printf("  %s\n", qPrintable(note));
    std::fflush(stdout);
}
