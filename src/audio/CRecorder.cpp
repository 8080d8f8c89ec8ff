#include "audio/CRecorder.h"

WavFormat CRecorder::recordingFormat()
{
    WavFormat format;
    format.formatTag = kWavFormatPcm;
    format.channels = 1;
    format.samplesPerSec = 16000;
    format.avgBytesPerSec = 32000;
    format.blockAlign = 2;
    format.bitsPerSample = 16;
    return format;
}

bool CRecorder::record()
{
    if (status_ != Status::idle)
        return false;
    device_.close();
    takePresent_ = false;
    if (!device_.openNew(recordingFormat()) || !device_.record()) {
        device_.close();
        toIdle();
        return false;
    }
    buttons_ = {false, false, false, true, true};
    status_ = Status::recording;
    timer_ = kRecordTimer;
    shownSeconds_ = 0;
    return true;
}

bool CRecorder::play()
{
    if (status_ != Status::idle || !takePresent_)
        return false;
    if (!device_.play(0)) {
        device_.close();
        takePresent_ = false;
        toIdle();
        return false;
    }
    buttons_ = {false, false, false, true, false};
    status_ = Status::playing;
    timer_ = kPlayTimer;
    shownSeconds_ = 0;
    return true;
}

void CRecorder::stop()
{
    if (status_ == Status::idle)
        return;
    device_.stop();
    if (status_ == Status::recording)
        takePresent_ = device_.lengthMs() > 0;
    toIdle();
}

void CRecorder::tick()
{
    if (timer_ == kNoTimer)
        return;
    const std::uint32_t position = device_.positionMs();
    shownSeconds_ = static_cast<int>(position / 1000);
    if (status_ == Status::playing && position >= device_.lengthMs())
        stop();
}

bool CRecorder::save(const std::filesystem::path& path)
{
    if (status_ != Status::idle || !takePresent_)
        return false;
    if (device_.save(path))
        return true;
    device_.close();
    takePresent_ = false;
    toIdle();
    return false;
}

void CRecorder::close()
{
    device_.stop();
    timer_ = kNoTimer;
    status_ = Status::idle;
}

void CRecorder::toIdle()
{
    status_ = Status::idle;
    timer_ = kNoTimer;
    buttons_ = {true, takePresent_, takePresent_, false, false};
}
