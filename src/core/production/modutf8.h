#pragma once

#include <QString>

#include <memory>

class QFile;

// Writes text into files as UTF-8 without a byte-order mark, appending to what is there.
namespace modUTF8 {

// An open file that closes itself; movable, not copyable.
class AppendFile
{
public:
    AppendFile();
    AppendFile(AppendFile &&) noexcept;
    AppendFile &operator=(AppendFile &&) noexcept;
    ~AppendFile();

    bool isOpen() const;
    QString path() const { return m_path; }
    // Why the file could not be opened or the last write failed.
    QString errorString() const { return m_error; }
    // Closes the file; false when something written so far did not reach it.
    bool close();

private:
    friend AppendFile OpenFileForAppend(const QString &path);
    friend bool WriteUTF8(AppendFile &file, const QString &text, bool appendNewLine);

    QString m_path;
    QString m_error;
    std::unique_ptr<QFile> m_file;
};

// Opens path for writing at its end: a missing file is created, an existing one keeps its
// content. Check isOpen() on the result.
AppendFile OpenFileForAppend(const QString &path);

// Writes the UTF-8 bytes of text, then CR LF when appendNewLine is set, in one write at the
// end of the file. False (with file.errorString()) when the file is not open or the write
// was short.
bool WriteUTF8(AppendFile &file, const QString &text, bool appendNewLine);

} // namespace modUTF8
