#include "model/profile_name.h"

#include <QChar>
#include <QList>
#include <QString>

namespace orbel {

namespace {

QList<uint> codePoints(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toUcs4();
}

bool isControl(char32_t c) { return QChar::category(c) == QChar::Other_Control; }  // C0, DEL, C1

bool turnsDirection(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Breaks the text there (line and paragraph separator), which no one-line
// place for a name expects.
bool breaksLine(char32_t c) { return c == 0x2028 || c == 0x2029; }

// Shows nothing itself (zero-width space, word joiner, byte order mark).
bool isInvisible(char32_t c) { return c == 0x200B || c == 0x2060 || c == 0xFEFF; }

}  // namespace

bool hasControlCharacters(std::string_view name) {
    for (const char32_t c : codePoints(name))
        if (isControl(c) || turnsDirection(c) || breaksLine(c)) return true;
    return false;
}

std::string shownProfileName(std::string_view name) {
    QString shown;
    for (const char32_t c : codePoints(name)) {
        if (c == 0) shown += QStringLiteral("\\0");
        else if (isControl(c) || turnsDirection(c) || breaksLine(c) || isInvisible(c))
            shown += QStringLiteral("<U+%1>").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
        else shown += QString::fromUcs4(&c, 1);
    }
    return shown.toStdString();
}

}  // namespace orbel
