#include "app/PictureFileFilters.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "codecs/ImageFormat.h"

namespace stampora {

namespace {

// A format's filter: its label and its extensions as patterns. File dialogs
// on some desktops match case-sensitively, so both cases are offered.
QString FilterOf(const FormatEntry& format) {
    QStringList upper;
    for (const QString& extension :
         QString::fromLatin1(format.extensions).split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        upper << QStringLiteral("*.") + extension.toUpper();
    }
    const QString patterns = upper.join(QLatin1Char(' '));
    return QStringLiteral("%1 (%2 %3)")
        .arg(QString::fromLatin1(format.dialogLabel), patterns, patterns.toLower());
}

QString FiltersOf(bool (*offered)(const FormatEntry&)) {
    std::vector<const FormatEntry*> formats;
    for (const FormatEntry& format : AllFormats()) {
        if (offered(format)) formats.push_back(&format);
    }
    // Ranked formats first, by rank; the stable sort keeps the rest in table order.
    const auto rank = [](const FormatEntry* format) {
        return format->dialogRank > 0 ? format->dialogRank : 1 << 30;
    };
    std::stable_sort(formats.begin(), formats.end(),
                     [&rank](const FormatEntry* a, const FormatEntry* b) { return rank(a) < rank(b); });
    QStringList filters;
    for (const FormatEntry* format : formats) filters << FilterOf(*format);
    filters << QStringLiteral("All Files (*)");
    return filters.join(QStringLiteral(";;"));
}

}  // namespace

QString PictureFileFilters() {
    return FiltersOf([](const FormatEntry& format) { return format.reads; });
}

QString PictureSaveFilters() {
    return FiltersOf([](const FormatEntry& format) { return format.writes; });
}

QString ExtensionOfFilter(const QString& filter) {
    for (const FormatEntry& format : AllFormats()) {
        if (FilterOf(format) == filter)
            return QString::fromLatin1(format.extensions).section(QLatin1Char('.'), 1, 1).toLower();
    }
    return QString();
}

}  // namespace stampora
