#include "page_file.h"

#include "article_reader.h"
#include "font_coverage.h"
#include "local_names.h"
#include "modutf8.h"
#include "page_builder.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pagefile {

namespace {

constexpr qsizetype kPiece = 256 * 1024;

} // namespace

QString writePage(const QString &pagePath, const QString &filledTemplate,
                  const QStringList &articles, bool single, QStringList *undrawn)
{
    // Writing appends, so a page of this name from before has to go first.
    const QFileInfo existing(pagePath);
    if ((existing.exists() || existing.isSymLink()) && !QFile::remove(pagePath))
        return QStringLiteral("the old page file could not be removed: %1").arg(pagePath);

    modUTF8::AppendFile file = modUTF8::OpenFileForAppend(pagePath);
    QString failure;
    const auto writeFailure = [&] {
        const QString folder = existing.absolutePath();
        if (paths::noSpaceLeft(folder))
            return QStringLiteral("no space left on the disk of the page files (%1)")
                .arg(QDir::toNativeSeparators(folder));
        return QStringLiteral("the page file could not be written: %1 (%2)")
            .arg(pagePath, file.errorString());
    };
    const auto write = [&](const QString &text) {
        if (failure.isEmpty() && !modUTF8::WriteUTF8(file, text, false))
            failure = writeFailure();
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
        if (undrawn) {
            if (const QString line = undrawnArticleLine(article, text); !line.isEmpty())
                *undrawn << line;
        }
        if (single)
            write(pagebuilder::singleRunArticlePart({QString()}));
        pagebuilder::HtmlWriter html(text, true);
        while (!html.atEnd() && failure.isEmpty())
            write(html.next(kPiece));
    }
    write(pagebuilder::pageTail());
    if (file.isOpen() && !file.close() && failure.isEmpty())
        failure = writeFailure();
    if (!failure.isEmpty()) {
        // A page cut short must not be taken for a good one later.
        QFile::remove(pagePath);
    }
    return failure;
}

QString undrawnArticleLine(const QString &articlePath, QStringView text)
{
    MissingCharacters missing;
    missing.count(text);
    if (missing.isEmpty())
        return {};
    return localnames::asValidName(QFileInfo(articlePath).fileName()) + QStringLiteral(": ") +
           missing.describe();
}

QString undrawnAdLine(const QString &adTitle, const QString &ctaText)
{
    MissingCharacters missing;
    missing.count(adTitle);
    missing.count(ctaText);
    return missing.isEmpty() ? QString() : QStringLiteral("the ad: ") + missing.describe();
}

} // namespace pagefile
