#pragma once

#include <QString>
#include <QStringView>

namespace korvanta {

// The program's version: major 1, minor 11, revision 1.
struct ProgramVersion
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

inline constexpr ProgramVersion KorvantaVersion { 1, 11, 1 };

// The rights holder named in the version dialog.
inline constexpr const char* LegalNotice = "Copyright (C) Korvanta developers";

// What the program does, in the program's own words: "ﾃｷｽﾄﾌｧｲﾙを読み込んで閲覧・ｺﾋﾟｰする。"
QString programComment();

// "Version " + the major number + "." + the minor number with at least two digits + "." + the
// revision with at least four digits: "Version 1.11.0001", "Version 2.05.0100".
QString versionText(const ProgramVersion& version);

// The text of the version dialog: the version, 10 blanks, the legal notice, CR LF and the comment.
QString aboutText(
    const ProgramVersion& version, const QString& legalNotice, const QString& comment);

// The program's name: the application title, the caption of the main window and the title of its
// message boxes.
inline constexpr QStringView ProgramTitle = u"Korvanta";

} // namespace korvanta
