#include "app/recovery_choice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "catalog/product_table.h"
#include "catalog/update_file_rule.h"
#include "pages/latin1_text.h"

namespace app {

std::optional<std::size_t> ProductOfFile(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    for (std::size_t row = 0; row < product::kProductCount; ++row) {
        const QString expected =
            QString::fromStdString(product::UpdateFileName(product::productTable[row]));
        if (name.compare(expected, Qt::CaseInsensitive) == 0)
            return row;
    }
    return std::nullopt;
}

QString ProductName(const std::optional<std::size_t>& row) {
    if (!row)
        return QStringLiteral("an unknown product");
    return pages::FromLatin1View(product::productTable[*row].displayName);
}

QStringList UpdateFileFolders(const QStringList& furtherFolders) {
    QStringList folders{QDir::currentPath()};
    QStringList canonical{QFileInfo(folders[0]).canonicalFilePath()};
    for (const QString& folder : furtherFolders) {
        // A folder that does not exist has no canonical path: compared as given.
        const QString same = QFileInfo(folder).canonicalFilePath();
        const QString key = same.isEmpty() ? folder : same;
        // A download folder the user never made is no place to look, nor to name.
        if (folder.isEmpty() || !QFileInfo(folder).isDir() || canonical.contains(key))
            continue;
        folders << folder;
        canonical << key;
    }
    return folders;
}

namespace {

// A file name as the file system keeps it: UTF-16 on Windows, bytes in the
// local encoding elsewhere. One of the two is this platform's.
[[maybe_unused]] QString FromNative(const std::wstring& name) {
    return QString::fromStdWString(name);
}
[[maybe_unused]] QString FromNative(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace

std::vector<RecoveryFile> FindRecoveryFiles(const QStringList& folders) {
    std::vector<RecoveryFile> files;
    for (std::size_t row = 0; row < product::kProductCount; ++row) {
        for (const QString& folder : folders) {
            const auto found = product::FindUpdateFile(QFile::encodeName(folder).toStdString(),
                                                       product::productTable[row]);
            if (found) {
                files.push_back(
                    {QDir(folder).absoluteFilePath(FromNative(found->filename().native())), row});
                break;
            }
        }
    }
    return files;
}

}  // namespace app
