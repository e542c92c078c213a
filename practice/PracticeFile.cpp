#include "practice/PracticeFile.h"

#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "practice/TextLines.h"

namespace {

using Status = PracticeFileResult::Status;

PracticeFileResult failure(Status status, const QString &error = QString())
{
    PracticeFileResult r;
    r.status = status;
    r.error = error;
    return r;
}

#if defined(Q_OS_UNIX)
// What a failed stat() or open() means for the learner.
PracticeFileResult failureOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return failure(Status::NotFound);
    case ELOOP:
        return failure(Status::LinkLoop);
    case EACCES:
    case EPERM:
        return failure(Status::Unreadable, QStringLiteral("沒有讀取這個檔案或它所在資料夾的權限。"));
    default:
        return failure(Status::Unreadable, qt_error_string(error));
    }
}

// Reads a regular file of at most kMaxPracticeFileBytes. A pipe or a device
// is never opened for reading, so nothing waits for a writer.
PracticeFileResult readBytes(const QString &path, QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return failureOf(errno);
    if (S_ISDIR(st.st_mode))
        return failure(Status::Folder);
    if (!S_ISREG(st.st_mode))
        return failure(Status::NotAFile);
    if (st.st_size > kMaxPracticeFileBytes)
        return failure(Status::TooLarge);
    // Non-blocking, in case the file was swapped for a pipe meanwhile.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failureOf(errno);
    PracticeFileResult r;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r = failure(Status::NotAFile);
    } else {
        // Read at most one byte more than allowed, in case the file grew.
        bytes.resize(std::min<qint64>(st.st_size, kMaxPracticeFileBytes) + 1);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                r = failureOf(errno);
                break;
            }
            if (n == 0)
                break;
            got += n;
            if (got == bytes.size() && got <= kMaxPracticeFileBytes)
                bytes.resize(std::min<qint64>(got * 2, kMaxPracticeFileBytes + 1));
        }
        bytes.resize(got);
        if (r.status == Status::Ok && got > kMaxPracticeFileBytes)
            r = failure(Status::TooLarge);
    }
    ::close(fd);
    if (r.status != Status::Ok)
        bytes.clear();
    return r;
}
#else
PracticeFileResult readBytes(const QString &path, QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(Status::NotFound);
    if (info.isDir())
        return failure(Status::Folder);
    if (!info.isFile())
        return failure(Status::NotAFile);
    if (info.size() > kMaxPracticeFileBytes)
        return failure(Status::TooLarge);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return failure(Status::Unreadable, f.errorString());
    bytes = f.read(kMaxPracticeFileBytes + 1);
    if (f.error() != QFileDevice::NoError)
        return failure(Status::Unreadable, f.errorString());
    if (bytes.size() > kMaxPracticeFileBytes)
        return failure(Status::TooLarge);
    return {};
}
#endif

} // namespace

PracticeFileResult::Status TokensFromLines(QStringView text, TokenTable &table)
{
    table = TokenTable{};
    qsizetype symbols = 0;
    TextLines lines(text);
    QStringView line;
    while (lines.next(line)) {
        if (line.isEmpty())
            continue;
        // The first character keeps a surrogate pair whole.
        const qsizetype first = (line.size() > 1 && line[0].isHighSurrogate()
                                 && line[1].isLowSurrogate()) ? 2 : 1;
        const QStringView reading = line.mid(first);
        symbols += CharacterCount(reading);
        const Status limit = table.size() >= kMaxPracticeTokens ? Status::TooManyLines
                             : symbols > kMaxPositions          ? Status::TooManySymbols
                                                                : Status::Ok;
        if (limit != Status::Ok) {
            table = TokenTable{};
            return limit;
        }
        table.append(line.left(first).toString(), reading.toString());
    }
    return Status::Ok;
}

PracticeFileResult ReadPracticeFile(const QString &path)
{
    if (path.isEmpty())
        return failure(Status::NotFound);
    QByteArray bytes;
    PracticeFileResult r = readBytes(path, bytes);
    if (r.status != Status::Ok)
        return r;
    DecodedText decoded = DecodeTextFile(bytes);
    bytes = QByteArray();
    r.encoding = decoded.encoding;
    r.firstBadLine = decoded.firstBadLine;
    r.status = TokensFromLines(decoded.text, r.table);
    return r;
}

QString FileNameOf(const QString &path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#if defined(Q_OS_WIN)
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(cut + 1);
}
