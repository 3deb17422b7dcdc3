#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class QTextStream;

// What every command of paperwake-cli parses and reports through.
namespace cli {

inline const QString kProgram = QStringLiteral("paperwake-cli");

QTextStream &out();
QTextStream &err();

// text with control characters (but line ends and tabs) shown as "\x1b" and the like: names
// and reasons come from files others wrote, and must not steer the terminal.
QString visible(QStringView text);

// Says what is wrong on standard error, with a hint when there is one; returns the exit
// status of bad input.
int badInput(const QString &command, const QString &message, const QString &hint = {});

// The tail of a sentence, such as a reason a file could not be read, as a sentence of its own.
QString sentence(const QString &tail);

// Qt's help wraps option texts but not the description.
QString wrapped(const QString &text, qsizetype width = 79);

QString nativeAbsolute(const QString &path);

// Options every command has.
struct CommonOptions
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help.")};
    QCommandLineOption appDir{
        QStringLiteral("app-dir"),
        QStringLiteral("Work on the application folder DIR instead of the usual one (see "
                       "\"paperwake-cli --help\"): for tests, or when the data lives elsewhere. "
                       "It holds bin/template.html, random/1..5.txt, lstcombinations.txt and "
                       "perhaps bin/wkhtmltopdf."),
        QStringLiteral("DIR")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOption(help);
        parser.addOption(appDir);
    }
};

// A command's parser and what it was given.
struct Command
{
    QString name;
    QString synopsis; // after "paperwake-cli name "
    QCommandLineParser parser;
    CommonOptions common;
    QString appFolder;

    Command(const QString &name, const QString &synopsis, const QString &description);

    QString help() const;
    // Parses; -1 to go on, or the exit status once help or a problem was shown.
    int parse(const QStringList &arguments, bool takesArguments);
    int problem(const QString &message, const QString &hint = {}) const;
};

} // namespace cli
