#include "model/text.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QTextBoundaryFinder>
#include <cmath>
#include <limits>
#include <vector>

namespace orbel::text {

namespace {

QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string toUtf8(const QString& s) { return s.toUtf8().toStdString(); }

bool isSpaceOrTab(char32_t c) {
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

bool isWhitespaceOrNewline(char32_t c) {
    switch (c) {
        case U'\t': case U'\n': case 0x0B: case 0x0C: case U'\r': case 0x85: case 0x2028: case 0x2029:
            return true;
        default:
            return QChar::category(c) == QChar::Separator_Space;
    }
}

// Plain ASCII texts (nearly every identifier, key and title) take the short
// ways below; the results are the same as through QString.
bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

template <class Pred>
std::string trimBy(std::string_view s, Pred pred) {
    if (isAscii(s)) {
        std::size_t begin = 0, end = s.size();
        while (begin < end && pred(static_cast<unsigned char>(s[begin]))) ++begin;
        while (end > begin && pred(static_cast<unsigned char>(s[end - 1]))) --end;
        return std::string(s.substr(begin, end - begin));
    }
    const QString q = fromUtf8(s);
    const auto ucs = q.toUcs4();
    qsizetype begin = 0, end = ucs.size();
    while (begin < end && pred(ucs[begin])) ++begin;
    while (end > begin && pred(ucs[end - 1])) --end;
    if (begin == 0 && end == ucs.size()) return toUtf8(q);
    return toUtf8(QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs.constData()) + begin, end - begin));
}

bool isRegionalIndicator(const QString& q, qsizetype at) {
    // U+1F1E6 to U+1F1FF, two UTF-16 units each.
    return at + 1 < q.size() && q[at].unicode() == 0xD83C && q[at + 1].unicode() >= 0xDDE6 &&
           q[at + 1].unicode() <= 0xDDFF;
}

// The ends of the text's grapheme clusters (the last is its size). Qt's
// boundary finder splits a flag (two regional indicators) in two; a
// boundary with an odd run of indicators before it and one after it lies
// inside a flag and is dropped.
std::vector<qsizetype> graphemeEnds(const QString& q) {
    std::vector<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    for (qsizetype next; (next = finder.toNextBoundary()) >= 0;) {
        if (next == 0) continue;
        if (isRegionalIndicator(q, next)) {
            int before = 0;
            for (qsizetype i = next - 2; i >= 0 && isRegionalIndicator(q, i); i -= 2) ++before;
            if (before % 2 == 1) continue;
        }
        ends.push_back(next);
    }
    return ends;
}

}  // namespace

std::string trimSpacesAndTabs(std::string_view s) { return trimBy(s, isSpaceOrTab); }
std::string trimWhitespaceAndNewlines(std::string_view s) { return trimBy(s, isWhitespaceOrNewline); }

std::string capitalizeFirst(std::string_view s) {
    // An ASCII character followed by another ASCII one is a cluster of its own
    // (CR LF aside, which has no upper case).
    if (!s.empty() && isAscii(s.substr(0, 2))) {
        std::string out(s);
        if (out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 'a' + 'A');
        return out;
    }
    const QString q = fromUtf8(s);
    if (q.isEmpty()) return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    const qsizetype next = finder.toNextBoundary();
    const qsizetype cut = next < 0 ? q.size() : next;
    return toUtf8(q.left(cut).toUpper() + q.mid(cut));
}

std::size_t graphemeCount(std::string_view s) {
    if (isAscii(s) && s.find("\r\n") == std::string_view::npos) return s.size();
    return graphemeEnds(fromUtf8(s)).size();
}

std::string graphemePrefix(std::string_view s, std::size_t n) {
    const QString q = fromUtf8(s);
    if (n == 0) return {};
    const auto ends = graphemeEnds(q);
    if (n >= ends.size()) return toUtf8(q);
    return toUtf8(q.left(ends[n - 1]));
}

std::string toLower(std::string_view s) {
    if (isAscii(s)) {
        std::string out(s);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return out;
    }
    return toUtf8(fromUtf8(s).toLower());
}
std::string toUpper(std::string_view s) { return toUtf8(fromUtf8(s).toUpper()); }

std::optional<std::int64_t> parseInt64(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    // Accumulate as a negative number so that INT64_MIN fits.
    std::int64_t value = 0;
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value < (kMin + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin) return std::nullopt;
        return -value;
    }
    return value;
}

double roundHalfAwayFromZero(double v) { return std::round(v); }

}  // namespace orbel::text
