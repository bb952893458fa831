#include "app/platform/scheme_handler.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

namespace qv {

namespace {

// Settings files are small; anything larger is not one.
constexpr qint64 kMaxListBytes = 1 << 20;

QString ReadSmallText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxListBytes) return {};
    return QString::fromUtf8(file.read(kMaxListBytes));
}

// The values of `key` in the group `group` of a desktop-style file, split at ";".
QStringList ValuesIn(const QString& text, const QString& group, const QString& key) {
    QStringList values;
    bool inGroup = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        if (!inGroup) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.left(eq).trimmed() != key) continue;
        for (const QString& v : line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (!v.trimmed().isEmpty()) values << v.trimmed();
    }
    return values;
}

QStringList ApplicationFolders() {
    QStringList folders;
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(data).filePath(QStringLiteral("applications"));
    return folders;
}

// The file of an installed desktop entry: "vendor-app.desktop" may also live as vendor/app.desktop.
QString DesktopFile(const QString& id) {
    if (id.contains(QLatin1Char('/')) || !id.endsWith(QLatin1String(".desktop"))) return {};
    for (const QString& folder : ApplicationFolders()) {
        const QDir dir(folder);
        if (QFile::exists(dir.filePath(id))) return dir.filePath(id);
        const qsizetype dash = id.indexOf(QLatin1Char('-'));
        if (dash > 0) {
            QString nested = id;
            nested[dash] = QLatin1Char('/');
            if (QFile::exists(dir.filePath(nested))) return dir.filePath(nested);
        }
    }
    return {};
}

// The mimeapps.list files, most important first: the user's and the system's settings, then
// those of the application folders, each with the current desktop's own file before the common.
QStringList MimeAppsLists() {
    QStringList desktops;
    for (const QString& d :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << d.toLower();
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders << ApplicationFolders();
    QStringList lists;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& d : desktops)
            lists << dir.filePath(d + QStringLiteral("-mimeapps.list"));
        lists << dir.filePath(QStringLiteral("mimeapps.list"));
    }
    return lists;
}

QString NameOf(const QString& id) {
    const QString file = DesktopFile(id);
    if (file.isEmpty()) return {};
    const QString name = DesktopEntryName(ReadSmallText(file));
    return name.isEmpty() ? id : name;
}

}  // namespace

QString DesktopEntryName(const QString& desktopEntry) {
    for (const char* key : {"Name[ja_JP]", "Name[ja]", "Name"}) {
        const QStringList v =
            ValuesIn(desktopEntry, QStringLiteral("Desktop Entry"), QLatin1String(key));
        // A name is one value: ";" is no separator in it.
        if (!v.isEmpty()) return v.join(QLatin1Char(';'));
    }
    return {};
}

QString SchemeHandlerName(const QString& scheme) {
    if (scheme.isEmpty()) return {};
    const QString type = QStringLiteral("x-scheme-handler/") + scheme;
    const QStringList lists = MimeAppsLists();
    // The defaults first, in every file; then what the user added; then what applications claim.
    for (const char* group : {"Default Applications", "Added Associations"}) {
        for (const QString& list : lists) {
            for (const QString& id : ValuesIn(ReadSmallText(list), QLatin1String(group), type))
                if (const QString name = NameOf(id); !name.isEmpty()) return name;
        }
    }
    for (const QString& folder : ApplicationFolders()) {
        const QString cache =
            ReadSmallText(QDir(folder).filePath(QStringLiteral("mimeinfo.cache")));
        for (const QString& id : ValuesIn(cache, QStringLiteral("MIME Cache"), type))
            if (const QString name = NameOf(id); !name.isEmpty()) return name;
    }
    return {};
}

}  // namespace qv
