#include "core/version.h"

namespace korvanta {

QString programComment()
{
    return QStringLiteral("ﾃｷｽﾄﾌｧｲﾙを読み込んで閲覧・ｺﾋﾟｰする。");
}

QString versionNumberText(const ProgramVersion& version)
{
    return QStringLiteral("%1.%2.%3")
        .arg(version.major)
        .arg(version.minor, 2, 10, QLatin1Char('0'))
        .arg(version.revision, 4, 10, QLatin1Char('0'));
}

QString versionText(const ProgramVersion& version)
{
    return QStringLiteral("Version ") + versionNumberText(version);
}

QString aboutText(const ProgramVersion& version, const QString& legalNotice, const QString& comment)
{
    return versionText(version) + QString(10, QLatin1Char(' ')) + legalNotice
        + QStringLiteral("\r\n") + comment;
}

} // namespace korvanta
