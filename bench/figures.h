#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// What the benchmarks measure, and the table they print.

struct LatencySummary {
    std::size_t count = 0;
    double p50Us = 0;
    double p99Us = 0;
    double maxUs = 0;
};

LatencySummary summarize(std::vector<std::int64_t> samplesNs);

// A table of rows: a name, then cells already formatted.
class FigureTable {
public:
    explicit FigureTable(QString title, std::vector<QString> columns);
    void addRow(const QString &name, const std::vector<QString> &cells);
    void addNote(const QString &note) { m_notes.push_back(note); }
    void print() const;

private:
    QString m_title;
    std::vector<QString> m_columns;
    std::vector<std::vector<QString>> m_rows;
    std::vector<QString> m_notes;
};

QString micro(double us);
