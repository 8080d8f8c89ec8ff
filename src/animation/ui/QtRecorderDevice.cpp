#include "animation/ui/QtRecorderDevice.h"

#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QMediaDevices>

namespace {

class QtRecorderDevice final : public RecorderDevice {
public:
    bool openNew(const WavFormat& format) override
    {
        close();
        format_ = format;
        qtFormat_.setSampleRate(static_cast<int>(format.samplesPerSec));
        qtFormat_.setChannelCount(format.channels);
        qtFormat_.setSampleFormat(QAudioFormat::Int16);
        return !QMediaDevices::defaultAudioInput().isNull();
    }
    bool record() override
    {
        take_.clear();
        buffer_ = std::make_unique<QBuffer>(&take_);
        buffer_->open(QIODevice::WriteOnly);
        source_ = std::make_unique<QAudioSource>(QMediaDevices::defaultAudioInput(), qtFormat_);
        source_->start(buffer_.get());
        if (source_->error() != QAudio::NoError) {
            close();
            return false;
        }
        return true;
    }
    bool play(std::uint32_t fromMs) override
    {
        if (QMediaDevices::defaultAudioOutput().isNull())
            return false;
        buffer_ = std::make_unique<QBuffer>(&take_);
        buffer_->open(QIODevice::ReadOnly);
        buffer_->seek(static_cast<qint64>(fromMs) * format_.avgBytesPerSec / 1000);
        playStartMs_ = fromMs;
        sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), qtFormat_);
        sink_->start(buffer_.get());
        return sink_->error() == QAudio::NoError;
    }
    bool stop() override
    {
        if (source_) {
            source_->stop();
            source_.reset();
        }
        if (sink_) {
            sink_->stop();
            sink_.reset();
        }
        if (buffer_)
            buffer_->close();
        return true;
    }
    void close() override
    {
        stop();
        buffer_.reset();
    }
    std::uint32_t lengthMs() override
    {
        return format_.avgBytesPerSec
                   ? static_cast<std::uint32_t>(take_.size() * 1000 / format_.avgBytesPerSec)
                   : 0;
    }
    std::uint32_t positionMs() override
    {
        if (source_)
            return lengthMs();
        if (sink_)
            return playStartMs_ + static_cast<std::uint32_t>(sink_->processedUSecs() / 1000);
        return 0;
    }
    bool save(const std::filesystem::path& path) override
    {
        CWavWriter writer;
        const auto samples = static_cast<std::uint32_t>(take_.size() / 2);
        int code = writer.create(path, format_);
        if (code == kWavOk)
            code = writer.write(take_.constData(), static_cast<std::size_t>(samples) * 2);
        return writer.finishOrRemove(code, samples, path) == kWavOk;
    }

private:
    WavFormat format_;
    QAudioFormat qtFormat_;
    QByteArray take_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QAudioSource> source_;
    std::unique_ptr<QAudioSink> sink_;
    std::uint32_t playStartMs_ = 0;
};

} // namespace

std::unique_ptr<RecorderDevice> makeQtRecorderDevice()
{
    return std::make_unique<QtRecorderDevice>();
}
