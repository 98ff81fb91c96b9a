#include "core/filepattern.h"

#include "core/filenames.h"
#include "core/search.h"

#include <QDateTime>

#include <algorithm>
#include <optional>
#include <vector>

namespace korvanta {

namespace {

    using CodePoints = QList<uint>;

    // Case is ignored by comparing case-folded code points, so that "?" stands for one character
    // even outside the basic plane.
    CodePoints foldedCodePoints(const QString& text, bool forgiving)
    {
        if (forgiving)
            return foldForSearch(text).toCaseFolded().toUcs4();
        return text.toCaseFolded().toUcs4();
    }

    // Matches the whole of `name` against one wildcard. A "*" remembers where it stood; on a
    // mismatch the last "*" takes one more character and matching resumes after it, which needs no
    // recursion and at most length(name) × length(wildcard) steps.
    bool matchesWildcard(const CodePoints& name, const CodePoints& wildcard)
    {
        const qsizetype n = name.size();
        const qsizetype m = wildcard.size();
        qsizetype si = 0;
        qsizetype pi = 0;
        qsizetype starAt = -1;
        qsizetype starMatchedUpTo = 0;
        while (si < n) {
            if (pi < m && wildcard[pi] == '*') {
                starAt = pi++;
                starMatchedUpTo = si;
            } else if (pi < m && (wildcard[pi] == '?' || wildcard[pi] == name[si])) {
                ++si;
                ++pi;
            } else if (starAt >= 0) {
                pi = starAt + 1;
                si = ++starMatchedUpTo;
            } else {
                return false;
            }
        }
        while (pi < m && wildcard[pi] == '*')
            ++pi;
        return pi == m;
    }

    // A pattern split into its wildcards, each folded once so that a folder listing folds each
    // wildcard only once.
    class CompiledPattern
    {
    public:
        CompiledPattern(const QString& pattern, bool forgiving)
            : m_forgiving(forgiving)
        {
            const QStringList parts = pattern.split(u';');
            for (const QString& part : parts) {
                const QString wildcard = part.trimmed();
                if (!wildcard.isEmpty())
                    m_wildcards.push_back(foldedCodePoints(wildcard, m_forgiving));
            }
        }

        bool isEmpty() const { return m_wildcards.empty(); }

        bool matches(const QString& fileName) const
        {
            if (m_wildcards.empty() || fileName.isEmpty())
                return false;
            return matchesFolded(foldedCodePoints(fileName, m_forgiving));
        }

        // `name` folded as foldedCodePoints folds it for this pattern's kind of match.
        bool matchesFolded(const CodePoints& name) const
        {
            if (name.isEmpty())
                return false;
            return std::any_of(m_wildcards.cbegin(), m_wildcards.cend(),
                [&name](const CodePoints& w) { return matchesWildcard(name, w); });
        }

    private:
        bool m_forgiving;
        std::vector<CodePoints> m_wildcards;
    };

} // namespace

bool matchesFilePattern(const QString& fileName, const QString& pattern, bool forgiving)
{
    return CompiledPattern(pattern, forgiving).matches(fileName);
}

QStringList listMatchingFiles(const QString& folder, const QString& pattern, bool forgiving)
{
    QStringList names;
    const CompiledPattern compiled(pattern, forgiving);
    if (folder.isEmpty() || compiled.isEmpty())
        return names;

    // Regular files and links to them; broken links, FIFOs, sockets and devices are left out.
    // Names in any bytes are listed under their shown names (filenames.h).
    for (const FolderItem& item : folderItems(folder)) {
        if (item.isFile && compiled.matches(item.name))
            names.append(item.name);
    }
    sortNamesIgnoringCase(names);
    return names;
}

namespace {

    // A file system's clock ticks coarsely (two seconds on FAT, a scheduler tick on others): a
    // file saved in the same tick as a read, after it, leaves the folder's time as the read saw
    // it. A time at least this much older than the read cannot share its tick.
    constexpr qint64 FolderTimeTickMs = 2500;

    // The folder's modification time in ms since the epoch; nullopt when it cannot be had.
    std::optional<qint64> folderTime(const QString& folder)
    {
        const QDateTime time = pathStatus(folder).modified;
        if (!time.isValid())
            return std::nullopt;
        return time.toMSecsSinceEpoch();
    }

} // namespace

void FolderFiles::read(const QString& folder)
{
    clear();
    m_folder = folder;
    if (folder.isEmpty())
        return;
    // The time is taken before the names, so that a change while they are read shows as a new
    // time. Only a time well before the read vouches for the names.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const std::optional<qint64> time = folderTime(folder);
    m_folderTime = time.value_or(0);
    m_timeTells = time && *time <= now - FolderTimeTickMs;
    for (const FolderItem& item : folderItems(folder)) {
        if (item.isFile)
            m_names.append(item.name);
    }
    sortNamesIgnoringCase(m_names);
}

bool FolderFiles::readIfChanged(const QString& folder)
{
    if (m_timeTells && folder == m_folder && folderTime(folder) == m_folderTime)
        return false;
    read(folder);
    return true;
}

void FolderFiles::clear()
{
    m_names.clear();
    for (auto& folded : m_folded)
        folded.clear();
    m_folder.clear();
    m_folderTime = 0;
    m_timeTells = false;
}

QStringList FolderFiles::matching(const QString& pattern, bool forgiving) const
{
    QStringList names;
    const CompiledPattern compiled(pattern, forgiving);
    if (compiled.isEmpty())
        return names;
    std::vector<CodePoints>& folded = m_folded[forgiving ? 1 : 0];
    if (folded.size() != size_t(m_names.size())) {
        folded.clear();
        folded.reserve(size_t(m_names.size()));
        for (const QString& name : m_names)
            folded.push_back(foldedCodePoints(name, forgiving));
    }
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (compiled.matchesFolded(folded[size_t(i)]))
            names.append(m_names.at(i));
    }
    return names;
}

void sortNamesIgnoringCase(QStringList& names)
{
    // Fold every name once instead of once per comparison.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(names.size());
    for (const QString& name : std::as_const(names))
        keyed.emplace_back(name.toCaseFolded(), name);
    std::sort(keyed.begin(), keyed.end());
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[size_t(i)].second);
}

} // namespace korvanta
