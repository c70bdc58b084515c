// Markdown files and mail links of a list.
#include "MarkdownExport.h"

#include "platform/DurableFile.h"
#include "platform/Unicode.h"

namespace MarkdownExport {

QString fileName(const std::optional<QString>& listName) {
    QString name = listName.value_or(QString());
    for (QChar& c : name) {
        // Control characters: C0, DEL and C1.
        if (c == u'/' || c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            c = u'-';
    }
    qsizetype dots = 0;
    while (dots < name.size() && name.at(dots) == u'.')
        ++dots;
    name.remove(0, dots);

    if (name.toUtf8().size() > maxNameBytes) {
        QString cut;
        qsizetype bytes = 0;
        for (const QString& character : Unicode::graphemes(name)) {
            const qsizetype size = character.toUtf8().size();
            if (bytes + size > maxNameBytes)
                break;
            cut += character;
            bytes += size;
        }
        name = cut;
    }
    return name.isEmpty() ? QStringLiteral("List") : name;
}

QString fileNameWithExtension(const std::optional<QString>& listName) {
    return fileName(listName) + QStringLiteral(".md");
}

bool write(const QString& path, const QByteArray& bytes) {
    // An export is for use outside the program: its mode is the umask's, like any new file.
    return DurableFile::replace(path, QByteArrayView(bytes), nullptr, DurableFile::Sync::toDisk,
                                DurableFile::NewFile::umask);
}

QUrl mailLink(const QString& markdown) {
    // Everything a query could misread ("&", "+", "#", line breaks) is percent-encoded.
    return QUrl::fromEncoded("mailto:?body=" + QUrl::toPercentEncoding(markdown), QUrl::StrictMode);
}

} // namespace MarkdownExport
