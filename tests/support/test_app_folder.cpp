#include "test_app_folder.h"

#include "local_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QString kStaged = QStringLiteral(PAPERWAKE_STAGED_APP_DIR);

// write_pdf PAGE PDF: a one-page PDF that qpdf reads without complaint, carrying the page's
// bytes in a stream of its own (the catalog's /PageFile) so a test can tell which page a PDF
// came from.
const QByteArray kWritePdf = R"sh(write_pdf() {
    printf '%%PDF-1.4\n' > "$2"
    o1=$(wc -c < "$2"); printf '1 0 obj\n<< /Type /Catalog /Pages 2 0 R /PageFile 5 0 R >>\nendobj\n' >> "$2"
    o2=$(wc -c < "$2"); printf '2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n' >> "$2"
    o3=$(wc -c < "$2"); printf '3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>\nendobj\n' >> "$2"
    o4=$(wc -c < "$2"); printf '4 0 obj\n<< /Length 0 >>\nstream\n\nendstream\nendobj\n' >> "$2"
    o5=$(wc -c < "$2"); printf '5 0 obj\n<< /Length %d >>\nstream\n' "$(wc -c < "$1")" >> "$2"
    cat "$1" >> "$2"; printf '\nendstream\nendobj\n' >> "$2"
    x=$(wc -c < "$2")
    printf 'xref\n0 6\n0000000000 65535 f \n%010d 00000 n \n%010d 00000 n \n%010d 00000 n \n%010d 00000 n \n%010d 00000 n \ntrailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' "$o1" "$o2" "$o3" "$o4" "$o5" "$x" >> "$2"
}
)sh";

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &entry :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + u'/' + entry.fileName());
        else if (!entry.isSymLink())
            QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
    }
}

} // namespace

TestAppFolder::TestAppFolder(int parts)
{
    const QString root = m_dir.path();
    if (parts & (Bin | Template | Converter | Output))
        QDir().mkpath(root + QStringLiteral("/bin"));
    if (parts & Template) {
        QFile::copy(kStaged + QStringLiteral("/bin/template.html"),
                    root + QStringLiteral("/bin/template.html"));
        copyTree(kStaged + QStringLiteral("/bin/assets"), root + QStringLiteral("/bin/assets"));
    }
    if (parts & Converter) {
        const QString converter = testConverter();
        if (!converter.isEmpty())
            QFile::link(converter, root + QStringLiteral("/bin/wkhtmltopdf"));
    }
    if (parts & Output)
        QDir().mkpath(root + QStringLiteral("/bin/output"));
    if (parts & WordLists)
        copyTree(kStaged + QStringLiteral("/random"), root + QStringLiteral("/random"));
    if (parts & Patterns)
        QFile::copy(kStaged + QStringLiteral("/lstcombinations.txt"),
                    root + QStringLiteral("/lstcombinations.txt"));
}

QString TestAppFolder::writeFile(const QString &relative, const QByteArray &bytes) const
{
    const QString target = file(relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile out(target);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
    return target;
}

QString TestAppFolder::installFakeConverter(const QByteArray &scriptBody) const
{
    const QString target = file(QStringLiteral("bin/wkhtmltopdf"));
    QFile::remove(target);
    // Named wkhtmltopdf, it gets wkhtmltopdf's options first; a fake reads only the two paths.
    writeFile(QStringLiteral("bin/wkhtmltopdf"), "#!/bin/sh\nwhile [ $# -gt 2 ]; do shift; done\n"
                                                     + kWritePdf + scriptBody + "\n");
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                      | QFileDevice::ExeGroup);
    return target;
}

QString testConverter()
{
    const QString chosen = qEnvironmentVariable("PAPERWAKE_TEST_CONVERTER");
    if (chosen == QStringLiteral("builtin"))
        return QStringLiteral(PAPERWAKE_STAGED_APP_DIR "/paperwake-render");
    if (!chosen.isEmpty()) {
        const QString found = QStandardPaths::findExecutable(chosen);
        // Going on would test whichever converter the PATH offers instead.
        if (found.isEmpty())
            qFatal("PAPERWAKE_TEST_CONVERTER names %s, which is not installed", qPrintable(chosen));
        return found;
    }
    const QString wkhtmltopdf = QStandardPaths::findExecutable(QStringLiteral("wkhtmltopdf"));
    return !wkhtmltopdf.isEmpty() ? wkhtmltopdf
                                  : QStandardPaths::findExecutable(QStringLiteral("weasyprint"));
}

NoConverterOnPath::NoConverterOnPath() : m_savedPath(qgetenv("PATH"))
{
    qputenv("PATH", QFile::encodeName(m_empty.path()));
}

NoConverterOnPath::~NoConverterOnPath()
{
    qputenv("PATH", m_savedPath);
}

QString pdfText(const QString &pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                pdfPath, QStringLiteral("-")});
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfInfo(const QString &pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                              pdfPath});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfInfoField(const QString &pdfPath, const QString &field)
{
    const QString prefix = field + u':';
    for (const QString &line : pdfInfo(pdfPath).split(u'\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    return {};
}

bool qpdfCheckPasses(const QString &pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdfPath});
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

QByteArray readBytes(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return in.readAll();
}

QStringList pdfFontNames(const QString &pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("pdffonts"), {pdfPath});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    // Two heading lines, then one font a line, its name first.
    QStringList names;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    for (const QString &line : lines.mid(2))
        if (const QString name = line.section(u' ', 0, 0); !name.isEmpty())
            names << name;
    return names;
}

QString writeFontConfig(const QString &folder, const QString &fontFolder)
{
    const QString path = folder + QStringLiteral("/fonts.conf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QString dir = fontFolder.isEmpty() ? QString() : QStringLiteral("<dir>%1</dir>\n").arg(fontFolder);
    file.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n%1<cachedir>%2/fc-cache"
                              "</cachedir>\n</fontconfig>\n")
                   .arg(dir, folder)
                   .toUtf8());
    return path;
}

QString testData(const QString &relative)
{
    return QStringLiteral(PAPERWAKE_TEST_DATA_DIR) + u'/' + relative;
}

QString copyTestData(const QString &relative, const QString &folder)
{
    QDir().mkpath(folder);
    const QString target = folder + u'/' + QFileInfo(relative).fileName();
    QFile::remove(target);
    return QFile::copy(testData(relative), target) ? target : QString();
}

QString writeFileNamedInBytes(const QString &folder, const QByteArray &nameBytes,
                              const QByteArray &content)
{
#ifdef Q_OS_UNIX
    // Qt's file classes cannot make such a name; the system call takes the bytes as they are.
    const QByteArray path = localnames::toLocalBytes(folder) + '/' + nameBytes;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return {};
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return written ? localnames::fromLocalBytes(path) : QString();
#else
    Q_UNUSED(folder);
    Q_UNUSED(nameBytes);
    Q_UNUSED(content);
    return {};
#endif
}
