#include "host/desktop/zun_host_reasons.h"

#include "host/desktop/zun_host_texts.h"

#include <QRegularExpression>

#include <cstddef>

namespace {

namespace T = ZunHostTexts;

template <std::size_t N>
QString knownText(const CZunHostReasonText (&known)[N], const QString& english)
{
    for (const CZunHostReasonText& k : known)
        if (english == QLatin1String(k.english))
            return zunHostText(k.text);
    return QString();
}

// What was expected: a known piece, a member or text by name, or as written.
QString expectedPiece(const QString& english)
{
    if (QString known = knownText(T::kReasonPieces, english); !known.isEmpty())
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
    if (QString known = knownText(T::kReasonWholes, reason); !known.isEmpty())
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
