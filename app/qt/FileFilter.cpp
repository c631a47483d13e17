#include "FileFilter.h"

#include "app/qt/QtText.h"

namespace ovena {

QStringList qtNameFilters(const std::string& filter) {
    const QStringList parts = qtText(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // A description that names its patterns already ("Excel (*.xls)") keeps them once.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            description = description.left(description.lastIndexOf(QLatin1Char('('))).trimmed();
        if (description.isEmpty() && i + 1 >= parts.size())
            break;
        QStringList patterns;
        const QString patternText = i + 1 < parts.size() ? parts[i + 1] : QString();
        for (const QString& pattern : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

} // namespace ovena
