#include "core/desktopentry.h"

#include <QList>

namespace korvanta {

namespace {

    // The string escapes every desktop entry value may hold. Other backslash pairs are left as they
    // are for the quoting rules that follow.
    QString resolveStringEscapes(const QString& value)
    {
        QString out;
        out.reserve(value.size());
        for (qsizetype i = 0; i < value.size(); ++i) {
            const QChar c = value.at(i);
            if (c != QLatin1Char('\\') || i + 1 == value.size()) {
                out.append(c);
                continue;
            }
            const QChar next = value.at(i + 1);
            switch (next.unicode()) {
            case 's':
                out.append(QLatin1Char(' '));
                break;
            case 'n':
                out.append(QLatin1Char('\n'));
                break;
            case 't':
                out.append(QLatin1Char('\t'));
                break;
            case 'r':
                out.append(QLatin1Char('\r'));
                break;
            case '\\':
                out.append(QLatin1Char('\\'));
                break;
            default:
                out.append(c);
                out.append(next);
                break;
            }
            ++i;
        }
        return out;
    }

    bool isBlank(QChar c)
    {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
            || c == QLatin1Char('\r');
    }

    // Characters that mean something only to a shell; outside quotes they make the line unusable.
    bool isShellSyntax(QChar c)
    {
        static const QString chars = QStringLiteral("'`$;|&<>()");
        return chars.contains(c);
    }

    bool isFileFieldCode(QChar c)
    {
        return c == QLatin1Char('f') || c == QLatin1Char('F') || c == QLatin1Char('u')
            || c == QLatin1Char('U');
    }

    // Characters a backslash escapes inside a quoted argument.
    bool isQuotedEscape(QChar c)
    {
        return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\');
    }

    bool isShell(const QString& program)
    {
        static const QStringList shells { QStringLiteral("sh"), QStringLiteral("bash"),
            QStringLiteral("dash"), QStringLiteral("zsh"), QStringLiteral("ksh"),
            QStringLiteral("mksh"), QStringLiteral("yash"), QStringLiteral("fish"),
            QStringLiteral("csh"), QStringLiteral("tcsh") };
        return shells.contains(program.section(QLatin1Char('/'), -1));
    }

    // Whether the command is a shell (also behind env) whose first operand, the command string
    // after -c or else the script to run, holds the file: the shell would run the file's name
    // or its contents as code. The file in a later operand ($0, $1, …) is only data.
    bool shellRunsFile(const QStringList& args, const QList<bool>& hasFile)
    {
        qsizetype i = 0;
        if (args.at(0).section(QLatin1Char('/'), -1) == QLatin1String("env")) {
            i = 1;
            while (i < args.size()
                && (args.at(i).contains(QLatin1Char('=')) || args.at(i).startsWith(u'-')))
                ++i;
        }
        if (i >= args.size() || !isShell(args.at(i)))
            return false;
        for (++i; i < args.size(); ++i) {
            const QString& arg = args.at(i);
            if (arg == QLatin1String("--")) {
                ++i;
                break;
            }
            if (hasFile.at(i))
                return true; // in an option: refused rather than guessed at
            if (arg.size() < 2 || (!arg.startsWith(u'-') && !arg.startsWith(u'+')))
                break; // the first operand
            if (arg == QLatin1String("-o") || arg == QLatin1String("+o")
                || arg == QLatin1String("-O") || arg == QLatin1String("+O"))
                ++i; // the option's own argument
        }
        return i < args.size() && hasFile.at(i);
    }

} // namespace

std::optional<LaunchCommand> commandFromExecLine(const QString& exec, const QString& filePath)
{
    const QString line = resolveStringEscapes(exec);

    QStringList args;
    QList<bool> argHasFile; // for each of args: whether the file is in it
    QString current;
    bool haveArgument = false; // also true for an empty quoted argument ("")
    bool inQuotes = false;
    bool fileUsed = false;
    // Whether the current argument holds a quoted or backslash-escaped part, and whether it
    // holds the file. Both together are refused: quoting and escaping exist to put blanks and
    // shell syntax into one argument, and an argument like that ("sh -c editor\ %f") is a
    // command line for a shell, which would run code from the file's name.
    bool argumentQuoted = false;
    bool argumentHasFile = false;

    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        const bool hasNext = i + 1 < line.size();
        const QChar next = hasNext ? line.at(i + 1) : QChar();

        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && hasNext && isQuotedEscape(next)) {
                current.append(next);
                ++i;
            } else if (c == QLatin1Char('%')) {
                // Only %% has a meaning inside quotes; a file put into a quoted argument could
                // end up in a shell command line.
                if (next != QLatin1Char('%'))
                    return std::nullopt;
                current.append(QLatin1Char('%'));
                ++i;
            } else {
                current.append(c);
            }
            continue;
        }

        if (isBlank(c)) {
            if (haveArgument) {
                args.append(current);
                argHasFile.append(argumentHasFile);
            }
            current.clear();
            haveArgument = false;
            argumentQuoted = false;
            argumentHasFile = false;
        } else if (c == QLatin1Char('"')) {
            if (argumentHasFile)
                return std::nullopt;
            inQuotes = true;
            haveArgument = true;
            argumentQuoted = true;
        } else if (c == QLatin1Char('\\')) {
            if (argumentHasFile)
                return std::nullopt;
            if (hasNext) {
                current.append(next);
                ++i;
            } else {
                current.append(c);
            }
            haveArgument = true;
            argumentQuoted = true;
        } else if (c == QLatin1Char('%')) {
            if (!hasNext)
                return std::nullopt;
            ++i;
            if (next == QLatin1Char('%')) {
                current.append(QLatin1Char('%'));
                haveArgument = true;
            } else if (isFileFieldCode(next)) {
                if (argumentQuoted)
                    return std::nullopt;
                argumentHasFile = true;
                current.append(filePath);
                haveArgument = true;
                fileUsed = true;
            }
            // Any other field code is dropped.
        } else if (isShellSyntax(c)) {
            return std::nullopt;
        } else {
            current.append(c);
            haveArgument = true;
        }
    }

    if (inQuotes)
        return std::nullopt;
    if (haveArgument) {
        args.append(current);
        argHasFile.append(argumentHasFile);
    }
    if (args.isEmpty() || args.constFirst().isEmpty())
        return std::nullopt;
    if (shellRunsFile(args, argHasFile))
        return std::nullopt;

    LaunchCommand command;
    command.program = args.takeFirst();
    command.arguments = args;
    if (!fileUsed)
        command.arguments.append(filePath);
    return command;
}

std::optional<QString> desktopEntryValue(const QByteArray& contents, const QString& key)
{
    const QString text = QString::fromUtf8(contents);
    bool inEntryGroup = false;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntryGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed().toString();
    }
    return std::nullopt;
}

QStringList desktopFileCandidates(const QString& desktopId, const QStringList& dataDirs)
{
    // A plain file name only: nothing that could lead out of the applications folders.
    const QLatin1String suffix(".desktop");
    if (!desktopId.endsWith(suffix) || desktopId.size() == suffix.size()
        || desktopId.contains(QLatin1Char('/')) || desktopId.startsWith(QLatin1Char('.'))
        || desktopId.contains(QLatin1String("..")))
        return {};

    // The ID itself, then with the first one, two, … dashes read as folder separators.
    QStringList relativePaths { desktopId };
    QString path = desktopId;
    for (qsizetype dash = path.indexOf(QLatin1Char('-')); dash > 0;
        dash = path.indexOf(QLatin1Char('-'), dash + 1)) {
        path[dash] = QLatin1Char('/');
        relativePaths.append(path);
    }

    QStringList candidates;
    for (QString dir : dataDirs) {
        if (dir.isEmpty())
            continue;
        if (!dir.endsWith(QLatin1Char('/')))
            dir.append(QLatin1Char('/'));
        for (const QString& relative : relativePaths)
            candidates.append(dir + QLatin1String("applications/") + relative);
    }
    return candidates;
}

} // namespace korvanta
