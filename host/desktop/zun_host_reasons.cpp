#include "host/desktop/zun_host_reasons.h"

#include "host/desktop/zun_host_texts.h"

#include <QRegularExpression>

namespace {

namespace T = ZunHostTexts;

// Whole reasons and expected pieces, by their English wording. Kept here
// rather than with the other texts: each is the other half of a reader's
// English wording, and is only ever found through it.
struct Known {
    const char* english;
    CZunHostText text;
};
constexpr Known kWhole[] = {
    {"The SVG drawing could not be read or has no size.",
     {"ZUN_HOST_0367", "Die SVG-Zeichnung ist nicht lesbar oder hat keine Größe."}},
    {"The metafile has no usable size.", {"ZUN_HOST_0368", "Die Metadatei hat keine verwendbare Größe."}},
    {"The metafile could not be converted for display.",
     {"ZUN_HOST_0369", "Die Metadatei lässt sich nicht zur Anzeige umwandeln."}},
};
constexpr Known kPieces[] = {
    {"a number", {"ZUN_HOST_0370", "eine Zahl"}},
    {"a value", {"ZUN_HOST_0371", "ein Wert"}},
    {"true or false", {"ZUN_HOST_0372", "true oder false"}},
    {"a directory object", {"ZUN_HOST_0373", "ein Verzeichnisobjekt"}},
    {"a short integer", {"ZUN_HOST_0374", "eine kurze Ganzzahl"}},
    {"an integer that fits 64 bits", {"ZUN_HOST_0375", "eine Ganzzahl, die in 64 Bit passt"}},
    {"a key given once in its directory",
     {"ZUN_HOST_0376", "ein Schlüssel, der in seinem Verzeichnis nur einmal vorkommt"}},
    {"a value kind", {"ZUN_HOST_0377", "eine Wertart"}},
    {"an array of points", {"ZUN_HOST_0378", "ein Feld von Punkten"}},
    {"a unit number", {"ZUN_HOST_0380", "eine Einheitennummer"}},
    {"an array of parts", {"ZUN_HOST_0381", "ein Feld von Teilen"}},
    {"a handle not used by another part", {"ZUN_HOST_0382", "ein Griff, den kein anderes Teil verwendet"}},
};

QString knownText(const Known* begin, const Known* end, const QString& english)
{
    for (const Known* k = begin; k != end; ++k)
        if (english == QLatin1String(k->english))
            return zunHostText(k->text);
    return QString();
}

// What was expected: a known piece, a member or text by name, or as written.
QString expectedPiece(const QString& english)
{
    if (QString known = knownText(std::begin(kPieces), std::end(kPieces), english); !known.isEmpty())
        return known;
    static const QRegularExpression member(QStringLiteral("^member \"(.*)\"$"));
    static const QRegularExpression text(QStringLiteral("^a non-empty text \"(.*)\"$"));
    if (const auto m = member.match(english); m.hasMatch())
        return zunHostText(T::kReasonMember).arg(m.captured(1));
    if (const auto m = text.match(english); m.hasMatch())
        return zunHostText(T::kReasonNonEmptyText).arg(m.captured(1));
    return english;
}

} // namespace

QString zunHostReason(const QString& reason)
{
    if (QString known = knownText(std::begin(kWhole), std::end(kWhole), reason); !known.isEmpty())
        return known;
    // The frames the readers put around their reasons; greedy up to the
    // last " at ", since what was expected may itself hold " at ".
    static const QRegularExpression expected(QStringLiteral("^expected (.*) at (/\\S*)$"));
    static const QRegularExpression malformed(QStringLiteral("^malformed JSON: (.*)$"));
    static const QRegularExpression cannotRead(QStringLiteral("^cannot read the file: (.*)$"));
    static const QRegularExpression tooDeep(
        QStringLiteral("^objects and arrays nested more than (\\d+) levels deep$"));
    static const QRegularExpression newer(QStringLiteral(
        "^drawing format version (\\d+) is newer than this program reads \\(up to (\\d+)\\); open it with a newer "
        "version$"));
    if (const auto m = expected.match(reason); m.hasMatch())
        return zunHostText(T::kReasonExpected).arg(expectedPiece(m.captured(1)), m.captured(2));
    if (const auto m = malformed.match(reason); m.hasMatch())
        return zunHostText(T::kReasonMalformed).arg(m.captured(1));
    if (const auto m = cannotRead.match(reason); m.hasMatch())
        return zunHostText(T::kReasonCannotRead).arg(m.captured(1));
    if (const auto m = tooDeep.match(reason); m.hasMatch())
        return zunHostText(T::kReasonTooDeep).arg(m.captured(1));
    if (const auto m = newer.match(reason); m.hasMatch())
        return zunHostText(T::kReasonNewerFormat).arg(m.captured(1), m.captured(2));
    return reason;
}

QString zunHostFileError(const ZUN::CDataFileError& error)
{
    const QString reason = zunHostReason(QString::fromStdString(error.message.toUtf8()));
    if (error.line <= 0)
        return reason;
    return zunHostText(T::kReasonAtLine).arg(error.line).arg(error.column).arg(reason);
}
