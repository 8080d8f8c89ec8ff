#include "documents/AssetList.h"

#include "documents/DocumentProperties.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

namespace {
constexpr size_t kNameField = 256;
constexpr size_t kPathField = 260;
} // namespace

std::string fileStem(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void AssetList::releaseEntryFile(Entry& entry)
{
    if (entry.owned)
        entry.file.release();
    entry.owned = false;
    entry.path.clear();
}

bool AssetList::add(const std::string& path, const std::string& name, bool owned)
{
    // A path cut to fit the field would name some other file; such a path is refused instead.
    if (count_ >= kCapacity || path.size() >= kPathField)
        return false;
    Entry& entry = entries_[static_cast<size_t>(count_)];
    bool samePath = !entry.path.empty() && equalsIgnoringCase(entry.path, path);
    if (!entry.path.empty() && !samePath)
        releaseEntryFile(entry);
    if (!(samePath && entry.owned)) {
        entry.path = path;
        entry.owned = owned;
        if (owned)
            entry.file.open(path);
    }
    ++count_;
    if (entry.name.empty())
        entry.name = fitToField(name.empty() ? fileStem(path) : name, kNameField);
    return true;
}

bool AssetList::remove(int index)
{
    if (!validIndex(index))
        return false;
    releaseEntryFile(entries_[static_cast<size_t>(index)]);
    for (int i = index; i + 1 < count_; ++i)
        std::swap(entries_[static_cast<size_t>(i)], entries_[static_cast<size_t>(i + 1)]);
    Entry& last = entries_[static_cast<size_t>(count_ - 1)];
    releaseEntryFile(last);
    last.name.clear();
    --count_;
    return true;
}

bool AssetList::swap(int first, int second)
{
    if (!validIndex(first) || !validIndex(second))
        return false;
    std::swap(entries_[static_cast<size_t>(first)], entries_[static_cast<size_t>(second)]);
    return true;
}

void AssetList::clear()
{
    for (Entry& entry : entries_) {
        releaseEntryFile(entry);
        entry.name.clear();
    }
    count_ = 0;
}

std::string AssetList::path(int index) const
{
    return validIndex(index) ? entries_[static_cast<size_t>(index)].path : std::string();
}

std::string AssetList::name(int index) const
{
    return index >= 0 && index < kCapacity ? entries_[static_cast<size_t>(index)].name : std::string();
}

bool AssetList::setName(int index, const std::string& name)
{
    if (index < 0 || index >= kCapacity)
        return false;
    entries_[static_cast<size_t>(index)].name = fitToField(name, kNameField);
    return true;
}

bool AssetList::isOwned(int index) const
{
    return validIndex(index) && entries_[static_cast<size_t>(index)].owned;
}

std::FILE* AssetList::handle(int index) const
{
    return validIndex(index) ? entries_[static_cast<size_t>(index)].file.handle() : nullptr;
}

std::string AssetList::findPath(const std::string& name) const
{
    for (int i = 0; i < count_; ++i)
        if (equalsIgnoringCase(entries_[static_cast<size_t>(i)].name, name))
            return entries_[static_cast<size_t>(i)].path;
    return {};
}
