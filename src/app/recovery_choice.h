#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

namespace app {

// An update file offered to a chip waiting in ISP mode, and the product it
// brings back.
struct RecoveryFile {
    QString path;                    // absolute
    std::optional<std::size_t> row;  // the product table's row; unknown for a file of another name
};

// The product whose update file `fileName` is (matched without regard to case,
// as the detection matches it), or nothing.
std::optional<std::size_t> ProductOfFile(const QString& fileName);

// The product's display name, or "an unknown product".
QString ProductName(const std::optional<std::size_t>& row);

// The folders update files are looked in, in order: the current folder, then
// each of `furtherFolders` that is set, exists and is not already among them.
QStringList UpdateFileFolders(const QStringList& furtherFolders);

// The update files of the product table present in `folders`, in table order;
// for each product the first folder that holds its file wins.
std::vector<RecoveryFile> FindRecoveryFiles(const QStringList& folders);

}  // namespace app
