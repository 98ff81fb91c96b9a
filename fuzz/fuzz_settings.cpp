// The settings file's text rules on arbitrary bytes: reading never fails; a value written reads
// back as the reader makes it, every other key keeps its value, and writing the same value again
// changes nothing.

#include "settings/inifile.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace korvanta;

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "settings fuzz: %s\n", what);
        std::abort();
    }
}

// Every text that might be a section or key name in `content`: what stands between "[" and the
// last "]" of a line, and what stands before a line's first "=". A superset of the real names is
// fine: a name that is none reads as empty before and after.
void collectNames(QByteArrayView content, QList<QByteArray>& sections, QList<QByteArray>& keys)
{
    qsizetype begin = 0;
    while (begin <= content.size() && sections.size() < 12 && keys.size() < 12) {
        qsizetype end = begin;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        const QByteArrayView line = content.sliced(begin, end - begin);
        const qsizetype open = line.indexOf('[');
        const qsizetype close = line.lastIndexOf(']');
        if (open >= 0 && close > open)
            sections.append(line.sliced(open + 1, close - open - 1).toByteArray());
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys.append(line.first(equals).toByteArray());
        begin = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input: content, then after the last 0x01 byte the section, key and value separated by
    // 0x02 bytes. Inputs without them write a fixed key.
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray content = input;
    QByteArray section = "Tool";
    QByteArray key = "Temae";
    QByteArray value = "True";
    if (const qsizetype mark = input.lastIndexOf('\x01'); mark >= 0) {
        content = input.first(mark);
        const QList<QByteArray> parts = input.mid(mark + 1).split('\x02');
        section = parts.value(0);
        key = parts.value(1);
        value = parts.value(2);
    }

    QList<QByteArray> sections { section, "Tool", "Position", "RirekiFileKey" };
    QList<QByteArray> keys { key, "Temae", "0", "StrFileKey" };
    collectNames(content, sections, keys);

    // Reading never fails and never gives more than the limit.
    for (const QByteArray& s : sections) {
        for (const QByteArray& k : keys)
            require(ini::readValue(content, s, k).size() <= ini::MaxValueBytes, "value too long");
    }

    const auto written = ini::writeValue(content, section, key, value);
    require(written.has_value()
            == (ini::isValidSection(section) && ini::isValidKey(key) && ini::isValidValue(value)),
        "writeValue refused valid names or accepted invalid ones");
    if (!written)
        return 0;

    // The value reads back as the reader makes any stored value.
    const QByteArray expected = ini::readValue("[s]\r\nk=" + value + "\r\n", "s", "k");
    require(ini::readValue(*written, section, key) == expected, "the value does not read back");
    if (ini::readsBackUnchanged(value))
        require(ini::readValue(*written, section, key) == value, "a storable value changed");

    // Every other key keeps its value. Names the written ones match (ignoring case) are skipped.
    const QByteArray probe = *ini::writeValue({}, section, key, "x");
    for (const QByteArray& s : sections) {
        for (const QByteArray& k : keys) {
            if (ini::isValidSection(s) && ini::isValidKey(k) && ini::readValue(probe, s, k) == "x")
                continue; // the written key itself
            require(ini::readValue(*written, s, k) == ini::readValue(content, s, k),
                "another key changed");
        }
    }

    // A second identical write changes nothing.
    const auto again = ini::writeValue(*written, section, key, value);
    require(again && *again == *written, "a second identical write changed the file");
    return 0;
}
