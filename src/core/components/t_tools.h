#pragma once

#include <QString>
#include <QStringList>

#include <random>

// Small helpers the windows share: file checks, list splitting and shuffling.
class tTools
{
public:
    tTools();

    // True when a file (not a folder) exists at path. With flag set, folders count too.
    static bool FileExists(const QString &path, bool flag = false);

    // Appends the non-empty pieces of text between delimiters to list; existing items stay.
    static void SplitToList(const QString &text, const QString &delimiter, QStringList &list,
                            const QString &extra = QString());

    // Puts the items in a random order drawn from this object's generator.
    void ShuffleList(QStringList &list);

    // Picks one random item without reordering; same distribution as shuffle-then-take-first.
    const QString &PickOne(const QStringList &list);

    void seed(std::uint32_t value) { m_rng.seed(value); }
    std::mt19937 &rng() { return m_rng; }

private:
    std::mt19937 m_rng;
};
