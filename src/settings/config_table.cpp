#include "settings/config_table.h"

#include <QRegularExpression>

#include <cmath>

ConfigReadTable parseConfig(const QByteArray &contents)
{
    ConfigReadTable values;
    const QByteArray text = contents.left(kMaxConfigBytes);
    int counter = 0;
    qsizetype start = 0;
    while (start < text.size() && counter < kReadSlots) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArray line = text.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0)
            values[std::size_t(counter)] = QString::fromUtf8(line.mid(eq + 1));
        ++counter;
        start = end + 1;
    }
    return values;
}

double leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 2e9)
        return std::nullopt;
    return int(std::nearbyint(value)); // the default rounding mode sends halves to even
}

QString edgeText(double twips)
{
    if (!(twips > 0))
        return QStringLiteral("0");
    return QString::number(twips, 'g', 15);
}
