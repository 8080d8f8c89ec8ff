#pragma once

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

// One track's records, sorted by start, with a capacity that grows in steps of 128 records. The
// editing algorithms keep a track free of overlaps; the head-turn track additionally has no gaps.
template <typename Item> class TrackArray {
public:
    static constexpr int kGrowStep = 128;

    int count() const { return int(items_.size()); }
    int capacity() const { return capacity_; }

    // Makes room for at least n records; contents are kept (dropping them would strand the count).
    bool reserve(int n)
    {
        if (n <= capacity_)
            return true;
        return grow(n - capacity_);
    }

    // Grows by n records, 128 when n is 0; on failure nothing changes.
    bool grow(int n)
    {
        const int step = n > 0 ? n : kGrowStep;
        try {
            items_.reserve(size_t(capacity_) + size_t(step));
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
        capacity_ += step;
        return true;
    }

    // Sets the count, growing by the shortfall; new slots are zeroed.
    bool setCount(int n)
    {
        if (n < 0 || (n > capacity_ && !grow(n - capacity_)))
            return false;
        items_.resize(size_t(n), Item{});
        return true;
    }

    Item* item(int i) { return i >= 0 && i < count() ? &items_[size_t(i)] : nullptr; }
    const Item* item(int i) const { return i >= 0 && i < count() ? &items_[size_t(i)] : nullptr; }

    // Index of the first item with start <= t < end, or -1.
    int find(std::uint32_t t) const
    {
        for (int i = 0; i < count(); ++i)
            if (items_[size_t(i)].start <= t && t < items_[size_t(i)].end)
                return i;
        return -1;
    }

    // Index of the last item starting at or before t, or -1.
    int lastStartingAtOrBefore(std::uint32_t t) const
    {
        int i = 0;
        while (i < count() && items_[size_t(i)].start <= t)
            ++i;
        return i - 1;
    }

    // Inserts a record over [s, e), cutting or removing what it overlaps; returns its index or -1.
    // An empty span is refused: it would leave a dead record behind as the result.
    int insertSpan(std::uint32_t s, std::uint32_t e, bool closeGaps)
    {
        if (e <= s || !ensureRoom(1))
            return -1;
        int p = placeNewItem(s, e);
        if (p < 0)
            return -1;
        Item& made = items_[size_t(p)];
        made.start = s;
        made.end = e;
        made.length = e - s;
        cutNeighbours(p, s, e);
        p = removeDead(p);
        if (closeGaps)
            closeAllGaps();
        return p;
    }

    // Inserts a zeroed record at index i (0..count); the caller keeps the order.
    bool insertAt(int i)
    {
        if (i < 0 || i > count() || !ensureRoom(1))
            return false;
        items_.insert(items_.begin() + i, Item{});
        return true;
    }

    bool remove(int i)
    {
        if (!item(i))
            return false;
        items_.erase(items_.begin() + i);
        return true;
    }

    void clear() { items_.clear(); }

    // Restores order and overlap freedom after items were moved: an item swallowed by its
    // predecessor dies, one that starts inside it is cut to start at its end.
    void compact(bool closeGaps)
    {
        std::stable_sort(items_.begin(), items_.end(),
                         [](const Item& a, const Item& b) { return a.start < b.start; });
        int previous = -1;
        for (int i = 0; i < count(); ++i) {
            Item& current = items_[size_t(i)];
            if (current.length == 0)
                continue;
            if (previous >= 0) {
                const Item& before = items_[size_t(previous)];
                if (before.end >= current.end) {
                    current.length = 0;
                    continue;
                }
                if (current.start < before.end)
                    setStart(current, before.end);
            }
            previous = i;
        }
        removeDead(-1);
        if (closeGaps)
            closeAllGaps();
    }

    // Pulls every item back to the end of its predecessor, and the first one back to 0.
    void closeAllGaps()
    {
        std::uint32_t expected = 0;
        for (Item& current : items_) {
            if (current.start > expected)
                setStart(current, expected);
            expected = current.end;
        }
    }

    // The same records byte for byte, capacity aside: the records are plain and zero-filled when
    // made, so this also compares the unused parts of text fields and payloads.
    bool operator==(const TrackArray& other) const
    {
        return items_.size() == other.items_.size() &&
               (items_.empty() || std::memcmp(items_.data(), other.items_.data(), items_.size() * sizeof(Item)) == 0);
    }

    // Replaces every record; the capacity grows to hold them.
    bool assign(const std::vector<Item>& records)
    {
        if (!reserve(int(records.size())))
            return false;
        items_ = records;
        return true;
    }

    std::vector<Item>& records() { return items_; }
    const std::vector<Item>& records() const { return items_; }

private:
    static void setStart(Item& item, std::uint32_t start)
    {
        item.start = start;
        item.length = item.end - start;
    }

    static void setEnd(Item& item, std::uint32_t end)
    {
        item.end = end;
        item.length = end - item.start;
    }

    bool ensureRoom(int extra) { return count() + extra <= capacity_ || grow(0); }

    // Makes the slot for a new span and returns its index: an exact match is reused, a span inside
    // an item splits it in two around the new slot, anything else goes after the item holding s.
    int placeNewItem(std::uint32_t s, std::uint32_t e)
    {
        if (items_.empty()) {
            items_.push_back(Item{});
            return 0;
        }
        int b = find(s);
        if (b < 0)
            b = lastStartingAtOrBefore(s);
        if (b >= 0 && items_[size_t(b)].start == s && items_[size_t(b)].end == e)
            return b;
        if (b < 0 || s < items_[size_t(b)].start || e >= items_[size_t(b)].end) {
            items_.insert(items_.begin() + (b + 1), Item{});
            return b + 1;
        }
        if (!ensureRoom(2))
            return -1;
        const Item copy = items_[size_t(b)];
        items_.insert(items_.begin() + (b + 1), 2, copy);
        return b + 1;
    }

    void cutNeighbours(int p, std::uint32_t s, std::uint32_t e)
    {
        for (int i = 0; i < p; ++i) {
            Item& before = items_[size_t(i)];
            if (before.start >= s)
                before.length = 0;
            else if (before.end > s)
                setEnd(before, s);
        }
        for (int i = p + 1; i < count(); ++i) {
            Item& after = items_[size_t(i)];
            if (after.end <= e)
                after.length = 0;
            else if (after.start < e)
                setStart(after, e);
        }
    }

    // Drops dead records keeping order; returns where the record at `keep` ended up.
    int removeDead(int keep)
    {
        int kept = -1;
        size_t out = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].length == 0 && int(i) != keep)
                continue;
            if (int(i) == keep)
                kept = int(out);
            items_[out++] = items_[i];
        }
        items_.resize(out);
        return kept;
    }

    std::vector<Item> items_;
    int capacity_ = 0;
};
