#pragma once

#include <QString>
#include <QStringList>

// The four most recently opened or saved files, newest first; a file is listed once.
class RecentFileList {
public:
    static constexpr int kSize = 4;

    void setFiles(const QStringList& files);
    const QStringList& files() const { return files_; }
    // Puts `path` first; true when the list changed.
    bool add(const QString& path);
    bool remove(const QString& path);
    QString at(int index) const { return index >= 0 && index < files_.size() ? files_[index] : QString(); }

private:
    QStringList files_;
};
