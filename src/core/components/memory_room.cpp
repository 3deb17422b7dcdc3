#include "memory_room.h"

#include "t_file.h"

#include <QByteArray>
#include <QList>

namespace memoryroom {

namespace {

// These files are small; a larger one is not what we expect.
constexpr qsizetype kMaxBytes = 64 * 1024;

QByteArray readSmall(const QString &path)
{
    QByteArray bytes;
    QString reason;
    tFile::ReadRegularFile(bytes, path, kMaxBytes, reason);
    return bytes;
}

// The number after "name " on a line of a "key value" file; -1 when there is none.
qint64 field(const QByteArray &text, QByteArrayView name)
{
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts.at(0) == name) {
            bool ok = false;
            const qint64 value = parts.at(1).toLongLong(&ok);
            return ok ? value : -1;
        }
    }
    return -1;
}

// A file holding one number; -1 when it is missing, says "max" or holds something else.
qint64 number(const QString &path)
{
    bool ok = false;
    const qint64 value = readSmall(path).trimmed().toLongLong(&ok);
    return ok ? value : -1;
}

struct GroupFiles
{
    QString limit;
    QString usage;
    QByteArrayView inactiveFile; // in memory.stat
};

// The smallest room, in bytes, in the group folder and in every folder above it up to top;
// -1 when none of them has a limit.
qint64 roomUpFrom(QString folder, const QString &top, const GroupFiles &files)
{
    // v1 writes "no limit" as the largest page-aligned number.
    constexpr qint64 kNoLimit = qint64(1) << 62;
    qint64 smallest = -1;
    for (;;) {
        const qint64 limit = number(folder + u'/' + files.limit);
        if (limit >= 0 && limit < kNoLimit) {
            const qint64 usage = qMax<qint64>(0, number(folder + u'/' + files.usage));
            const qint64 droppable =
                qMax<qint64>(0, field(readSmall(folder + QStringLiteral("/memory.stat")),
                                      files.inactiveFile));
            const qint64 room = qMax<qint64>(0, limit - usage + qMin(droppable, usage));
            smallest = smallest < 0 ? room : qMin(smallest, room);
        }
        if (folder.size() <= top.size())
            return smallest;
        folder.truncate(qMax(top.size(), folder.lastIndexOf(u'/')));
    }
}

// Room in bytes left by the program's control groups; -1 when none limits it.
qint64 groupRoom(const Sources &sources)
{
    qint64 smallest = -1;
    const auto take = [&smallest](qint64 room) {
        if (room >= 0)
            smallest = smallest < 0 ? room : qMin(smallest, room);
    };
    for (const QByteArray &line : readSmall(sources.ownGroups).split('\n')) {
        // "hierarchy-id:controllers:path"; v2 is "0::path".
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second < 0)
            continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        QString path = QString::fromUtf8(line.mid(second + 1));
        while (path.endsWith(u'/'))
            path.chop(1);
        if (line.startsWith("0::")) {
            take(roomUpFrom(sources.groupRoot + path, sources.groupRoot,
                            {QStringLiteral("memory.max"), QStringLiteral("memory.current"),
                             "inactive_file"}));
        } else if (controllers.split(',').contains("memory")) {
            const QString top = sources.groupRoot + QStringLiteral("/memory");
            take(roomUpFrom(top + path, top,
                            {QStringLiteral("memory.limit_in_bytes"),
                             QStringLiteral("memory.usage_in_bytes"), "total_inactive_file"}));
        }
    }
    return smallest;
}

} // namespace

qint64 availableMegabytes(const Sources &sources)
{
    const qint64 systemKilobytes = field(readSmall(sources.meminfo), "MemAvailable:");
    const qint64 system = systemKilobytes < 0 ? -1 : systemKilobytes / 1024;
    const qint64 groupBytes = groupRoom(sources);
    const qint64 group = groupBytes < 0 ? -1 : groupBytes >> 20;
    if (system < 0 || group < 0)
        return qMax(system, group);
    return qMin(system, group);
}

qint64 outOfMemoryKills(const Sources &sources)
{
    return field(readSmall(sources.vmstat), "oom_kill");
}

} // namespace memoryroom
