#include "core/textform.h"

#include <algorithm>
#include <utility>

namespace korvanta {

namespace {

    bool bigEndian(DataEncoding encoding)
    {
        return encoding == DataEncoding::Utf16Be || encoding == DataEncoding::Utf16BeWithBom;
    }

    // The two bytes of a LF code unit in UTF-16 `encoding`, in the order they are stored.
    std::pair<char, char> utf16LfBytes(DataEncoding encoding)
    {
        return bigEndian(encoding) ? std::pair('\0', '\n') : std::pair('\n', '\0');
    }

} // namespace

TextForm TextForm::of(QByteArrayView bytes)
{
    return in(detectDataEncoding(bytes), bytes);
}

TextForm TextForm::in(DataEncoding encoding, QByteArrayView bytes)
{
    TextForm form;
    form.encoding = encoding;
    if (form.linesInBytes()) {
        form.lineEnd = lineEndOf(bytes.data(), bytes.data() + bytes.size());
    } else {
        const QString text = decodeAs(bytes, encoding);
        const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
        form.lineEnd = lineEndOf(begin, begin + text.size());
    }
    return form;
}

bool TextForm::linesInBytes() const
{
    return !isUtf16(encoding);
}

qsizetype TextForm::endAfterLastLf(QByteArrayView bytes) const
{
    if (linesInBytes())
        return bytes.lastIndexOf('\n') + 1;
    const auto [low, high] = utf16LfBytes(encoding);
    for (qsizetype i = (bytes.size() & ~qsizetype(1)) - 2; i >= 0; i -= 2) {
        if (bytes[i] == low && bytes[i + 1] == high)
            return i + 2;
    }
    return 0;
}

qsizetype TextForm::endAfterFirstLf(QByteArrayView bytes) const
{
    if (linesInBytes())
        return bytes.indexOf('\n') + 1;
    const auto [low, high] = utf16LfBytes(encoding);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == low && bytes[i + 1] == high)
            return i + 2;
    }
    return 0;
}

qsizetype TextForm::pieceEnd(QByteArrayView bytes, qsizetype size) const
{
    if (bytes.size() <= size)
        return bytes.size();
    if (const qsizetype lf = endAfterLastLf(bytes.first(size)))
        return lf;
    const qsizetype from = unitStart(size);
    if (const qsizetype lf = endAfterFirstLf(bytes.sliced(from)))
        return from + lf;
    return bytes.size();
}

qsizetype TextForm::lfCount(QByteArrayView bytes) const
{
    if (linesInBytes())
        return bytes.count('\n');
    qsizetype count = 0;
    for (qsizetype done = 0, lf; (lf = endAfterFirstLf(bytes.sliced(done))) > 0; done += lf)
        ++count;
    return count;
}

QByteArrayView TextForm::mark() const
{
    switch (encoding) {
    case DataEncoding::Utf8WithBom:
        return "\xEF\xBB\xBF";
    case DataEncoding::Utf16LeWithBom:
        return "\xFF\xFE";
    case DataEncoding::Utf16BeWithBom:
        return "\xFE\xFF";
    default:
        return {};
    }
}

TextForm TextForm::afterStart() const
{
    TextForm form = *this;
    switch (encoding) {
    case DataEncoding::Utf8WithBom:
        form.encoding = DataEncoding::Utf8;
        break;
    case DataEncoding::Utf16LeWithBom:
        form.encoding = DataEncoding::Utf16Le;
        break;
    case DataEncoding::Utf16BeWithBom:
        form.encoding = DataEncoding::Utf16Be;
        break;
    default:
        break;
    }
    return form;
}

QString TextForm::decode(QByteArrayView piece, bool atStart) const
{
    const DataEncoding pieceEncoding = atStart ? encoding : afterStart().encoding;
    if (pieceEncoding == DataEncoding::Utf8 && piece.startsWith("\xEF\xBB\xBF")) {
        // UTF-8 decoding drops a byte-order mark at the start of what it is given; one that
        // begins a later piece is a character of the text.
        QString text;
        while (piece.startsWith("\xEF\xBB\xBF")) {
            text += u'\uFEFF';
            piece = piece.sliced(3);
        }
        return text + decodeAs(piece, pieceEncoding);
    }
    return decodeAs(piece, pieceEncoding);
}

qsizetype TextForm::decodedLengthBound(qint64 bytes) const
{
    // The 8-bit encodings never give more UTF-16 code units than bytes.
    return linesInBytes() ? qsizetype(bytes) : qsizetype(bytes / 2 + 1);
}

QString TextForm::firstLine(QByteArrayView bytes, qsizetype mostBytes, qsizetype* lineBytes,
    bool atEnd, bool* complete) const
{
    if (!linesInBytes()) {
        // Decoded first: CR and LF are code units here, not bytes.
        QString text = decodeAs(bytes, encoding);
        const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
        const qsizetype length = firstLineLength(begin, begin + text.size(), lineEnd);
        if (complete)
            *complete = atEnd || length < text.size();
        text.truncate(length);
        *lineBytes = 2 * length;
        return *lineBytes > mostBytes ? QString() : text;
    }
    // CR and LF are never part of a multi-byte character in the other encodings, so the line's
    // bytes end right before its line end and only they are decoded.
    *lineBytes = firstLineLength(bytes.data(), bytes.data() + bytes.size(), lineEnd);
    if (complete)
        *complete = atEnd || *lineBytes < bytes.size();
    return *lineBytes > mostBytes ? QString() : decodeAs(bytes.first(*lineBytes), encoding);
}

} // namespace korvanta
