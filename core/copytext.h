#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

namespace korvanta {

// A copied text is a Web address when it begins with "http://" or "https://" in any letter case,
// and a mail address when it holds an "@" after its first character.
bool isWebAddress(QStringView text);
bool isMailAddress(QStringView text);
bool isWebOrMailLink(QStringView text);

// The address handed to the desktop's opener for a held link: the text without the blanks
// (half- or full-width, tabs and line breaks too) around it, which data files often carry after
// an address and which would otherwise reach the opener as part of it ("%20").
QString addressToOpen(QStringView text);

// The mailto: URL that hands `address` to the mail program as the recipient and as nothing
// else. A mailto: URL may carry headers after "?" (cc, bcc, body, attach, …) and a fragment
// after "#"; an address taken from a data file must not be able to add them, so every "?",
// "#" and "%" of it is percent-encoded and the mail program reads the address back exactly.
QUrl mailUrl(QStringView address);

// What stands between an item's name and its value where both are shown in one line: the item
// chooser's entries and the status label.
inline constexpr QChar NameValueSeparator = QChar(0xFF1A);

// The caption of an item chooser entry over the data list: `name` (mark and item name), "：" and
// the value, kept to about 160 characters. When name and value together are longer than 160
// characters the name is cut to 12 characters and "… "; when still longer the value is cut to
// 140 characters and "…". Only the caption is shortened; the data stays whole.
QString itemMenuCaption(const QString& name, const QString& value);

// The caption of entry k over the file list: "k：name".
QString fileItemMenuCaption(int k, const QString& name);

// A caption as the menu shows it: "&" stands for itself, not for an access key.
QString plainMenuText(QString caption);

} // namespace korvanta
