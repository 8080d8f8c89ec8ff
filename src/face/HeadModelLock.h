#pragma once

#include "face/CHeadModel.h"

// Holds the head model's recursive lock for as long as it lives, so that no return path can leave
// the model locked. Every thread that reads or writes the model takes one.
class HeadModelLock {
public:
    explicit HeadModelLock(CHeadModel& model) : model_(model) { model_.lock(); }
    ~HeadModelLock() { model_.unlock(); }
    HeadModelLock(const HeadModelLock&) = delete;
    HeadModelLock& operator=(const HeadModelLock&) = delete;

private:
    CHeadModel& model_;
};
