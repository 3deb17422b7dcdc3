#include "page_file.h"

#include "article_reader.h"
#include "modutf8.h"
#include "page_builder.h"

#include <QFile>
#include <QFileInfo>

namespace pagefile {

namespace {

constexpr qsizetype kPiece = 256 * 1024;

} // namespace

qsizetype pieceEnd(QStringView text, qsizetype limit)
{
    if (text.size() <= limit)
        return text.size();
    // Look back a good way for a safe cut; a text without one is cut where a character ends.
    const qsizetype floor = limit / 2;
    for (qsizetype i = limit; i > floor; --i) {
        const QChar c = text.at(i - 1);
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'>')
            return i;
    }
    qsizetype cut = limit;
    if (text.at(cut - 1).isHighSurrogate() || text.at(cut - 1) == u'\r')
        --cut;
    return cut;
}

QString writePage(const QString &pagePath, const QString &filledTemplate,
                  const QStringList &articles, bool single)
{
    // Writing appends, so a page of this name from before has to go first.
    const QFileInfo existing(pagePath);
    if ((existing.exists() || existing.isSymLink()) && !QFile::remove(pagePath))
        return QStringLiteral("the old page file could not be removed: %1").arg(pagePath);

    modUTF8::AppendFile file = modUTF8::OpenFileForAppend(pagePath);
    QString failure;
    const auto write = [&](const QString &text) {
        if (failure.isEmpty() && !modUTF8::WriteUTF8(file, text, false))
            failure = QStringLiteral("the page file could not be written: %1 (%2)")
                          .arg(pagePath, file.errorString());
        return failure.isEmpty();
    };

    write(filledTemplate);
    for (const QString &article : articles) {
        if (!failure.isEmpty())
            break;
        QString text;
        QString why;
        if (!articlereader::readArticle(article, text, why)) {
            failure = articlereader::failureText(article, why);
            break;
        }
        if (single)
            write(pagebuilder::singleRunArticlePart({QString()}));
        QStringView rest(text);
        while (!rest.isEmpty() && failure.isEmpty()) {
            const qsizetype end = pieceEnd(rest, kPiece);
            write(pagebuilder::articleToHtml(rest.first(end)));
            rest = rest.sliced(end);
        }
    }
    write(pagebuilder::pageTail());
    if (file.isOpen() && !file.close() && failure.isEmpty())
        failure = QStringLiteral("the page file could not be written: %1 (%2)")
                      .arg(pagePath, file.errorString());
    if (!failure.isEmpty()) {
        // A page cut short must not be taken for a good one later.
        QFile::remove(pagePath);
    }
    return failure;
}

} // namespace pagefile
