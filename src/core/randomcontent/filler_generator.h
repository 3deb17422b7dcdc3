#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class tTools;

// Filler text: sentences of five random words, one word from each of five lists, optionally
// with the user's keywords mixed in. Nothing here needs a window, so the command-line front end
// and the tests call it directly.
namespace filler {

using WordLists = std::array<QStringList, 5>;

// Page counts above this ask the user first.
constexpr int kConfirmAbove = 50;
constexpr int kMaxPages = 32767;

// Builds the text of pages + 1 pages. Each page has 4 paragraphs of 5 sentences of 5 words;
// word s of a sentence is a random pick from words[s], followed by one blank. When keywords is
// not empty, the fourth sentence of every paragraph gets a random keyword and a blank after its
// fourth word. Each sentence ends with ". ", each paragraph with two carriage returns.
//
// yield is called at fixed points (twice per word, once per sentence, twice per paragraph and
// twice per page) so a window can keep handling events; it must be cheap. When cancelled
// answers true at one of those points the run stops and returns nothing.
//
// An empty word list contributes empty words; callers check the lists first (firstEmptyList).
std::optional<QString> generateFillerText(const WordLists &words, const QStringList &keywords,
                                          int pages, tTools &random,
                                          const std::function<void()> &yield = {},
                                          const std::function<bool()> &cancelled = {});

// appFolder + sep + "random" + sep + (index + 1) + ".txt"
QString wordListPath(const QString &appFolder, int index);
// The same path relative to the application folder, for messages ("random/3.txt").
QString wordListName(int index);

// Loads the five word lists, one entry per non-empty line; a missing file leaves its list empty.
WordLists loadWordLists(const QString &appFolder);

// Index of the first empty list, or -1 when every list has words.
int firstEmptyList(const WordLists &words);

// The page count typed by the user: a whole number from 0 to kMaxPages, blanks around it
// allowed. Anything else gives nothing.
std::optional<int> parsePageCount(const QString &text);

// The message Save File shows instead of saving under name (without ".txt"), or empty when the
// name can be used: it must not be empty nor lead outside the folder it is saved in.
QString saveNameProblem(const QString &name);

// folder + sep + name + ".txt", with every doubled separator collapsed to one, so a drive
// root ("/" or "C:\") gets a single separator before the name.
QString filePath(const QString &folder, const QString &name);

} // namespace filler
