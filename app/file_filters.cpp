#include "app/file_filters.h"

#include <QStringList>

#include "app/window_texts.h"
#include "core/piece_format.h"

namespace kv {

namespace wt = window_texts;

const char* DestinationFilters(bool dividing, const DivideSettings& settings) {
  if (!dividing) {
    return wt::kAllFilesFilter;
  }
  if (!PieceFormatOf(settings.DivideType).RawSlices()) {
    return wt::kTypedPieceFilter;
  }
  return settings.DivideExt == 1   ? wt::kType0From001Filter
         : settings.DivideExt == 0 ? wt::kType0From000Filter
                                   : wt::kAllFilesFilter;
}

QString QtNameFilters(const std::string& pairs) {
  const QStringList parts = QString::fromStdString(pairs).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const qsizetype bracket = description.lastIndexOf(u'(');
    if (bracket > 0) {
      description = description.left(bracket).trimmed();
    }
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern =
          pattern.trimmed() == QStringLiteral("*.*") ? QStringLiteral("*") : pattern.trimmed();
    }
    filters << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace kv
