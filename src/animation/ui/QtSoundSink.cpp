#include "animation/ui/QtSoundSink.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <algorithm>

namespace {

// The audio sink lives on a thread of its own with an event loop; every call reaches it there, so Qt
// sees it used from one thread, and no call waits for the user-interface thread (which may itself be
// waiting for the player to stop).
class QtSoundSink final : public SoundSink {
public:
    explicit QtSoundSink(const QAudioDevice& device) : device_(device)
    {
        thread_.start();
        context_.moveToThread(&thread_);
    }
    ~QtSoundSink() override
    {
        close();
        thread_.quit();
        thread_.wait();
    }

    bool open(const WavFormat& format, std::uint32_t bufferBytes) override
    {
        QAudioFormat qtFormat;
        qtFormat.setSampleRate(static_cast<int>(format.samplesPerSec));
        qtFormat.setChannelCount(format.channels);
        qtFormat.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        bool made = false;
        onSinkThread([&] {
            sink_ = std::make_unique<QAudioSink>(device_, qtFormat);
            sink_->setBufferSize(static_cast<qsizetype>(bufferBytes));
            sink_->setVolume(volume_);
            stream_ = sink_->start();
            // Nothing plays until the primed data is in; suspend keeps the buffer filling.
            if (stream_)
                sink_->suspend();
            made = stream_ != nullptr && sink_->error() == QAudio::NoError;
        });
        return made;
    }
    std::uint32_t freeBytes() override
    {
        qsizetype free = 0;
        onSinkThread([&] { free = sink_ ? sink_->bytesFree() : 0; });
        return free > 0 ? static_cast<std::uint32_t>(free) : 0;
    }
    bool write(const std::uint8_t* bytes, std::uint32_t count) override
    {
        qint64 written = -1;
        onSinkThread([&] {
            if (stream_)
                written = stream_->write(reinterpret_cast<const char*>(bytes), count);
        });
        return written >= 0;
    }
    bool start() override
    {
        bool ok = false;
        onSinkThread([&] {
            if (sink_) {
                startUs_ = sink_->processedUSecs();
                sink_->resume();
                ok = sink_->error() == QAudio::NoError;
            }
        });
        return ok;
    }
    void stop() override
    {
        onSinkThread([&] {
            if (sink_)
                sink_->suspend();
        });
    }
    void close() override
    {
        onSinkThread([&] {
            if (sink_)
                sink_->stop();
            sink_.reset();
            stream_ = nullptr;
        });
    }
    std::int64_t playedMilliseconds() override
    {
        qint64 us = 0;
        onSinkThread([&] { us = sink_ ? sink_->processedUSecs() - startUs_ : 0; });
        return us / 1000;
    }
    bool isDevice() const override { return true; }
    bool setVolume(double volume) override
    {
        onSinkThread([&] {
            volume_ = std::clamp(volume, 0.0, 1.0);
            if (sink_)
                sink_->setVolume(volume_);
        });
        return true;
    }

private:
    template <typename Work> void onSinkThread(Work work)
    {
        if (QThread::currentThread() == &thread_)
            work();
        else
            QMetaObject::invokeMethod(&context_, work, Qt::BlockingQueuedConnection);
    }

    QThread thread_;
    QObject context_;
    QAudioDevice device_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* stream_ = nullptr;
    qint64 startUs_ = 0;
    double volume_ = 1.0;
};

} // namespace

std::unique_ptr<SoundSink> makeQtSoundSink()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    return std::make_unique<QtSoundSink>(device);
}
