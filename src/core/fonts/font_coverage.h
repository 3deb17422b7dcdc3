#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

// Which characters the installed fonts can draw: every font fontconfig lists (the converters
// find their fonts through it too), their characters joined once into one table.
class FontCoverage
{
public:
    // The fonts of the system's configuration, or of FONTCONFIG_FILE when that is set; read at
    // the first call, then shared by every thread.
    static const FontCoverage &installed();
    // The fonts of one configuration file.
    static FontCoverage fromConfigFile(const QString &configFile);

    bool draws(char32_t c) const
    {
        return c < kCodePoints && (m_bits[c >> 6] >> (c & 63) & 1);
    }

private:
    static constexpr char32_t kCodePoints = 0x110000;
    FontCoverage() : m_bits(kCodePoints / 64) {}
    void addFonts(void *config);

    std::vector<quint64> m_bits;
};

// The characters of some text that need a glyph and that no installed font has, counted by
// script in the order first met. White space, joiners, variation selectors, control and
// other characters that show nothing of their own are never counted.
class MissingCharacters
{
public:
    void count(QStringView text, const FontCoverage &fonts = FontCoverage::installed());
    void add(const MissingCharacters &other);
    bool isEmpty() const { return m_tallies.isEmpty(); }
    // How many of one script; 0 when none is missing.
    qsizetype of(QStringView scriptName) const;
    // What is missing and the Debian package that brings a font for it, e.g. "629 characters
    // of Devanagari have no font here; install fonts-noto-core".
    QString describe() const;

private:
    struct Tally
    {
        int group = 0; // a QChar::Script, or one of ours for emoji
        qsizetype characters = 0;
    };
    void tally(int group);

    QList<Tally> m_tallies;
};
