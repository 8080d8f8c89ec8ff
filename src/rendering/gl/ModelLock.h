#pragma once

#include "face/CHeadModel.h"

// Holds the head model's recursive lock for one scope; a null model needs none.
class ModelLock {
public:
    explicit ModelLock(CHeadModel* model) : model_(model)
    {
        if (model_)
            model_->lock();
    }
    ~ModelLock()
    {
        if (model_)
            model_->unlock();
    }
    ModelLock(const ModelLock&) = delete;
    ModelLock& operator=(const ModelLock&) = delete;

private:
    CHeadModel* model_;
};
