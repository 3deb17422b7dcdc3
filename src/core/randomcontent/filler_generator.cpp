#include "filler_generator.h"

#include "paths.h"

#include "safe_file_name.h"
#include "t_file.h"
#include "t_parser.h"
#include "t_tools.h"

#include <QDir>

namespace filler {

namespace {

constexpr int kParagraphsPerPage = 4;
constexpr int kSentencesPerParagraph = 5;
constexpr int kWordsPerSentence = 5;
// The keyword goes into this sentence, after this word.
constexpr int kKeywordSentence = 3;
constexpr int kKeywordAfterWord = 3;

qsizetype averageLength(const QStringList &list)
{
    if (list.isEmpty())
        return 0;
    qsizetype total = 0;
    for (const QString &item : list)
        total += item.size();
    return total / list.size();
}

} // namespace

std::optional<QString> generateFillerText(const WordLists &words, const QStringList &keywords,
                                          int pages, tTools &random,
                                          const std::function<void()> &yield,
                                          const std::function<bool()> &cancelled)
{
    // Returns true when the run must stop.
    const auto pause = [&](int times) {
        for (int i = 0; i < times; ++i) {
            if (yield)
                yield();
            if (cancelled && cancelled())
                return true;
        }
        return false;
    };

    QString text;
    if (pages < 0)
        return text;

    // One growing string; reserving avoids repeated reallocation on long runs.
    qsizetype sentenceLength = 2 + averageLength(keywords) / kSentencesPerParagraph + 1;
    for (const QStringList &list : words)
        sentenceLength += averageLength(list) + 1;
    text.reserve((qsizetype(pages) + 1) * kParagraphsPerPage *
                 (kSentencesPerParagraph * sentenceLength + 2));

    const bool withKeywords = !keywords.isEmpty();
    for (int p = 0; p <= pages; ++p) {
        for (int q = 0; q < kParagraphsPerPage; ++q) {
            for (int r = 0; r < kSentencesPerParagraph; ++r) {
                for (int s = 0; s < kWordsPerSentence; ++s) {
                    text += random.PickOne(words[s]);
                    text += u' ';
                    if (s == kKeywordAfterWord && r == kKeywordSentence && withKeywords) {
                        text += random.PickOne(keywords);
                        text += u' ';
                    }
                    if (s == kWordsPerSentence - 1)
                        text += u". ";
                    if (pause(2))
                        return std::nullopt;
                }
                if (pause(1))
                    return std::nullopt;
            }
            text += u"\r\r";
            if (pause(2))
                return std::nullopt;
        }
        if (pause(2))
            return std::nullopt;
    }
    return text;
}

QString wordListPath(const QString &appFolder, int index)
{
    // A drive root already ends in the separator.
    return paths::join(appFolder, wordListName(index));
}

QString wordListName(int index)
{
    return QStringLiteral("random") + QDir::separator() + QString::number(index + 1) +
           QStringLiteral(".txt");
}

WordLists loadWordLists(const QString &appFolder)
{
    WordLists words;
    for (int i = 0; i < int(words.size()); ++i)
        tFile::LoadList(words[i], wordListPath(appFolder, i));
    return words;
}

int firstEmptyList(const WordLists &words)
{
    for (int i = 0; i < int(words.size()); ++i) {
        if (words[i].isEmpty())
            return i;
    }
    return -1;
}

std::optional<int> parsePageCount(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 0 || value > kMaxPages)
        return std::nullopt;
    return value;
}

QString saveNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("Please enter a name for the file.");
    // The name must stay a file inside the folder it is saved in.
    if (safename::isSafe(name))
        return {};
    const QString forbidden = safename::forbiddenCharacters(name);
    const QString why = forbidden.isEmpty()
                            ? QStringLiteral("\"%1\" cannot be used as a file name.").arg(name)
                            : QStringLiteral("A file name cannot contain these characters: %1")
                                  .arg(safename::describe(forbidden));
    return why + QStringLiteral("\nPlease enter another name.");
}

QString filePath(const QString &folder, const QString &name)
{
    return paths::join(folder, name + QStringLiteral(".txt"));
}

} // namespace filler
