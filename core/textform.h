#pragma once

#include "core/lineends.h"
#include "core/textdecoding.h"

#include <QByteArrayView>
#include <QString>

namespace korvanta {

// The text form of a data file: its encoding and how it ends its lines, both decided from the
// whole file. It knows the shape of its encoding, so that a reader can cut, decode and split a
// file's bytes without asking which encoding they are in: where a piece of bytes may end (after
// a LF, which is a byte of its own in the 8-bit encodings and a whole code unit in UTF-16), the
// byte-order mark that only the first piece can begin with, and how line 1 is found.
struct TextForm
{
    DataEncoding encoding = DataEncoding::Cp932;
    LineEnd lineEnd = LineEnd::CrLf;

    friend bool operator==(const TextForm&, const TextForm&) = default;

    // The form of a whole file's bytes: detectDataEncoding's encoding and their line end.
    static TextForm of(QByteArrayView bytes);
    // The form of a whole file's bytes read in `encoding`.
    static TextForm in(DataEncoding encoding, QByteArrayView bytes);

    // Whether CR and LF are bytes of their own, so that the line end and line 1 can be found in
    // the bytes before decoding (every encoding but UTF-16, whose CR and LF are code units).
    bool linesInBytes() const;
    // The bytes of one code unit: a piece of bytes begins and ends on one.
    qsizetype unitBytes() const { return linesInBytes() ? 1 : 2; }
    // `offset` moved back to the start of its code unit.
    qsizetype unitStart(qsizetype offset) const { return offset - offset % unitBytes(); }

    // The length of the longest start of `bytes` (beginning on a code unit) that ends after a
    // LF, 0 when there is none; the first LF-ended start for endAfterFirstLf. Pieces cut there
    // decode exactly as the whole: a LF is never part of a multi-byte character, and in UTF-16
    // the cut keeps code units and surrogate pairs together.
    qsizetype endAfterLastLf(QByteArrayView bytes) const;
    qsizetype endAfterFirstLf(QByteArrayView bytes) const;
    // Where the piece that begins `bytes` ends: after its last LF within `size` bytes, else (a
    // line longer than a piece) after the first LF beyond, else at the end.
    qsizetype pieceEnd(QByteArrayView bytes, qsizetype size) const;
    // The number of LF in `bytes` (beginning on a code unit): every record but the last ends at
    // one, so one more is as many records as the bytes can hold.
    qsizetype lfCount(QByteArrayView bytes) const;

    // The byte-order mark this form's text begins with, empty for none.
    QByteArrayView mark() const;
    // The form of the pieces after the first: only the first can begin with a byte-order mark.
    TextForm afterStart() const;

    // The text of a piece of bytes that ends after a LF (or at the file's end); `atStart`: the
    // piece begins the file, and a mark there is dropped. A UTF-8 mark that begins a later
    // piece is a character of the text.
    QString decode(QByteArrayView piece, bool atStart) const;
    // The room the text of `bytes` bytes needs at most, in UTF-16 code units.
    qsizetype decodedLengthBound(qint64 bytes) const;

    // Line 1 of a file's first bytes (or all of them): up to its first CR, in a file that ends
    // its lines with LF also up to its first LF, the whole when there is neither. `lineBytes`
    // is set to its length in bytes; a line longer than `mostBytes` is not decoded. `complete`
    // (if given) tells whether it ended within `bytes`, as it does when they are the whole file
    // (`atEnd`).
    QString firstLine(QByteArrayView bytes, qsizetype mostBytes, qsizetype* lineBytes,
        bool atEnd = true, bool* complete = nullptr) const;
};

} // namespace korvanta
