#include "platform/pathtext.h"

QString PathExtension(const QString &path) {
  for (qsizetype i = path.size() - 1; i >= 0; --i) {
    const QChar c = path[i];
    if (c == u'/' || c == u'\\' || c == u' ')
      return QString();
    if (c != u'.')
      continue;
    if (i == 0 || path[i - 1] == u'/' || path[i - 1] == u'\\')
      return QString();
    QString extension = path.mid(i + 1);
    const qsizetype quote = extension.indexOf(u'"');
    return quote < 0 ? extension : extension.left(quote);
  }
  return QString();
}

QString UpperCase(const QString &text) { return text.toUpper(); }

bool HasExtension(const QString &path, const QString &upperExtension) {
  return UpperCase(PathExtension(path)) == upperExtension;
}
