#pragma once

#include <QString>
#include <QStringView>

namespace korvanta {

// The program's version. Its numbers are the build's project version (CMakeLists.txt), so that
// the code, the manual and the package say the same.
struct ProgramVersion
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

#if !defined(KORVANTA_VERSION_MAJOR) || !defined(KORVANTA_VERSION_MINOR)                           \
    || !defined(KORVANTA_VERSION_PATCH)
#error "the build defines the program's version (KORVANTA_VERSION_MAJOR, _MINOR, _PATCH)"
#endif
inline constexpr ProgramVersion KorvantaVersion { KORVANTA_VERSION_MAJOR, KORVANTA_VERSION_MINOR,
    KORVANTA_VERSION_PATCH };

// The rights holder named in the version dialog.
inline constexpr const char* LegalNotice = "Copyright (C) Korvanta developers";

// What the program does, in the program's own words: "ﾃｷｽﾄﾌｧｲﾙを読み込んで閲覧・ｺﾋﾟｰする。"
QString programComment();

// The major number + "." + the minor number with at least two digits + "." + the revision with
// at least four digits: "1.11.0001", "2.05.0100".
QString versionNumberText(const ProgramVersion& version);

// "Version " + the major number + "." + the minor number with at least two digits + "." + the
// revision with at least four digits: "Version 1.11.0001", "Version 2.05.0100".
QString versionText(const ProgramVersion& version);

// The text of the version dialog: the version, 10 blanks, the legal notice, CR LF and the comment.
QString aboutText(
    const ProgramVersion& version, const QString& legalNotice, const QString& comment);

// The program's name: the application title, the caption of its windows, the title of its message
// boxes and the manual's heading.
inline constexpr QStringView ProgramTitle = u"Korvanta";

} // namespace korvanta
