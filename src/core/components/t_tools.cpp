#include "t_tools.h"

#include <QFileInfo>

#include <algorithm>

tTools::tTools() : m_rng(std::random_device{}()) {}

bool tTools::FileExists(const QString &path, bool flag)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && (flag || !info.isDir());
}

void tTools::SplitToList(const QString &text, const QString &delimiter, QStringList &list,
                         const QString &)
{
    if (delimiter.isEmpty()) {
        if (!text.isEmpty())
            list.append(text);
        return;
    }
    const QStringList pieces = text.split(delimiter, Qt::SkipEmptyParts);
    list.append(pieces);
}

void tTools::ShuffleList(QStringList &list)
{
    std::shuffle(list.begin(), list.end(), m_rng);
}

const QString &tTools::PickOne(const QStringList &list)
{
    static const QString empty;
    if (list.isEmpty())
        return empty;
    std::uniform_int_distribution<qsizetype> pick(0, list.size() - 1);
    return list[pick(m_rng)];
}
