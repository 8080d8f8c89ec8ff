#include "shell/RecentFileList.h"

#include <QFileInfo>

namespace {

QString canonical(const QString& path)
{
    QFileInfo info(path);
    return info.exists() ? info.absoluteFilePath() : path;
}

} // namespace

void RecentFileList::setFiles(const QStringList& files)
{
    files_.clear();
    for (const QString& file : files)
        if (!file.isEmpty() && !files_.contains(file) && files_.size() < kSize)
            files_ << file;
}

bool RecentFileList::add(const QString& path)
{
    QString file = canonical(path);
    if (file.isEmpty())
        return false;
    QStringList before = files_;
    files_.removeAll(file);
    files_.prepend(file);
    while (files_.size() > kSize)
        files_.removeLast();
    return files_ != before;
}

bool RecentFileList::remove(const QString& path) { return files_.removeAll(path) > 0; }
