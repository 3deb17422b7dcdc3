#include "modutf8.h"

#include <QFile>

namespace modUTF8 {

AppendFile::AppendFile() = default;
AppendFile::AppendFile(AppendFile &&) noexcept = default;
AppendFile &AppendFile::operator=(AppendFile &&) noexcept = default;
AppendFile::~AppendFile() = default;

bool AppendFile::isOpen() const
{
    return m_file && m_file->isOpen();
}

bool AppendFile::close()
{
    if (!isOpen())
        return false;
    // Unbuffered, so nothing is pending; close() still reports a late error from the system.
    m_file->close();
    if (m_file->error() != QFileDevice::NoError) {
        m_error = m_file->errorString();
        return false;
    }
    return m_error.isEmpty();
}

AppendFile OpenFileForAppend(const QString &path)
{
    AppendFile result;
    result.m_path = path;
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: each WriteUTF8 reaches the system as one write and fails there, not later.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        result.m_error = file->errorString();
        return result;
    }
    result.m_file = std::move(file);
    return result;
}

bool WriteUTF8(AppendFile &file, const QString &text, bool appendNewLine)
{
    if (!file.isOpen()) {
        if (file.m_error.isEmpty())
            file.m_error = QStringLiteral("The file is not open.");
        return false;
    }
    QByteArray bytes = text.toUtf8();
    if (appendNewLine)
        bytes.append("\r\n", 2);
    if (bytes.isEmpty())
        return true;
    const qint64 written = file.m_file->write(bytes);
    if (written != bytes.size()) {
        file.m_error = file.m_file->errorString();
        return false;
    }
    return true;
}

} // namespace modUTF8
