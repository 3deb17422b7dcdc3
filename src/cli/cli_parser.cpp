#include "cli_parser.h"

#include "app_location.h"
#include "cli_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace cli {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString visible(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7F && u <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

int badInput(const QString &command, const QString &message, const QString &hint)
{
    err() << kProgram << ' ' << visible(command) << ": " << visible(message) << '\n';
    if (!hint.isEmpty())
        err() << visible(hint) << '\n';
    err().flush();
    return cliexit::kBadInput;
}

QString sentence(const QString &tail)
{
    QString text = tail;
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text + u'.';
}

QString wrapped(const QString &text, qsizetype width)
{
    QString result;
    qsizetype lineLength = 0;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            result += u'\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            result += u' ';
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

QString nativeAbsolute(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

Command::Command(const QString &name, const QString &synopsis, const QString &description)
    : name(name), synopsis(synopsis)
{
    parser.setApplicationDescription(wrapped(description));
}

QString Command::help() const
{
    // Qt's first line names the executable's path; ours names the command.
    QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(u'\n');
    text.replace(0, firstLineEnd, QStringLiteral("Usage: %1 %2 %3\n").arg(kProgram, name, synopsis));
    return text;
}

int Command::parse(const QStringList &arguments, bool takesArguments)
{
    common.addTo(parser); // last, so the help lists the command's own options first
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(common.help)) {
        out() << help();
        return cliexit::kAllMade;
    }
    const QString tryHelp = QStringLiteral("Try \"%1 %2 --help\".").arg(kProgram, name);
    if (!parsed)
        return badInput(name, parser.errorText(), tryHelp);
    if (!takesArguments && !parser.positionalArguments().isEmpty())
        return badInput(name,
                        QStringLiteral("unexpected argument \"%1\"")
                            .arg(parser.positionalArguments().constFirst()),
                        tryHelp);
    if (parser.isSet(common.appDir)) {
        const QString given = parser.value(common.appDir);
        if (!QFileInfo(given).isDir())
            return badInput(name,
                            QStringLiteral("the application folder does not exist: %1").arg(given));
        appFolder = nativeAbsolute(given);
    } else {
        const applocation::PreparedFolder prepared =
            applocation::prepareApplicationFolder(QCoreApplication::applicationDirPath());
        if (prepared.problem == applocation::kNoHome)
            return badInput(name, prepared.problem + QStringLiteral(" or use --app-dir"));
        if (!prepared.problem.isEmpty())
            return badInput(name, prepared.problem);
        appFolder = prepared.path;
    }
    return -1;
}

int Command::problem(const QString &message, const QString &hint) const
{
    return badInput(name, message, hint);
}

} // namespace cli
